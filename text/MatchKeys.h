// What tells two contacts apart as the duplicates and the import compare them: names folded as the
// search folds them (case, accents, apostrophes: "D'Amico" is "Damico", "Nicolò" is "NICOLO") and
// e-mail addresses without case. Numbers have theirs in dial/NumberKey.h.
#pragma once

#include <QStringView>

#include <string>
#include <vector>

// The words of the surname, then those of the given name, in the forgiving form.
std::vector<std::string> nameWords(QStringView lastName, QStringView firstName);

// The key of a name in any order of its words: "Rossi Mario" and "Mario Rossi" have one key. Empty
// for names without a letter or a digit.
std::string nameKey(std::vector<std::string> words);
inline std::string nameKey(QStringView lastName, QStringView firstName)
{
    return nameKey(nameWords(lastName, firstName));
}

// An e-mail address without blanks around it and without case: "Mario.Rossi@Example.it " is
// "mario.rossi@example.it".
std::string emailKey(QStringView email);
