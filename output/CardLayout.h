// The printed card of one contact: the fixed lines and the notes cut into printed lines.
#pragma once

#include "contacts/ContactRecord.h"

#include <QStringList>

// The notes cut at every line end (CR LF, LF or CR) and, within a line, at the first blank at or
// after its 60th character, counted from the line's start. The blank or the line end stays at the
// end of its line, so the lines joined give back the notes. Always at least one line.
QStringList wrapNotes(const QString &notes);

// The 22 fixed lines of the card followed by the wrapped notes without their line ends. Values are
// printed as given: neither trimmed, nor cut, nor padded.
QStringList cardLines(const ContactRecord &contact);
