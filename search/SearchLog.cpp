#include "search/SearchLog.h"

#include "contacts/SqliteRows.h"

#include <QString>

namespace {

// Only built-in SQL in the triggers: another program writing PhoneList runs them too.
const char *const Create[] = {
    "CREATE TABLE IF NOT EXISTS RubrelloSearchMark (Token TEXT NOT NULL, LoggedUpTo INTEGER NOT NULL)",
    "CREATE TABLE IF NOT EXISTS RubrelloSearchLog (Entry INTEGER PRIMARY KEY AUTOINCREMENT, ID INTEGER NOT "
    "NULL)",
    "CREATE TRIGGER IF NOT EXISTS RubrelloSearchLogInsert AFTER INSERT ON PhoneList BEGIN "
    "INSERT INTO RubrelloSearchLog (ID) VALUES (NEW.ID); END",
    "CREATE TRIGGER IF NOT EXISTS RubrelloSearchLogUpdate AFTER UPDATE ON PhoneList BEGIN "
    "INSERT INTO RubrelloSearchLog (ID) VALUES (OLD.ID); "
    "INSERT INTO RubrelloSearchLog (ID) SELECT NEW.ID WHERE NEW.ID IS NOT OLD.ID; END",
    "CREATE TRIGGER IF NOT EXISTS RubrelloSearchLogDelete AFTER DELETE ON PhoneList BEGIN "
    "INSERT INTO RubrelloSearchLog (ID) VALUES (OLD.ID); END",
};

bool inTransaction(sqlite3 *db, QString *error, const auto &work)
{
    if (!runStatement(db, "BEGIN IMMEDIATE", error))
        return false;
    if (work() && runStatement(db, "COMMIT", error))
        return true;
    runStatement(db, "ROLLBACK", nullptr);
    return false;
}

} // namespace

bool ensureSearchLog(sqlite3 *db, QString *error)
{
    SqliteRows present(db,
        "SELECT count(*) FROM sqlite_master WHERE name IN ('RubrelloSearchMark', 'RubrelloSearchLog', "
        "'RubrelloSearchLogInsert', 'RubrelloSearchLogUpdate', 'RubrelloSearchLogDelete')");
    if (present.next() && present.integer(0) == qint64(std::size(Create)))
        return true;
    return inTransaction(db, error, [&] { return runStatements(db, Create, error); });
}

std::optional<SnapshotMark> snapshotMark(sqlite3 *db)
{
    SqliteRows mark(db, "SELECT Token, LoggedUpTo FROM RubrelloSearchMark");
    if (!mark.next())
        return std::nullopt;
    const std::optional<QByteArrayView> token = mark.utf8(0);
    if (!token || token->isEmpty())
        return std::nullopt;
    return SnapshotMark{token->toByteArray(), mark.integer(1)};
}

qint64 lastLogged(sqlite3 *db, bool *ok)
{
    SqliteRows last(db, "SELECT coalesce(max(Entry), 0) FROM RubrelloSearchLog");
    *ok = last.next();
    return *ok ? last.integer(0) : 0;
}

std::vector<qint64> loggedAfter(sqlite3 *db, qint64 entry, bool *ok)
{
    std::vector<qint64> ids;
    SqliteRows logged(db, "SELECT DISTINCT ID FROM RubrelloSearchLog WHERE Entry > ?");
    logged.bind(1, entry);
    while (logged.next())
        ids.push_back(logged.integer(0));
    *ok = !logged.failed();
    return ids;
}

bool markSnapshotKept(sqlite3 *db, const SnapshotMark &mark, QString *error)
{
    return inTransaction(db, error, [&] {
        SqliteRows drop(db, "DELETE FROM RubrelloSearchLog WHERE Entry <= ?");
        drop.bind(1, mark.loggedUpTo);
        SqliteRows put(db, "INSERT INTO RubrelloSearchMark (Token, LoggedUpTo) VALUES (?, ?)");
        put.bind(1, QByteArrayView(mark.token));
        put.bind(2, mark.loggedUpTo);
        return drop.run() && runStatement(db, "DELETE FROM RubrelloSearchMark", error) && put.run();
    });
}
