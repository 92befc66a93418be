// One line of the index tree: level 1 for a letter, level 2 for a contact ("LastName, FirstName").
#pragma once

#include <QString>

struct OutlineLine
{
    QString text;
    int level = 1;

    bool operator==(const OutlineLine &) const = default;
};
