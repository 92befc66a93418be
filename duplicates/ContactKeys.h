// What two contacts are compared by when duplicates are sought: their names folded as the search
// folds them, their numbers in E.164 and their e-mail address without case.
#pragma once

#include <QStringView>

#include <string>
#include <vector>

struct ContactKeys
{
    qint64 id = 0;
    std::string nameKey; // the words in any order (nameKey())
    std::string surnameFirst; // the surname's words, then the given name's, one blank apart
    std::string givenFirst; // the given name's words, then the surname's
    std::vector<std::string> numbers; // numberKey() of each number, each once
    std::string email; // emailKey()
};

// The keys of a contact's names and address; its numbers are added with addNumber.
ContactKeys contactKeys(qint64 id, QStringView lastName, QStringView firstName, QStringView email);
void addNumber(ContactKeys &keys, std::string numberKey);
