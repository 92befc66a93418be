// The order of the record source: by last name, then first name, without regard to case or accents.
#pragma once

#include "contacts/IndexTable.h"

// A name reduced for comparison: lower case, accents removed ("Nicolò" and "NICOLO" give "nicolo").
QString nameSortKey(const FieldValue &name);

// Whether a stands before b: by the keys of the last and the first name, then by their exact
// spelling (a Null name first) and then by id.
bool namePrecedes(const IndexEntry &a, const IndexEntry &b);

// Sorts the entries as the index shows them (namePrecedes).
void sortByName(std::vector<IndexEntry> &entries);
