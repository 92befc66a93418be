#include "lookup/LookupUpdate.h"

#include "contacts/SqliteRows.h"
#include "lookup/LookupEntry.h"
#include "lookup/LookupTables.h"
#include "search/SearchSnapshot.h"

#include <QString>

#include <algorithm>
#include <span>
#include <vector>

namespace {

// The first ids of the log, one more than maxRows when more are waiting; nullopt when it cannot be read.
std::optional<std::vector<qint64>> loggedIds(sqlite3 *db, int maxRows, QString *error)
{
    std::vector<qint64> ids;
    SqliteRows logged(db, "SELECT ID FROM RubrelloChanged ORDER BY ID LIMIT ?");
    logged.bind(1, qint64(maxRows) + 1);
    while (logged.next())
        ids.push_back(logged.integer(0));
    if (logged.failed()) {
        if (error)
            *error = logged.error();
        return std::nullopt;
    }
    return ids;
}

bool sameFields(
    std::span<const std::optional<QByteArrayView>> now, const std::vector<std::optional<QByteArray>> &then)
{
    return now.size() == then.size()
        && std::equal(now.begin(), now.end(), then.begin(), [](const auto &a, const auto &b) {
               return a.has_value() == b.has_value() && (!a || *a == QByteArrayView(*b));
           });
}

} // namespace

PreparedEntries prepareLoggedChanges(sqlite3 *db, int maxRows)
{
    PreparedEntries prepared;
    const std::optional<std::vector<qint64>> ids = loggedIds(db, maxRows, nullptr);
    if (!ids)
        return prepared;
    const QByteArray selectSql = selectFields(SearchSnapshot::fields()) + " WHERE ID = ?";
    SqliteRows contact(db, selectSql.constData());
    std::vector<std::optional<QByteArrayView>> values(SearchSnapshot::fields().size());
    for (const qint64 id : *ids) {
        contact.bind(1, id);
        if (!contact.next())
            continue;
        PreparedEntry &entry = prepared[id];
        for (size_t i = 0; i < values.size(); ++i) {
            values[i] = contact.utf8(int(i) + 1);
            entry.fields.push_back(
                values[i] ? std::optional<QByteArray>(values[i]->toByteArray()) : std::nullopt);
        }
        entry.entry = lookupEntry(values);
    }
    return prepared;
}

LookupProgress applyLoggedChanges(sqlite3 *db, int maxRows, QString *error, const PreparedEntries &prepared)
{
    std::optional<std::vector<qint64>> logged = loggedIds(db, maxRows, error);
    if (!logged)
        return LookupProgress::Failed;
    std::vector<qint64> ids = std::move(*logged);
    const bool moreLeft = ids.size() > static_cast<size_t>(maxRows);
    if (moreLeft)
        ids.pop_back();

    SqliteRows oldText(db, "SELECT Folded FROM RubrelloSearchText WHERE ID = ?");
    // The index takes an entry out only when told the text it was made from.
    SqliteRows unindex(db,
        "INSERT INTO RubrelloSearchIndex (RubrelloSearchIndex, rowid, Folded) "
        "VALUES ('delete', ?, ?)");
    SqliteRows dropText(db, "DELETE FROM RubrelloSearchText WHERE ID = ?");
    SqliteRows dropNumbers(db, "DELETE FROM RubrelloNumbers WHERE ID = ?");
    const QByteArray selectSql = selectFields(SearchSnapshot::fields()) + " WHERE ID = ?";
    SqliteRows contact(db, selectSql.constData());
    SqliteRows addText(db, "INSERT INTO RubrelloSearchText (ID, Folded) VALUES (?, ?)");
    SqliteRows index(db, "INSERT INTO RubrelloSearchIndex (rowid, Folded) VALUES (?, ?)");
    SqliteRows addNumber(db, "INSERT INTO RubrelloNumbers (Digits, NumberKey, ID) VALUES (?, ?, ?)");
    SqliteRows unlog(db, "DELETE FROM RubrelloChanged WHERE ID = ?");
    std::vector<std::optional<QByteArrayView>> values(SearchSnapshot::fields().size());

    for (const qint64 id : ids) {
        oldText.bind(1, id);
        if (oldText.next()) {
            unindex.bind(1, id);
            unindex.bind(2, oldText.utf8(0).value_or(QByteArrayView()));
            unindex.run();
        }
        dropText.bind(1, id);
        dropNumbers.bind(1, id);
        dropText.run();
        dropNumbers.run();
        contact.bind(1, id);
        if (contact.next()) {
            for (size_t i = 0; i < values.size(); ++i)
                values[i] = contact.utf8(int(i) + 1);
            const auto ready = prepared.find(id);
            const LookupEntry entry = ready != prepared.end() && sameFields(values, ready->second.fields)
                ? ready->second.entry
                : lookupEntry(values);
            const QByteArrayView text(entry.forgivingText.data(), qsizetype(entry.forgivingText.size()));
            addText.bind(1, id);
            addText.bind(2, text);
            index.bind(1, id);
            index.bind(2, text);
            addText.run();
            index.run();
            for (const LookupEntry::Number &number : entry.numbers) {
                addNumber.bind(1, QByteArrayView(number.digits.data(), qsizetype(number.digits.size())));
                addNumber.bind(2, QByteArrayView(number.key.data(), qsizetype(number.key.size())));
                addNumber.bind(3, id);
                addNumber.run();
            }
        }
        unlog.bind(1, id);
        unlog.run();
        for (const SqliteRows *statement :
            {&oldText, &unindex, &dropText, &dropNumbers, &contact, &addText, &index, &addNumber, &unlog}) {
            if (statement->failed()) {
                *error = statement->error();
                return LookupProgress::Failed;
            }
        }
    }
    return moreLeft ? LookupProgress::MoreLeft : LookupProgress::Done;
}

LookupProgress applyWithinWrite(sqlite3 *db)
{
    // A save touches a contact or two; a few hundred still go unnoticed within it.
    constexpr int MostRows = 200;
    if (!lookupTablesIntact(db))
        return LookupProgress::Failed;
    {
        SqliteRows waiting(db, "SELECT count(*) FROM (SELECT 1 FROM RubrelloChanged LIMIT ?)");
        waiting.bind(1, qint64(MostRows) + 1);
        if (!waiting.next() || waiting.integer(0) > MostRows)
            return LookupProgress::MoreLeft;
    }
    QString error;
    // In a savepoint: what fails here is undone alone, and the contacts' write commits all the same.
    if (!runStatement(db, "SAVEPOINT lookup", &error))
        return LookupProgress::Failed;
    const LookupProgress progress = applyLoggedChanges(db, MostRows, &error);
    if (progress == LookupProgress::Failed)
        runStatement(db, "ROLLBACK TO lookup", nullptr);
    runStatement(db, "RELEASE lookup", nullptr);
    return progress;
}
