// The order of the record source: by last name, then first name, without regard to case or accents.
#pragma once

#include "contacts/ContactStore.h"

// A name reduced for comparison: lower case, accents removed ("Nicolò" and "NICOLO" give "nicolo").
QString nameSortKey(const FieldValue &name);

// Sorts the entries by last name, then first name, as the index shows them; equal names keep
// a stable order by exact spelling and then by id. Null names come first.
void sortByName(std::vector<ContactStore::IndexEntry> &entries);
