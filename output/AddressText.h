// The postal address put on the clipboard, ready to paste into a letter.
#pragma once

#include "contacts/ContactRecord.h"

// Company (work address only), name, street and "CAP city province " joined by CR LF, each piece
// without leading and trailing blanks (char 32 only: tabs and line breaks stay). The text ends with
// the blank after the province, never with a line break.
QString addressText(const ContactRecord &contact, bool workAddress);
