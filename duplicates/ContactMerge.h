// Several contacts made one: the values chosen field by field, the others' properties kept, the
// merged-away contacts in the trash, all as one step the Edit menu can undo.
#pragma once

#include "contacts/ContactRecord.h"

#include <QString>

#include <array>
#include <span>
#include <vector>

class ContactStore;

// Where each field of the merged contact comes from: the contact at that place of the group, or
// JoinedNotes for the notes of all.
struct MergeChoice
{
    static constexpr int JoinedNotes = -1;
    std::array<int, FieldCount> from{};
};

// Puts first the contact that stays: the one with most fields filled in, the oldest of those.
void orderForMerge(std::vector<ContactRecord> &contacts);

// The choice a merge starts from: each field from the first contact that has it, an address with
// its city, province and CAP from the same contact, the notes of all joined (a note another holds
// whole left out) when more than one has notes.
MergeChoice defaultMergeChoice(std::span<const ContactRecord> contacts);

// The value of each field as choice takes it.
ContactRecord mergedRecord(std::span<const ContactRecord> contacts, const MergeChoice &choice);
// The notes of all, each once, a note another holds whole left out, one after the other.
QString joinedNotes(std::span<const ContactRecord> contacts);

// Makes contacts (as they were read, the one that stays first) one: the first takes merged's values
// and keeps, besides its own properties, every property of the others and every value the merge
// leaves out, under "Altri dati"; the others go to the trash. One step of the undo history. False
// with the reason when anything fails (a contact changed meanwhile by another program, say):
// nothing is changed then.
bool mergeContacts(ContactStore &store, std::span<const ContactRecord> contacts, const ContactRecord &merged,
    QString *error);

// The label of the step, as the Edit menu completes "Annulla" with it.
QString mergeLabel(const QString &name);
