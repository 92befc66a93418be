// What the sync keeps in the store, in tables of our own beside PhoneList: the account, and for
// each contact the server's resource it is (href, ETag, UID) with a hash of the card as last synced.
// Triggers on PhoneList note the contacts changed or deleted by whoever writes them, so the sync
// finds the local changes without comparing every contact.
#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <optional>
#include <vector>

struct sqlite3;

struct CardDavAccount
{
    QString user;
    QUrl book; // the address book's own URL
    int intervalMinutes = 0; // a sync every so many minutes while the program is open; 0 for none
    QString trustedCertificate; // a fingerprint the user accepted, see DavCredentials
    QString syncToken; // where the last complete sync left the book
};

// The account of the store, nullopt without one (error tells a failure).
std::optional<CardDavAccount> readAccount(sqlite3 *db, QString *error);
// Stores the account, making the tables and triggers first. Another book than the one synced so far
// starts the sync afresh: what was known of the old book's resources is forgotten.
bool writeAccount(sqlite3 *db, const CardDavAccount &account, QString *error);
// Makes the tables and triggers of the sync when missing.
bool ensureSyncTables(sqlite3 *db, QString *error);
bool saveSyncToken(sqlite3 *db, const QString &token, QString *error);
// Takes the account and every trace of the sync out of the store; contacts stay as they are.
bool removeAccount(sqlite3 *db, QString *error);

// A contact's place on the server. A resource still without an ETag is one a PUT was sent for and
// not yet confirmed (the program may have stopped meanwhile).
struct SyncedResource
{
    qint64 id = 0;
    QString href; // hrefKey() of its URL
    QString etag;
    QString uid;
    QByteArray syncedHash; // of the card as the two sides last agreed on it; empty to send it again

    bool pending() const { return etag.isNull(); }
};

std::vector<SyncedResource> readResources(sqlite3 *db, QString *error);
std::optional<SyncedResource> resourceOf(sqlite3 *db, qint64 id, QString *error);
bool saveResource(sqlite3 *db, const SyncedResource &resource, QString *error);
bool forgetResource(sqlite3 *db, qint64 id, QString *error);

// Contacts deleted here since the last sync, with the resource each was: deleted on the server next.
std::vector<SyncedResource> readDeleted(sqlite3 *db, QString *error);
bool forgetDeleted(sqlite3 *db, qint64 id, QString *error);

// Contacts changed here since they were last looked at, each with the mark of its last change.
struct TouchedContact
{
    qint64 id = 0;
    qint64 mark = 0;
};
std::vector<TouchedContact> readTouched(sqlite3 *db, QString *error);
// Forgets the change, unless the contact changed again after mark.
bool forgetTouched(sqlite3 *db, const TouchedContact &touched, QString *error);
// Contacts with no resource on the server: typed here, or there before the account.
std::vector<qint64> unsyncedContacts(sqlite3 *db, QString *error);
