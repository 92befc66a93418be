// The properties each contact came with, kept beside PhoneList in a table of our own
// (RubrelloCardProperties), one vCard line each with the role it plays for the card.
#pragma once

#include "contacts/SqliteRows.h"
#include "exchange/CardMapping.h"
#include "search/SearchEngine.h"

#include <QHash>
#include <QString>

#include <optional>
#include <unordered_set>

class ContactStore;
struct sqlite3;

// Makes the table, and the trigger that takes a contact's properties away with it, when missing.
bool ensureCardPropertiesTable(sqlite3 *db, QString *error);

// A contact with the texts the table keeps for its properties, made ahead of the write.
struct PreparedContact
{
    CardContact contact;
    QByteArray roles;
    QByteArray lines;
    QByteArray texts; // of the properties that fill no box, for the search
    QByteArray folded;
};
PreparedContact preparedContact(CardContact contact);

// Replaces the properties kept for contacts, inside the caller's transaction; its statements are
// prepared once for an import of many.
class CardPropertiesWriter
{
public:
    explicit CardPropertiesWriter(sqlite3 *db);
    bool write(qint64 id, const PreparedContact &prepared, QString *error);

private:
    SqliteRows m_drop;
    SqliteRows m_add;
};

// The properties kept for the contact id, in order; none without the table.
QList<KeptProperty> readCardProperties(sqlite3 *db, qint64 id, QString *error = nullptr);

// The kept properties of the contacts ids that have some, by id: a part of an export at a time.
QHash<qint64, QList<KeptProperty>> readCardPropertiesOf(
    sqlite3 *db, std::span<const qint64> ids, QString *error);

// Every contact's kept properties at once, by id, for an export of many; with holding, only the
// contacts whose lines hold that text.
QHash<qint64, QList<KeptProperty>> readAllCardProperties(
    sqlite3 *db, QString *error, QByteArrayView holding = "\n");

// The contacts whose properties that fill no box hold what query looks for, by its rule; none
// without the table, nullopt with error when it could not be read.
std::optional<OtherMatches> contactsWithOtherText(
    sqlite3 *db, const SearchQuery &query, QString *error = nullptr);

// The search's look into the properties of store's contacts that fill no box
// (SearchEngine::setOtherTextHits, findByText).
OtherTextHits otherTextHitsIn(const ContactStore &store);
