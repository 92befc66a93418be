#include "text/MatchKeys.h"

#include <QString>

#include "text/ForgivingText.h"

#include <algorithm>

std::vector<std::string> nameWords(QStringView lastName, QStringView firstName)
{
    std::vector<std::string> words = forgivingWords(lastName);
    std::vector<std::string> given = forgivingWords(firstName);
    words.insert(words.end(), std::make_move_iterator(given.begin()), std::make_move_iterator(given.end()));
    return words;
}

std::string nameKey(std::vector<std::string> words)
{
    std::sort(words.begin(), words.end());
    std::string key;
    for (const std::string &word : words) {
        if (!key.empty())
            key += ' ';
        key += word;
    }
    return key;
}

std::string emailKey(QStringView email)
{
    return email.trimmed().toString().toCaseFolded().toStdString();
}
