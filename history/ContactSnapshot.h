// A contact exactly as the store holds it: its row of PhoneList and its rows in the tables of our
// own keyed by its id, every value as stored (text, number or bytes), as one JSON text. The undo
// history and the trash keep contacts this way and put them back from it.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

struct sqlite3;

// The contact id as it is now; a null array when there is no such contact, and then error tells a
// failure (it is left empty when the contact is simply missing).
QByteArray takeSnapshot(sqlite3 *db, qint64 id, QString *error);

// Puts the snapshot back as contact id, replacing whatever rows id has: inside the caller's
// transaction. False with error.
bool putSnapshot(sqlite3 *db, qint64 id, const QByteArray &snapshot, QString *error);

// Puts the snapshot back under a new id, for when its own is taken by another contact.
std::optional<qint64> putSnapshotAsNew(sqlite3 *db, const QByteArray &snapshot, QString *error);

// Removes contact id from every table it has rows in.
bool removeContactRows(sqlite3 *db, qint64 id, QString *error);

// Whether a contact with that id is in the agenda; nullopt with error on failure.
std::optional<bool> contactExists(sqlite3 *db, qint64 id, QString *error);

// "LastName, FirstName" of the contact a snapshot holds, as the index tree shows it.
QString snapshotName(const QByteArray &snapshot);
