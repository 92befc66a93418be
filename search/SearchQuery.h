// What a search looks for, worked out once from what the user typed: the rule it follows and the
// texts it compares.
#pragma once

#include <QString>

#include <string>
#include <vector>

struct SearchState;

enum class SearchRule {
    // "*" or nothing: every contact.
    WholeAgenda,
    // Case cleared: the argument as typed, in one field.
    Literal,
    // Case ignored, but nothing of the argument survives the forgiving form (punctuation alone, a
    // lone mark): the argument upper-cased, in one field.
    Folded,
    // Case ignored: every word of the argument in some searched field, in any order, each in the
    // forgiving form (text/ForgivingText.h); or, for a number, its digits in a number field.
    Forgiving,
};

struct SearchQuery
{
    SearchRule rule = SearchRule::WholeAgenda;
    int scope = 0;
    // Literal: the argument as typed; Folded: upper-cased.
    QString text;
    // Forgiving: the words, longest first (the one that leaves the fewest contacts is tried first).
    std::vector<std::string> words;
    // Forgiving: the comparable digits of an argument that is mostly digits, otherwise empty.
    std::string digits;
};

SearchQuery searchQuery(const QString &typed, bool ignoreCase, int scope);
SearchQuery searchQuery(const SearchState &state);

// The digits of an argument written mostly as a number ("347 123 4567", "+39 347-1234567") without
// Italy's country code in front, or nothing: fewer than three digits, or more other characters than
// digits (blanks aside).
std::string argumentDigits(const QString &typed);
