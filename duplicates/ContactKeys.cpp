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
    const std::vector<std::string> surname = nameWords(lastName, {});
    const std::vector<std::string> given = nameWords({}, firstName);
    const std::string surnameText = joined(surname, 0, surname.size());
    const std::string givenText = joined(given, 0, given.size());
    const auto both = [](const std::string &first, const std::string &second) {
        return first.empty() || second.empty() ? first + second : first + ' ' + second;
    };
    keys.surnameFirst = both(surnameText, givenText);
    keys.givenFirst = both(givenText, surnameText);
    std::vector<std::string> words = surname;
    words.insert(words.end(), given.begin(), given.end());
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
