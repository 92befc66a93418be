#include "duplicates/NotDuplicatesTable.h"

#include "contacts/SqliteRows.h"

#include <algorithm>

namespace {

bool tableExists(sqlite3 *db)
{
    SqliteRows table(
        db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'RubrelloNotDuplicates'");
    return table.next();
}

} // namespace

std::optional<NotDuplicatePairs> readNotDuplicates(sqlite3 *db, QString *error)
{
    NotDuplicatePairs pairs;
    if (!tableExists(db))
        return pairs;
    SqliteRows rows(db, "SELECT LowID, HighID FROM RubrelloNotDuplicates");
    while (rows.next())
        pairs.add(rows.integer(0), rows.integer(1));
    if (rows.failed()) {
        *error = rows.error();
        return std::nullopt;
    }
    return pairs;
}

bool rememberNotDuplicates(sqlite3 *db, std::span<const qint64> ids, QString *error)
{
    // A savepoint: all the pairs or none, inside a transaction of the caller's or on its own.
    if (!runStatement(db, "SAVEPOINT notduplicates", error))
        return false;
    bool ok = runStatement(db,
        "CREATE TABLE IF NOT EXISTS RubrelloNotDuplicates (LowID INTEGER NOT NULL, HighID INTEGER NOT NULL, "
        "PRIMARY KEY (LowID, HighID)) WITHOUT ROWID",
        error);
    if (ok) {
        SqliteRows add(db, "INSERT OR IGNORE INTO RubrelloNotDuplicates (LowID, HighID) VALUES (?, ?)");
        for (size_t i = 0; ok && i < ids.size(); ++i) {
            for (size_t j = i + 1; ok && j < ids.size(); ++j) {
                add.bind(1, std::min(ids[i], ids[j]));
                add.bind(2, std::max(ids[i], ids[j]));
                ok = add.run();
            }
        }
        if (!ok)
            *error = add.error();
    }
    if (!ok)
        runStatement(db, "ROLLBACK TO notduplicates", nullptr);
    runStatement(db, "RELEASE notduplicates", nullptr);
    return ok;
}
