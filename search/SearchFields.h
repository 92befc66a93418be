// The fields a search looks at, in the order it tests them, and which of them each scope covers.
#pragma once

#include "contacts/ContactFields.h"

#include <array>

enum class FieldGroup { NamesAndMobile, Lavoro, Casa, Notes };

struct SearchField
{
    Field field;
    FieldGroup group;
    // The two names are tested even when Null; every other field only when it holds a value.
    bool onlyWhenNotNull;
};

inline constexpr int SearchFieldCount = 19;

inline constexpr std::array<SearchField, SearchFieldCount> SearchFields = {{
    {Field::LastName, FieldGroup::NamesAndMobile, false},
    {Field::FirstName, FieldGroup::NamesAndMobile, false},
    {Field::Cellulare, FieldGroup::NamesAndMobile, true},
    {Field::Azienda, FieldGroup::Lavoro, true},
    {Field::WorkProv, FieldGroup::Lavoro, true},
    {Field::WorkFax, FieldGroup::Lavoro, true},
    {Field::WorkPhone, FieldGroup::Lavoro, true},
    {Field::WorkCity, FieldGroup::Lavoro, true},
    {Field::WorkAddress, FieldGroup::Lavoro, true},
    {Field::WorkPostalCode, FieldGroup::Lavoro, true},
    {Field::Internet, FieldGroup::Lavoro, true},
    {Field::www, FieldGroup::Lavoro, true},
    {Field::HomeProv, FieldGroup::Casa, true},
    {Field::HomeFax, FieldGroup::Casa, true},
    {Field::HomePhone, FieldGroup::Casa, true},
    {Field::HomeCity, FieldGroup::Casa, true},
    {Field::HomeAddress, FieldGroup::Casa, true},
    {Field::HomePostalCode, FieldGroup::Casa, true},
    {Field::Note, FieldGroup::Notes, true},
}};

// Scope 0 searches everything, 1 all but the notes, 2 only Lavoro, 3 only Casa; the names and the
// mobile number are searched under every scope. A scope outside 0 to 3 follows the same rules
// (everything but the notes).
constexpr bool isGroupSearched(FieldGroup group, int scope)
{
    switch (group) {
    case FieldGroup::NamesAndMobile:
        return true;
    case FieldGroup::Lavoro:
        return scope != 3;
    case FieldGroup::Casa:
        return scope != 2;
    case FieldGroup::Notes:
        return scope == 0;
    }
    return false;
}

// What an imported contact came with beyond the card's boxes (its "Altri dati") belongs to no page:
// it is searched with everything, and with everything but the notes.
constexpr bool isOtherDataSearched(int scope)
{
    return scope != 2 && scope != 3;
}

// The numbers among the searched fields, in SearchFields' order: an argument that is mostly digits
// is also compared with their digits alone.
inline constexpr int NumberFieldCount = 5;
inline constexpr std::array<int, NumberFieldCount> NumberFieldSlots = {2, 5, 6, 13, 14};
static_assert(SearchFields[2].field == Field::Cellulare && SearchFields[5].field == Field::WorkFax
    && SearchFields[6].field == Field::WorkPhone && SearchFields[13].field == Field::HomeFax
    && SearchFields[14].field == Field::HomePhone);

constexpr bool isNumberSlot(int slot)
{
    for (const int number : NumberFieldSlots) {
        if (number == slot)
            return true;
    }
    return false;
}
