// The printed card of one contact: the fixed lines and the notes cut into printed lines.
#pragma once

#include "contacts/ContactRecord.h"

#include <QStringList>

// The notes cut at the first blank at or after the 60th character of what is left, the blank
// staying at the end of its line. Always at least one line; line breaks are ordinary characters.
QStringList wrapNotes(const QString &notes);

// The 22 fixed lines of the card followed by the wrapped notes. Values are printed as given:
// neither trimmed, nor cut, nor padded.
QStringList cardLines(const ContactRecord &contact);
