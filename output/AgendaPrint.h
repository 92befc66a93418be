// The walk of the agenda printout over the contacts in table order.
#pragma once

#include "contacts/ContactRecord.h"
#include "platform/Platform.h"

#include <vector>

// Prints the selected contacts, one document per letter section. A section begins with the first
// printed contact, when the letter differs from the one of the contact visited before (printed or
// not) and when the lines of the next row do not all fit on the page: a row is never split.
// The last document is ended also when nothing was printed.
void printAgenda(const std::vector<ContactRecord> &contacts, const QString &selection, PrintJob &job);

// Whether the walk would print anything at all.
bool agendaHasRows(const std::vector<ContactRecord> &contacts, const QString &selection);
