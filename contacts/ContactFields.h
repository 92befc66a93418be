// The twenty fields of a contact record in PhoneList, with their names and longest inputs.
#pragma once

#include <QString>

#include <array>

enum class Field {
    ID,
    LastName,
    FirstName,
    Cellulare,
    Azienda,
    Internet,
    www,
    Note,
    WorkAddress,
    WorkCity,
    WorkProv,
    WorkPostalCode,
    WorkPhone,
    WorkFax,
    HomeAddress,
    HomeCity,
    HomeProv,
    HomePostalCode,
    HomePhone,
    HomeFax,
};

inline constexpr int FieldCount = 20;

struct FieldInfo
{
    Field field;
    const char *name;
    int longestInput; // 0: no limit
};

inline constexpr std::array<FieldInfo, FieldCount> Fields = {{
    {Field::ID, "ID", 0},
    {Field::LastName, "LastName", 20},
    {Field::FirstName, "FirstName", 20},
    {Field::Cellulare, "Cellulare", 15},
    {Field::Azienda, "Azienda", 40},
    {Field::Internet, "Internet", 40},
    {Field::www, "www", 50},
    {Field::Note, "Note", 0},
    {Field::WorkAddress, "WorkAddress", 60},
    {Field::WorkCity, "WorkCity", 25},
    {Field::WorkProv, "WorkProv", 2},
    {Field::WorkPostalCode, "WorkPostalCode", 5},
    {Field::WorkPhone, "WorkPhone", 15},
    {Field::WorkFax, "WorkFax", 15},
    {Field::HomeAddress, "HomeAddress", 60},
    {Field::HomeCity, "HomeCity", 25},
    {Field::HomeProv, "HomeProv", 2},
    {Field::HomePostalCode, "HomePostalCode", 5},
    {Field::HomePhone, "HomePhone", 15},
    {Field::HomeFax, "HomeFax", 15},
}};

constexpr int fieldIndex(Field field)
{
    return static_cast<int>(field);
}

inline QString fieldName(Field field)
{
    return QString::fromLatin1(Fields[fieldIndex(field)].name);
}

constexpr int longestInput(Field field)
{
    return Fields[fieldIndex(field)].longestInput;
}
