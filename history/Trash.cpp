#include "history/Trash.h"

#include "contacts/ContactStore.h"
#include "contacts/SqliteRows.h"
#include "history/ContactSnapshot.h"
#include "history/HistoryTables.h"

#include <QLocale>

#include <sqlite3.h>

#include <limits>

namespace {

struct Held
{
    qint64 trashId = 0;
    qint64 id = 0;
    QByteArray contact;
    QString name;
};

QString restoreLabel(const std::vector<Held> &held)
{
    if (held.size() == 1)
        return QStringLiteral("il ripristino di %1 dal cestino").arg(held.front().name);
    return QStringLiteral("il ripristino di %1 contatti dal cestino")
        .arg(QLocale().toString(qint64(held.size())));
}

// Removes the entries for good, and with them every step of the history that could bring one
// back: a step that took one out, and every step done before it; a step undone that would put one
// back, and every step after it.
bool purge(sqlite3 *db, std::span<const qint64> trashIds, QString *error)
{
    const QByteArray ids = idListJson(trashIds);
    qint64 lastDone = 0;
    qint64 firstUndone = std::numeric_limits<qint64>::max();
    SqliteRows reach(db,
        "SELECT max(CASE WHEN NOT h.Undone THEN h.Step END), min(CASE WHEN h.Undone THEN h.Step END) "
        "FROM RubrelloHistoryRows r JOIN RubrelloHistory h ON h.Step = r.Step "
        "WHERE r.TrashID IN (SELECT value FROM json_each(?))");
    reach.bind(1, ids);
    if (reach.next()) {
        if (reach.utf8(0))
            lastDone = reach.integer(0);
        if (reach.utf8(1))
            firstUndone = reach.integer(1);
    }
    if (reach.failed()) {
        *error = reach.error();
        return false;
    }
    for (const char *sql : {
             "DELETE FROM RubrelloHistoryRows WHERE Step IN (SELECT Step FROM RubrelloHistory "
             "WHERE (NOT Undone AND Step <= ?) OR (Undone AND Step >= ?))",
             "DELETE FROM RubrelloHistory WHERE (NOT Undone AND Step <= ?) OR (Undone AND Step >= ?)",
         }) {
        SqliteRows forget(db, sql);
        forget.bind(1, lastDone);
        forget.bind(2, firstUndone);
        if (!forget.run()) {
            *error = forget.error();
            return false;
        }
    }
    SqliteRows remove(db, "DELETE FROM RubrelloTrash WHERE TrashID IN (SELECT value FROM json_each(?))");
    remove.bind(1, ids);
    if (remove.run())
        return true;
    *error = remove.error();
    return false;
}

// The entries a query of the trash gives, with the one value bound when there is one.
std::vector<qint64> entriesOf(
    sqlite3 *db, const char *sql, const std::optional<QByteArray> &value, QString *error)
{
    std::vector<qint64> found;
    SqliteRows read(db, sql);
    if (value)
        read.bind(1, *value);
    while (read.next())
        found.push_back(read.integer(0));
    if (read.failed())
        *error = read.error();
    return found;
}

// Removes for good the entries the query gives, in one transaction; how many goes to count.
bool purgeWhere(
    ContactStore &store, const char *sql, const std::optional<QByteArray> &value, int *count, QString *error)
{
    sqlite3 *db = store.connection();
    if (count)
        *count = 0;
    if (!db || !historyTablesExist(db))
        return true;
    // Nothing to remove writes nothing: the expiry runs at every start and end.
    error->clear();
    const std::vector<qint64> entries = entriesOf(db, sql, value, error);
    if (!error->isEmpty())
        return false;
    if (entries.empty())
        return true;
    ContactStore::Batch batch(store);
    if (!batch.ok()) {
        *error = store.lastError();
        return false;
    }
    if (!purge(db, entries, error))
        return false;
    if (!batch.commit()) {
        *error = store.lastError();
        return false;
    }
    if (count)
        *count = int(entries.size());
    return true;
}

} // namespace

