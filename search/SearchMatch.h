// Where a search's hit holds what it looked for, so that the card can show it: the text a box
// shows, and the span of it that matched.
#pragma once

#include "search/SearchQuery.h"

#include <QString>

#include <optional>

struct TextSpan
{
    qsizetype start = 0;
    qsizetype length = 0;

    bool operator==(const TextSpan &) const = default;
};

// The first place in text where query finds one of its words, its digits or its argument, in
// text's own characters (an accented letter, an apostrophe inside the word and the blanks of a
// number included); nullopt when it finds nothing there or asks for the whole agenda.
std::optional<TextSpan> findInText(const QString &text, const SearchQuery &query);
