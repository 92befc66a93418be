// The printed agenda: 78-column rows under a four-line heading per letter section.
#pragma once

#include "contacts/ContactRecord.h"

#include <QStringList>

// The initials to print: A to Z for "*", otherwise the answer upper-cased and kept as typed.
QString letterSelection(const QString &answer);

// The first character of the last name (a whole character, also outside the BMP); empty for none.
QString agendaLetter(const QString &lastName);

// An empty letter counts as selected; otherwise the test is exact, case included.
bool isLetterSelected(const QString &letter, const QString &selection);

QStringList agendaHeading(const QString &letter);

// Name column of 26 (at most 25 characters of "last first" and at least one blank), then work
// telephone, home telephone, work fax and mobile, each right-aligned in 13. A value too long for its
// column is never cut: the row goes on in further lines that hold the rest of it under its own
// column, the other columns blank. The first line is the whole row when every value fits.
QStringList agendaRow(const ContactRecord &contact);