std::vector<TrashEntry> trashEntries(const ContactStore &store, QString *error)
{
    std::vector<TrashEntry> entries;
    sqlite3 *db = store.connection();
    if (!db || !historyTablesExist(db))
        return entries;
    SqliteRows read(
        db, "SELECT TrashID, ID, Deleted, Name FROM RubrelloTrash WHERE InTrash ORDER BY TrashID DESC");
    while (read.next())
        entries.push_back({read.integer(0), read.integer(1), timeFromStored(read.text(2).value_or(QString())),
            read.text(3).value_or(QString())});
    if (read.failed()) {
        *error = read.error();
        entries.clear();
    }
    return entries;
}

HistoryOutcome restoreFromTrash(ContactStore &store, std::span<const qint64> trashIds)
{
    HistoryOutcome outcome;
    ContactStore::Batch batch(store);
    sqlite3 *db = store.connection();
    if (!batch.ok() || !db) {
        outcome.failure = store.lastError();
        return outcome;
    }
    QString &error = outcome.failure;
    if (!ensureHistoryTables(db, &error))
        return outcome;
    std::vector<Held> held;
    SqliteRows read(db,
        "SELECT TrashID, ID, Contact, Name FROM RubrelloTrash "
        "WHERE InTrash AND TrashID IN (SELECT value FROM json_each(?)) ORDER BY TrashID");
    read.bind(1, idListJson(trashIds));
    while (read.next())
        held.push_back({read.integer(0), read.integer(1),
            read.utf8(2).value_or(QByteArrayView()).toByteArray(), read.text(3).value_or(QString())});
    if (read.failed()) {
        error = read.error();
        return outcome;
    }
    if (held.empty()) {
        error = QStringLiteral("i contatti scelti non sono più nel cestino");
        return outcome;
    }
    outcome.label = restoreLabel(held);
    const std::optional<qint64> step = startHistoryStep(db, outcome.label, &error);
    if (!step)
        return outcome;
    HistoryRowWriter rows(db);
    SqliteRows takeOut(db, "UPDATE RubrelloTrash SET InTrash = 0 WHERE TrashID = ?");
    for (const Held &entry : held) {
        const std::optional<bool> taken = contactExists(db, entry.id, &error);
        if (!taken)
            return outcome;
        // Its own id when that is free, else a new one.
        const std::optional<qint64> id = *taken                ? putSnapshotAsNew(db, entry.contact, &error)
            : putSnapshot(db, entry.id, entry.contact, &error) ? std::optional(entry.id)
                                                               : std::nullopt;
        if (!id)
            return outcome;
        store.noteRewritten(*id);
        takeOut.bind(1, entry.trashId);
        if (!takeOut.run()) {
            error = takeOut.error();
            return outcome;
        }
        if (!rows.write(*step, *id, QByteArray(), false, entry.trashId, &error))
            return outcome;
        outcome.contacts.push_back(*id);
    }
    if (!batch.commit()) {
        error = store.lastError();
        outcome.contacts.clear();
    }
    return outcome;
}

bool removeFromTrash(ContactStore &store, std::span<const qint64> trashIds, QString *error)
{
    return purgeWhere(store,
        "SELECT TrashID FROM RubrelloTrash WHERE TrashID IN (SELECT value FROM json_each(?))",
        idListJson(trashIds), nullptr, error);
}

bool emptyTrash(ContactStore &store, QString *error)
{
    return purgeWhere(store, "SELECT TrashID FROM RubrelloTrash WHERE InTrash", std::nullopt, nullptr, error);
}

int expireTrash(ContactStore &store, const QDateTime &now, QString *error)
{
    int count = 0;
    const QByteArray since = storedTime(now.addDays(-TrashDays)).toUtf8();
    if (!purgeWhere(store, "SELECT TrashID FROM RubrelloTrash WHERE Deleted < ?", since, &count, error))
        return -1;
    return count;
}
