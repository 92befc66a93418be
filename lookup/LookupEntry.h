// What one contact puts into the tables beside PhoneList: its searched fields folded into one text
// and the digits and key of each of its numbers.
#pragma once

#include "contacts/ContactFields.h"

#include <QByteArrayView>
#include <QString>

#include <optional>
#include <span>
#include <string>
#include <vector>

// The numbers a caller is recognised by, with the name an answer gives each, in the card's order.
struct NumberField
{
    Field field;
    const char *label;
};
inline constexpr NumberField NumberFields[] = {
    {Field::Cellulare, "Cellulare"},
    {Field::WorkPhone, "Telefono Lavoro"},
    {Field::HomePhone, "Telefono Casa"},
    {Field::WorkFax, "Fax Lavoro"},
    {Field::HomeFax, "Fax Casa"},
};

struct LookupEntry
{
    // The searched fields in the forgiving form, one after the other: any word a field holds, in
    // that form, is found inside it.
    std::string forgivingText;
    struct Number
    {
        std::string digits; // comparableDigits()
        std::string key; // numberKey()
    };
    // Each number once.
    std::vector<Number> numbers;
};

// The entry of a contact from its searched fields as the table holds them, in SearchFields' order.
LookupEntry lookupEntry(std::span<const std::optional<QByteArrayView>> searchedValues);

// A trigram query that every contact whose forgiving text holds all of words matches, and a few
// others; nullopt when every word is too short for the trigrams.
std::optional<QByteArray> trigramQuery(const std::vector<std::string> &words);
