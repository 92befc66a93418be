#include "carddav/SyncState.h"

#include "contacts/SqliteRows.h"
#include "exchange/CardProperties.h"

namespace {

const char *const CreateTables[] = {
    "CREATE TABLE IF NOT EXISTS RubrelloCardDavAccount (Id INTEGER PRIMARY KEY CHECK (Id = 1), "
    "UserName TEXT NOT NULL, Book TEXT NOT NULL, IntervalMinutes INTEGER NOT NULL DEFAULT 0, "
    "TrustedCertificate TEXT, SyncToken TEXT)",
    "CREATE TABLE IF NOT EXISTS RubrelloCardDavResources (ID INTEGER PRIMARY KEY, Href TEXT NOT NULL UNIQUE, "
    "ETag TEXT, Uid TEXT, SyncedHash BLOB)",
    "CREATE TABLE IF NOT EXISTS RubrelloCardDavDeleted (ID INTEGER PRIMARY KEY, Href TEXT NOT NULL, "
    "ETag TEXT, Uid TEXT, SyncedHash BLOB)",
    "CREATE TABLE IF NOT EXISTS RubrelloCardDavTouched (ID INTEGER PRIMARY KEY, Mark INTEGER NOT NULL)",
    "CREATE INDEX IF NOT EXISTS RubrelloCardDavTouchedByMark ON RubrelloCardDavTouched (Mark)",
    // A contact deleted takes its resource to the deleted ones, whoever deletes it; one put back
    // (undo, the trash) before the next sync is told apart there by its UID or its card.
    "CREATE TRIGGER IF NOT EXISTS RubrelloCardDavGone AFTER DELETE ON PhoneList BEGIN "
    "INSERT OR REPLACE INTO RubrelloCardDavDeleted (ID, Href, ETag, Uid, SyncedHash) "
    "SELECT ID, Href, ETag, Uid, SyncedHash FROM RubrelloCardDavResources WHERE ID = OLD.ID; "
    "DELETE FROM RubrelloCardDavResources WHERE ID = OLD.ID; END",
    "CREATE TRIGGER IF NOT EXISTS RubrelloCardDavChanged AFTER UPDATE ON PhoneList BEGIN "
    "INSERT OR REPLACE INTO RubrelloCardDavTouched (ID, Mark) VALUES (NEW.ID, "
    "(SELECT coalesce(max(Mark), 0) + 1 FROM RubrelloCardDavTouched)); END",
    "CREATE TRIGGER IF NOT EXISTS RubrelloCardDavPropertiesAdded AFTER INSERT ON RubrelloCardProperties "
    "BEGIN "
    "INSERT OR REPLACE INTO RubrelloCardDavTouched (ID, Mark) VALUES (NEW.ID, "
    "(SELECT coalesce(max(Mark), 0) + 1 FROM RubrelloCardDavTouched)); END",
    "CREATE TRIGGER IF NOT EXISTS RubrelloCardDavPropertiesChanged AFTER UPDATE ON RubrelloCardProperties "
    "BEGIN INSERT OR REPLACE INTO RubrelloCardDavTouched (ID, Mark) VALUES (NEW.ID, "
    "(SELECT coalesce(max(Mark), 0) + 1 FROM RubrelloCardDavTouched)); END",
    "CREATE TRIGGER IF NOT EXISTS RubrelloCardDavPropertiesGone AFTER DELETE ON RubrelloCardProperties BEGIN "
    "INSERT OR REPLACE INTO RubrelloCardDavTouched (ID, Mark) VALUES (OLD.ID, "
    "(SELECT coalesce(max(Mark), 0) + 1 FROM RubrelloCardDavTouched)); END",
};

const char *const ForgetSync[] = {
    "DELETE FROM RubrelloCardDavResources",
    "DELETE FROM RubrelloCardDavDeleted",
    "DELETE FROM RubrelloCardDavTouched",
};

const char *const DropEverything[] = {
    "DROP TRIGGER IF EXISTS RubrelloCardDavGone",
    "DROP TRIGGER IF EXISTS RubrelloCardDavChanged",
    "DROP TRIGGER IF EXISTS RubrelloCardDavPropertiesAdded",
    "DROP TRIGGER IF EXISTS RubrelloCardDavPropertiesChanged",
    "DROP TRIGGER IF EXISTS RubrelloCardDavPropertiesGone",
    "DROP TABLE IF EXISTS RubrelloCardDavTouched",
    "DROP TABLE IF EXISTS RubrelloCardDavDeleted",
    "DROP TABLE IF EXISTS RubrelloCardDavResources",
    "DROP TABLE IF EXISTS RubrelloCardDavAccount",
};

bool hasTable(sqlite3 *db, const char *name)
{
    SqliteRows query(db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?");
    query.bind(1, QByteArrayView(name));
    return query.next();
}

QString textOf(const SqliteRows &rows, int column)
{
    const std::optional<QByteArrayView> value = rows.utf8(column);
    return value ? QString::fromUtf8(*value) : QString();
}

QByteArray bytesOf(const SqliteRows &rows, int column)
{
    const std::optional<QByteArrayView> value = rows.utf8(column);
    return value ? value->toByteArray() : QByteArray();
}

void bindText(SqliteRows &rows, int index, const QString &text)
{
    if (text.isNull())
        rows.bindNull(index);
    else
        rows.bind(index, text.toUtf8());
}

bool finished(const SqliteRows &rows, QString *error)
{
    if (rows.failed() && error)
        *error = rows.error();
    return !rows.failed();
}

std::vector<SyncedResource> readResourceRows(sqlite3 *db, const char *sql, qint64 id, QString *error)
{
    std::vector<SyncedResource> found;
    if (!hasTable(db, "RubrelloCardDavResources"))
        return found;
    SqliteRows rows(db, sql);
    if (id)
        rows.bind(1, id);
    while (rows.next())
        found.push_back(
            {rows.integer(0), textOf(rows, 1), textOf(rows, 2), textOf(rows, 3), bytesOf(rows, 4)});
    finished(rows, error);
    return found;
}

bool runWithId(sqlite3 *db, const char *sql, qint64 id, QString *error)
{
    SqliteRows statement(db, sql);
    statement.bind(1, id);
    statement.run();
    return finished(statement, error);
}

} // namespace

std::optional<CardDavAccount> readAccount(sqlite3 *db, QString *error)
{
    if (!hasTable(db, "RubrelloCardDavAccount"))
        return std::nullopt;
    SqliteRows rows(db,
        "SELECT UserName, Book, IntervalMinutes, TrustedCertificate, SyncToken FROM RubrelloCardDavAccount");
    if (!rows.next()) {
        finished(rows, error);
        return std::nullopt;
    }
    CardDavAccount account;
    account.user = textOf(rows, 0);
    account.book = QUrl(textOf(rows, 1));
    account.intervalMinutes = int(rows.integer(2));
    account.trustedCertificate = textOf(rows, 3);
    account.syncToken = textOf(rows, 4);
    return account;
}

bool writeAccount(sqlite3 *db, const CardDavAccount &account, QString *error)
{
    if (!ensureCardPropertiesTable(db, error) || !runStatement(db, "SAVEPOINT RubrelloCardDavAccount", error))
        return false;
    const auto undo = [&] {
        runStatement(db, "ROLLBACK TO RubrelloCardDavAccount", nullptr);
        runStatement(db, "RELEASE RubrelloCardDavAccount", nullptr);
        return false;
    };
    if (!runStatements(db, CreateTables, error))
        return undo();
    QString ignored;
    const std::optional<CardDavAccount> before = readAccount(db, &ignored);
    const bool sameBook = before && before->book == account.book;
    if (!sameBook && !runStatements(db, ForgetSync, error))
        return undo();
    SqliteRows write(db,
        "INSERT OR REPLACE INTO RubrelloCardDavAccount (Id, UserName, Book, IntervalMinutes, "
        "TrustedCertificate, SyncToken) VALUES (1, ?, ?, ?, ?, ?)");
    bindText(write, 1, account.user);
    write.bind(2, account.book.toString(QUrl::FullyEncoded).toUtf8());
    write.bind(3, qint64(account.intervalMinutes));
    bindText(write, 4, account.trustedCertificate);
    bindText(write, 5, sameBook ? before->syncToken : QString());
    write.run();
    if (!finished(write, error))
        return undo();
    return runStatement(db, "RELEASE RubrelloCardDavAccount", error);
}

bool ensureSyncTables(sqlite3 *db, QString *error)
{
    return ensureCardPropertiesTable(db, error) && runStatements(db, CreateTables, error);
}

bool saveSyncToken(sqlite3 *db, const QString &token, QString *error)
{
    SqliteRows write(db, "UPDATE RubrelloCardDavAccount SET SyncToken = ?");
    bindText(write, 1, token);
    write.run();
    return finished(write, error);
}

bool removeAccount(sqlite3 *db, QString *error)
{
    return runStatement(db, "SAVEPOINT RubrelloCardDavRemoval", error)
        && (runStatements(db, DropEverything, error)
            || (runStatement(db, "ROLLBACK TO RubrelloCardDavRemoval", nullptr), false))
        && runStatement(db, "RELEASE RubrelloCardDavRemoval", error);
}

std::vector<SyncedResource> readResources(sqlite3 *db, QString *error)
{
    return readResourceRows(
        db, "SELECT ID, Href, ETag, Uid, SyncedHash FROM RubrelloCardDavResources", 0, error);
}

std::optional<SyncedResource> resourceOf(sqlite3 *db, qint64 id, QString *error)
{
    std::vector<SyncedResource> found = readResourceRows(
        db, "SELECT ID, Href, ETag, Uid, SyncedHash FROM RubrelloCardDavResources WHERE ID = ?", id, error);
    if (found.empty())
        return std::nullopt;
    return found.front();
}

bool saveResource(sqlite3 *db, const SyncedResource &resource, QString *error)
{
    SqliteRows write(db,
        "INSERT OR REPLACE INTO RubrelloCardDavResources (ID, Href, ETag, Uid, SyncedHash) VALUES (?, ?, ?, "
        "?, ?)");
    write.bind(1, resource.id);
    write.bind(2, resource.href.toUtf8());
    bindText(write, 3, resource.etag);
    bindText(write, 4, resource.uid);
    if (resource.syncedHash.isEmpty())
        write.bindNull(5);
    else
        write.bind(5, resource.syncedHash);
    write.run();
    return finished(write, error);
}

bool forgetResource(sqlite3 *db, qint64 id, QString *error)
{
    return runWithId(db, "DELETE FROM RubrelloCardDavResources WHERE ID = ?", id, error);
}

std::vector<SyncedResource> readDeleted(sqlite3 *db, QString *error)
{
    if (!hasTable(db, "RubrelloCardDavDeleted"))
        return {};
    return readResourceRows(
        db, "SELECT ID, Href, ETag, Uid, SyncedHash FROM RubrelloCardDavDeleted", 0, error);
}

bool forgetDeleted(sqlite3 *db, qint64 id, QString *error)
{
    return runWithId(db, "DELETE FROM RubrelloCardDavDeleted WHERE ID = ?", id, error);
}

std::vector<TouchedContact> readTouched(sqlite3 *db, QString *error)
{
    std::vector<TouchedContact> touched;
    if (!hasTable(db, "RubrelloCardDavTouched"))
        return touched;
    SqliteRows rows(db, "SELECT ID, Mark FROM RubrelloCardDavTouched");
    while (rows.next())
        touched.push_back({rows.integer(0), rows.integer(1)});
    finished(rows, error);
    return touched;
}

bool forgetTouched(sqlite3 *db, const TouchedContact &touched, QString *error)
{
    SqliteRows statement(db, "DELETE FROM RubrelloCardDavTouched WHERE ID = ? AND Mark = ?");
    statement.bind(1, touched.id);
    statement.bind(2, touched.mark);
    statement.run();
    return finished(statement, error);
}

std::vector<qint64> unsyncedContacts(sqlite3 *db, QString *error)
{
    std::vector<qint64> ids;
    if (!hasTable(db, "RubrelloCardDavResources"))
        return ids;
    SqliteRows rows(
        db, "SELECT ID FROM PhoneList WHERE ID NOT IN (SELECT ID FROM RubrelloCardDavResources) ORDER BY ID");
    while (rows.next())
        ids.push_back(rows.integer(0));
    finished(rows, error);
    return ids;
}
