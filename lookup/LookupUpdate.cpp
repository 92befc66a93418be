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

// The searched fields of one contact at a time, read by its id; the views hold until the next read.
class SearchedFields
{
public:
    explicit SearchedFields(sqlite3 *db)
        : m_sql(selectFields(SearchSnapshot::fields()) + " WHERE ID = ?")
        , m_contact(db, m_sql.constData())
        , m_values(SearchSnapshot::fields().size())
    {
    }
    // False for a contact no longer there.
    bool read(qint64 id)
    {
        m_contact.bind(1, id);
        if (!m_contact.next())
            return false;
        for (size_t i = 0; i < m_values.size(); ++i)
            m_values[i] = m_contact.utf8(int(i) + 1);
        return true;
    }
    std::span<const std::optional<QByteArrayView>> values() const { return m_values; }
    const SqliteRows &statement() const { return m_contact; }

private:
    QByteArray m_sql;
    SqliteRows m_contact;
    std::vector<std::optional<QByteArrayView>> m_values;
};

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
    SearchedFields contact(db);
    for (const qint64 id : *ids) {
        if (!contact.read(id))
            continue;
        PreparedEntry &entry = prepared[id];
        for (const std::optional<QByteArrayView> &value : contact.values())
            entry.fields.push_back(value ? std::optional<QByteArray>(value->toByteArray()) : std::nullopt);
        entry.entry = lookupEntry(contact.values());
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
    SearchedFields contact(db);
    SqliteRows addText(db, "INSERT INTO RubrelloSearchText (ID, Folded) VALUES (?, ?)");
    SqliteRows index(db, "INSERT INTO RubrelloSearchIndex (rowid, Folded) VALUES (?, ?)");
    SqliteRows addNumber(db, "INSERT INTO RubrelloNumbers (Digits, NumberKey, ID) VALUES (?, ?, ?)");
    SqliteRows unlog(db, "DELETE FROM RubrelloChanged WHERE ID = ?");

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
        if (contact.read(id)) {
            const auto ready = prepared.find(id);
            const LookupEntry entry
                = ready != prepared.end() && sameFields(contact.values(), ready->second.fields)
                ? ready->second.entry
                : lookupEntry(contact.values());
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
        for (const SqliteRows *statement : std::initializer_list<const SqliteRows *>{&oldText, &unindex,
                 &dropText, &dropNumbers, &contact.statement(), &addText, &index, &addNumber, &unlog}) {
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
