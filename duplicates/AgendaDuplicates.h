// The duplicates of an agenda: every contact's keys read from the store, the groups found among
// them, with the names to show them by.
#pragma once

#include "contacts/ContactStore.h"
#include "duplicates/DuplicateFinder.h"

#include <QString>

#include <optional>
#include <vector>

// Every contact's keys, by id. The numbers' keys come from the table the look-ups keep beside
// PhoneList for the contacts it holds current; the others' numbers are parsed here.
std::optional<std::vector<ContactKeys>> readContactKeys(const ContactStore &store, QString *error);

struct AgendaGroup
{
    std::vector<ContactName> contacts; // in the agenda's order
    std::vector<DuplicateEvidence> evidence;
};

// The groups of the agenda, pairs kept as not duplicates aside, in the agenda's order of their
// first contact; nullopt with the reason when the store cannot be read.
std::optional<std::vector<AgendaGroup>> agendaDuplicates(const ContactStore &store, QString *error);
