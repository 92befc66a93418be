// How a vCard's properties meet the card's twenty fields: which property fills which box when a
// contact comes in, and how the properties go out again with the boxes' current values, so that a
// contact keeps everything it came with and an edited box changes only its own property.
#pragma once

#include "contacts/ContactRecord.h"
#include "vcard/VCard.h"

#include <QList>
#include <QString>

// What a kept property does for the card: the boxes it fills, or nothing (shown under "Altri dati").
enum class CardRole {
    None,
    Name, // N: LastName and FirstName
    NameOnly, // FN of a card without N (a company, say): LastName
    Company, // ORG: Azienda
    Mobile, // TEL cell: Cellulare
    WorkPhone,
    WorkFax,
    HomePhone,
    HomeFax,
    Email, // the first EMAIL: Internet
    Web, // the first URL: www
    Note, // the first NOTE: Note
    WorkAddress, // ADR work: WorkAddress, WorkCity, WorkProv, WorkPostalCode
    HomeAddress,
};

struct KeptProperty
{
    CardRole role = CardRole::None;
    VCardProperty property;

    bool operator==(const KeptProperty &) const = default;
};

// A contact as the store keeps it: the card and every property it came with, in order.
struct CardContact
{
    ContactRecord record;
    QList<KeptProperty> properties;
};

// The card of a vCard: each box from the first property for it, every property kept with its role.
// A card with neither family nor given name takes its FN as the surname, or else its ORG, its
// e-mail address or its number.
CardContact contactFromVCard(const VCard &card);

// The vCard of a contact: the kept properties in order, those of an edited box rewritten with the
// box's value (or left out when the box was emptied), then a property for each box that has a value
// and none of its own (a contact typed in the program).
VCard vCardFromContact(const CardContact &contact);
// The same properties, each with the role it plays (None for the display name made from the names).
QList<KeptProperty> exportedProperties(const CardContact &contact);

// The role's name as the store keeps it ("N", "TEL-CELL"...), and back (None for an unknown name).
QString cardRoleName(CardRole role);
// Whether property is written as the program writes the role's property for a box typed in it:
// the same name and parameters, their case and order aside (N, "TEL;TYPE=cell", "ADR;TYPE=work").
bool isPlainRoleProperty(CardRole role, const VCardProperty &property);
CardRole cardRoleFromName(QStringView name);
