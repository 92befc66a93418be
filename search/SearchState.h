// The search state shared by the search dialog and the search: what to look for, where, and
// whether case matters. It outlives the dialog; every load of the main window resets it.
#pragma once

#include <QString>

struct SearchState
{
    QString SearchText; // "" or "*": the whole agenda
    qint16 SearchScope = 0; // 0 all fields, 1 all but the notes, 2 only Lavoro, 3 only Casa
    bool IgnoreCase = true;

    void reset() { *this = SearchState(); }
};

// The program's one search state.
SearchState &searchState();
