// The tables whose rows belong to one contact, keyed by its ID: PhoneList and the tables of our own
// beside it. What takes a contact away and brings it back (the undo history, the trash) takes all
// of them along, so a module that keeps a row per contact names its table here.
#pragma once

#include <array>

inline constexpr std::array ContactTables = {
    "PhoneList",
    "RubrelloCardProperties", // every vCard property a contact came with
};
