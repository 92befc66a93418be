// The forgiving form of a text, in which the search compares what a person means rather than what
// was typed: upper case without accents or other marks ("ò" is "O", "ß" is "SS", "Ł" is "L"), and
// without punctuation or symbols, so "Dall'Ara", "DallAra" and "dallara" are one text. Blanks and
// line breaks stay, one blank for each run, so that words stay apart.
#pragma once

#include <QByteArrayView>
#include <QStringView>

#include <string>
#include <vector>

// Appends the forgiving form of valid UTF-8 text, in UTF-8. Most text is ASCII and is worked a byte
// at a time; the rest goes through forgivingReference.
void appendForgiving(std::string &out, QByteArrayView utf8);
std::string forgivingText(QStringView text);

// The forgiving form of one character, a blank kept as ' ': what it contributes to its text's form
// (the form of a text is its characters' forms with each run of blanks made one).
std::string forgivingForm(char32_t c);

// The same rule written plainly, character by character, for the tests and the fuzzer to hold the
// fast way to.
std::string forgivingReference(QStringView text);

// The plain letters, in upper case, of a letter whose difference lies in the letter itself rather
// than in a mark a decomposition takes away ("Ł" is "L", "ẞ" is "SS"); empty for any other.
QStringView plainLetters(char32_t c);

// The words of a search argument in the forgiving form, in the order typed; none for an argument of
// blanks and punctuation alone.
std::vector<std::string> forgivingWords(QStringView argument);
