#include "duplicates/ContactKeys.h"

#include "text/MatchKeys.h"

#include <QString>

#include <algorithm>

namespace {

std::string joined(const std::vector<std::string> &words, size_t from, size_t to)
{
    std::string text;
    for (size_t i = from; i < to; ++i) {
        if (!text.empty())
            text += ' ';
        text += words[i];
    }
    return text;
}

} // namespace

ContactKeys contactKeys(qint64 id, QStringView lastName, QStringView firstName, QStringView email)
{
    ContactKeys keys;
    keys.id = id;
    std::vector<std::string> words = nameWords(lastName, firstName);
    const size_t surnameWords = nameWords(lastName, {}).size();
    keys.surnameFirst = joined(words, 0, words.size());
    keys.givenFirst = joined(words, surnameWords, words.size());
    if (surnameWords > 0) {
        if (!keys.givenFirst.empty())
            keys.givenFirst += ' ';
        keys.givenFirst += joined(words, 0, surnameWords);
    }
    keys.nameKey = nameKey(std::move(words));
    keys.email = emailKey(email);
    return keys;
}

void addNumber(ContactKeys &keys, std::string numberKey)
{
    if (!numberKey.empty()
        && std::find(keys.numbers.begin(), keys.numbers.end(), numberKey) == keys.numbers.end())
        keys.numbers.push_back(std::move(numberKey));
}
