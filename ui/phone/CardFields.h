// Which box of the card shows which field: binding, the Casa page's boxes, the tab order, the
// address copy, dialing and the card printout all read this one table.
#pragma once

#include "contacts/ContactFields.h"

#include <array>
#include <optional>

struct CardField
{
    // The box's object name. A page box has two instances: "<name>_0" shows field on the Lavoro
    // page, "<name>_1" shows homeField on the Casa page.
    const char *name;
    Field field;
    std::optional<Field> homeField{};

    bool isPageBox() const { return homeField.has_value(); }
};

// In the card's tab order.
inline constexpr std::array<CardField, 13> CardFields = {{
    {"tLName", Field::LastName},
    {"tFName", Field::FirstName},
    {"tCountry", Field::Azienda},
    {"tAddress", Field::WorkAddress, Field::HomeAddress},
    {"tCity", Field::WorkCity, Field::HomeCity},
    {"tProv", Field::WorkProv, Field::HomeProv},
    {"tPost", Field::WorkPostalCode, Field::HomePostalCode},
    {"tPhone", Field::WorkPhone, Field::HomePhone},
    {"tFax", Field::WorkFax, Field::HomeFax},
    {"Text1", Field::Cellulare},
    {"tInternet", Field::Internet},
    {"tNotes", Field::Note},
    {"tHomepage", Field::www},
}};

// The entry whose box shows field, on either page; field must be one of the table's.
constexpr const CardField &cardField(Field field)
{
    for (const CardField &entry : CardFields) {
        if (entry.field == field || entry.homeField == field)
            return entry;
    }
    return CardFields.front();
}
