#include "history/HistoryTables.h"

#include "history/ContactSnapshot.h"

#include <sqlite3.h>

bool ensureHistoryTables(sqlite3 *db, QString *error)
{
    static const char *const Create[] = {
        "CREATE TABLE IF NOT EXISTS RubrelloHistory (Step INTEGER PRIMARY KEY AUTOINCREMENT, "
        "Time TEXT NOT NULL, Label TEXT NOT NULL, Undone INTEGER NOT NULL DEFAULT 0)",
        "CREATE TABLE IF NOT EXISTS RubrelloHistoryRows (Step INTEGER NOT NULL, ID INTEGER NOT NULL, "
        "Before BLOB, After BLOB, Removed INTEGER NOT NULL DEFAULT 0, TrashID INTEGER)",
        "CREATE INDEX IF NOT EXISTS RubrelloHistoryRowsByStep ON RubrelloHistoryRows (Step)",
        "CREATE INDEX IF NOT EXISTS RubrelloHistoryRowsByTrash ON RubrelloHistoryRows (TrashID) "
        "WHERE TrashID IS NOT NULL",
        "CREATE TABLE IF NOT EXISTS RubrelloTrash (TrashID INTEGER PRIMARY KEY AUTOINCREMENT, "
        "ID INTEGER NOT NULL, Deleted TEXT NOT NULL, Name TEXT NOT NULL, Contact BLOB NOT NULL, "
        "InTrash INTEGER NOT NULL DEFAULT 1)",
    };
    return runStatements(db, Create, error);
}

bool historyTablesExist(sqlite3 *db)
{
    return sqlite3_table_column_metadata(
               db, "main", "RubrelloHistory", "Step", nullptr, nullptr, nullptr, nullptr, nullptr)
        == SQLITE_OK;
}

std::optional<qint64> startHistoryStep(sqlite3 *db, const QString &label, QString *error)
{
    static const char *const Forget[] = {
        "DELETE FROM RubrelloHistoryRows WHERE Step IN (SELECT Step FROM RubrelloHistory WHERE Undone)",
        "DELETE FROM RubrelloHistory WHERE Undone",
    };
    if (!ensureHistoryTables(db, error) || !runStatements(db, Forget, error))
        return std::nullopt;
    SqliteRows insert(db, "INSERT INTO RubrelloHistory (Time, Label) VALUES (?, ?)");
    insert.bind(1, storedTime(QDateTime::currentDateTimeUtc()).toUtf8());
    insert.bind(2, label.toUtf8());
    if (!insert.run()) {
        *error = insert.error();
        return std::nullopt;
    }
    const qint64 step = sqlite3_last_insert_rowid(db);
    for (const char *sql :
        {"DELETE FROM RubrelloHistoryRows WHERE Step <= ?", "DELETE FROM RubrelloHistory WHERE Step <= ?"}) {
        SqliteRows trim(db, sql);
        trim.bind(1, step - HistorySteps);
        if (!trim.run()) {
            *error = trim.error();
            return std::nullopt;
        }
    }
    return step;
}

bool historyStepExists(sqlite3 *db, qint64 step)
{
    SqliteRows row(db, "SELECT 1 FROM RubrelloHistory WHERE Step = ?");
    row.bind(1, step);
    return row.next();
}

HistoryRowWriter::HistoryRowWriter(sqlite3 *db)
    : m_insert(
        db, "INSERT INTO RubrelloHistoryRows (Step, ID, Before, Removed, TrashID) VALUES (?, ?, ?, ?, ?)")
    , m_insertAdded(db,
          "INSERT INTO RubrelloHistoryRows (Step, ID, Before, Removed, TrashID) "
          "SELECT ?1, value, NULL, 0, NULL FROM json_each(?2) ORDER BY key")
{
}

bool HistoryRowWriter::writeAdded(qint64 step, std::span<const qint64> ids, QString *error)
{
    m_insertAdded.bind(1, step);
    m_insertAdded.bind(2, idListJson(ids));
    if (m_insertAdded.run())
        return true;
    *error = m_insertAdded.error();
    return false;
}

bool HistoryRowWriter::write(qint64 step, qint64 id, const QByteArray &before, bool removed,
    std::optional<qint64> trashId, QString *error)
{
    m_insert.bind(1, step);
    m_insert.bind(2, id);
    if (before.isNull())
        m_insert.bindNull(3);
    else
        m_insert.bind(3, before);
    m_insert.bind(4, qint64(removed));
    if (trashId)
        m_insert.bind(5, *trashId);
    else
        m_insert.bindNull(5);
    if (m_insert.run())
        return true;
    *error = m_insert.error();
    return false;
}

std::optional<qint64> addToTrash(sqlite3 *db, qint64 id, const QByteArray &snapshot, QString *error)
{
    SqliteRows insert(db, "INSERT INTO RubrelloTrash (ID, Deleted, Name, Contact) VALUES (?, ?, ?, ?)");
    insert.bind(1, id);
    insert.bind(2, storedTime(QDateTime::currentDateTimeUtc()).toUtf8());
    insert.bind(3, snapshotName(snapshot).toUtf8());
    insert.bind(4, snapshot);
    if (!insert.run()) {
        *error = insert.error();
        return std::nullopt;
    }
    return sqlite3_last_insert_rowid(db);
}

QString storedTime(const QDateTime &time)
{
    return time.toUTC().toString(Qt::ISODate);
}

QDateTime timeFromStored(const QString &text)
{
    QDateTime time = QDateTime::fromString(text, Qt::ISODate);
    time.setTimeSpec(Qt::UTC);
    return time;
}
