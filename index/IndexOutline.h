// The lines of the index tree for contacts of the index, each under the letter it is filed under.
// The lines are views of the index's own names: a tree keeps the blocks outlineBlocks() gives.
#pragma once

#include "contacts/IndexTable.h"
#include "index/OutlineLine.h"

#include <vector>

// The blocks of text a tree of these rows' lines keeps: the rows' own and the letters'.
std::vector<QString> outlineBlocks(const IndexTable &rows);

// The whole agenda: A to Z always there to choose from, "#" only when a contact is filed under it
// (the card takes no surname that would be, so most agendas never need it); under each letter its
// contacts' lines in the rows' order.
std::vector<OutlineLine> agendaOutline(const std::vector<IndexEntry> &rows);

// The tree of hits: the letter lines that have hits, in the whole tree's order, each followed by
// its hits' lines in the order the hits came. firstLine, when given, becomes the id of the hit on
// the first contact line.
std::vector<OutlineLine> hitOutline(const std::vector<const IndexEntry *> &hits, qint64 *firstLine = nullptr);
