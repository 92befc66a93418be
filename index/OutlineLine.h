// One line of the index tree: level 1 for a letter, level 2 for a contact ("LastName, FirstName").
#pragma once

#include <QStringView>

// Its text lies in a block kept by whoever fills the tree with it, and handed to the tree with
// the lines: a tree of a million contacts shows the index's own names instead of a copy of each.
struct OutlineLine
{
    QStringView text;
    int level = 1;
};
