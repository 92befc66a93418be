#include "exchange/CardProperties.h"

#include "contacts/ContactStore.h"
#include "contacts/SqliteRows.h"
#include "dial/NumberRules.h"
#include "exchange/CardDescription.h"
#include "search/SearchText.h"
#include "text/ForgivingText.h"
#include "vcard/VCardLine.h"

#include <sqlite3.h>

namespace {

bool tableExists(sqlite3 *db)
{
    SqliteRows table(db, "SELECT 1 FROM sqlite_master WHERE name = 'RubrelloCardProperties'");
    return table.next();
}

// The properties of a row; a line that no longer reads back is skipped rather than failing the
// contact.
QList<KeptProperty> keptProperties(std::optional<QByteArrayView> roles, std::optional<QByteArrayView> lines)
{
    const auto split = [](std::optional<QByteArrayView> text) {
        QList<QByteArrayView> parts;
        const QByteArrayView all = text.value_or(QByteArrayView());
        for (qsizetype from = 0; from < all.size();) {
            const qsizetype end = all.indexOf('\n', from);
            parts.append(all.sliced(from, (end < 0 ? all.size() : end) - from));
            from = end < 0 ? all.size() : end + 1;
        }
        return parts;
    };
    QList<KeptProperty> properties;
    const QList<QByteArrayView> roleNames = split(roles);
    const QList<QByteArrayView> lineTexts = split(lines);
    for (qsizetype i = 0; i < lineTexts.size(); ++i) {
        if (std::optional<VCardProperty> property = parseVCardLine(lineTexts[i]))
            properties.append({cardRoleFromName(QString::fromLatin1(roleNames.value(i))), *property});
    }
    return properties;
}

struct SearchTexts
{
    QByteArray texts;
    QByteArray folded;
};

// What the search looks through: the text of each property that fills no box, a line each.
SearchTexts searchTexts(const QList<KeptProperty> &properties)
{
    QStringList texts;
    for (const KeptProperty &kept : properties) {
        if (kept.role != CardRole::None)
            continue;
        if (const QString text = searchableText(kept.property); !text.isEmpty())
            texts.append(text);
    }
    const QString joined = texts.join(u'\n');
    return {joined.toUtf8(), FoldCase(joined, true).toUtf8()};
}

// The table as its first version made it had no search texts: they are added, and made for the
// rows it holds, once.
bool hasSearchTexts(sqlite3 *db)
{
    const SqliteRows probe(db, "SELECT Texts, Folded FROM RubrelloCardProperties LIMIT 0");
    return !probe.failed();
}

bool addSearchTexts(sqlite3 *db, QString *error)
{
    if (hasSearchTexts(db))
        return true;
    if (!runStatement(db, "ALTER TABLE RubrelloCardProperties ADD COLUMN Texts TEXT", error)
        || !runStatement(db, "ALTER TABLE RubrelloCardProperties ADD COLUMN Folded TEXT", error))
        return false;
    SqliteRows rows(db, "SELECT ID, Roles, Lines FROM RubrelloCardProperties");
    SqliteRows fill(db, "UPDATE RubrelloCardProperties SET Texts = ?, Folded = ? WHERE ID = ?");
    while (rows.next()) {
        const SearchTexts texts = searchTexts(keptProperties(rows.utf8(1), rows.utf8(2)));
        fill.bind(1, texts.texts);
        fill.bind(2, texts.folded);
        fill.bind(3, rows.integer(0));
        if (!fill.run()) {
            *error = fill.error();
            return false;
        }
    }
    if (rows.failed())
        *error = rows.error();
    return !rows.failed();
}

} // namespace

bool ensureCardPropertiesTable(sqlite3 *db, QString *error)
{
    // One row a contact: its properties as vCard lines, one a line (a value never holds a line
    // break: it is escaped), and their roles, one a line too; then the text of those that fill no
    // box, as typed and folded, for the search.
    static const char *const Create[]
        = {"CREATE TABLE IF NOT EXISTS RubrelloCardProperties (ID INTEGER PRIMARY KEY, "
           "Roles TEXT NOT NULL, Lines TEXT NOT NULL, Texts TEXT, Folded TEXT)",
            "CREATE TRIGGER IF NOT EXISTS RubrelloCardPropertiesGone AFTER DELETE ON PhoneList BEGIN "
            "DELETE FROM RubrelloCardProperties WHERE ID = OLD.ID; END"};
    return runStatements(db, Create, error) && addSearchTexts(db, error);
}

CardPropertiesWriter::CardPropertiesWriter(sqlite3 *db)
    : m_drop(db, "DELETE FROM RubrelloCardProperties WHERE ID = ?")
    , m_add(db,
          "INSERT OR REPLACE INTO RubrelloCardProperties (ID, Roles, Lines, Texts, Folded) VALUES (?, ?, ?, "
          "?, ?)")
{
}

PreparedContact preparedContact(CardContact contact)
{
    PreparedContact prepared;
    for (const KeptProperty &kept : contact.properties) {
        prepared.roles += cardRoleName(kept.role).toLatin1() + '\n';
        prepared.lines += vCardLine(kept.property, VCardVersion::V4_0) + '\n';
    }
    const SearchTexts texts = searchTexts(contact.properties);
    prepared.texts = texts.texts;
    prepared.folded = texts.folded;
    prepared.contact = std::move(contact);
    return prepared;
}

bool CardPropertiesWriter::write(qint64 id, const PreparedContact &prepared, QString *error)
{
    // A contact's row is replaced whole, or dropped when it has no properties left.
    if (prepared.lines.isEmpty()) {
        m_drop.bind(1, id);
        m_drop.run();
    } else {
        m_add.bind(1, id);
        m_add.bind(2, prepared.roles);
        m_add.bind(3, prepared.lines);
        m_add.bind(4, prepared.texts);
        m_add.bind(5, prepared.folded);
        m_add.run();
    }
    for (const SqliteRows *statement : {&m_drop, &m_add}) {
        if (statement->failed()) {
            *error = statement->error();
            return false;
        }
    }
    return true;
}

QList<KeptProperty> readCardProperties(sqlite3 *db, qint64 id, QString *error)
{
    QList<KeptProperty> properties;
    if (!tableExists(db))
        return properties;
    SqliteRows rows(db, "SELECT Roles, Lines FROM RubrelloCardProperties WHERE ID = ?");
    rows.bind(1, id);
    if (rows.next())
        properties = keptProperties(rows.utf8(0), rows.utf8(1));
    if (rows.failed() && error)
        *error = rows.error();
    return properties;
}

namespace {

QHash<qint64, QList<KeptProperty>> keptPropertiesOfRows(SqliteRows &rows, QString *error)
{
    QHash<qint64, QList<KeptProperty>> all;
    while (rows.next())
        all.insert(rows.integer(0), keptProperties(rows.utf8(1), rows.utf8(2)));
    if (rows.failed())
        *error = rows.error();
    return all;
}

} // namespace

QHash<qint64, QList<KeptProperty>> readCardPropertiesOf(
    sqlite3 *db, std::span<const qint64> ids, QString *error)
{
    if (!tableExists(db))
        return {};
    SqliteRows rows(db,
        "SELECT ID, Roles, Lines FROM RubrelloCardProperties WHERE ID IN (SELECT value FROM json_each(?))");
    rows.bind(1, idListJson(ids));
    return keptPropertiesOfRows(rows, error);
}

QHash<qint64, QList<KeptProperty>> readAllCardProperties(sqlite3 *db, QString *error, QByteArrayView holding)
{
    if (!tableExists(db))
        return {};
    SqliteRows rows(db, "SELECT ID, Roles, Lines FROM RubrelloCardProperties WHERE instr(Lines, ?) > 0");
    rows.bind(1, holding);
    return keptPropertiesOfRows(rows, error);
}

namespace {

// The forgiving rule over one contact's texts: which words each holds, and whether one of its lines
// holds the digits of a number.
void matchForgiving(qint64 id, QByteArrayView texts, const SearchQuery &query, OtherMatches &matches)
{
    std::string forgiving;
    appendForgiving(forgiving, texts);
    for (std::size_t w = 0; w < query.words.size(); ++w) {
        if (forgiving.find(query.words[w]) != std::string::npos)
            matches.words[w].insert(id);
    }
    if (query.digits.empty())
        return;
    std::string digits;
    for (qsizetype from = 0; from < texts.size();) {
        const qsizetype newline = texts.indexOf('\n', from);
        const qsizetype end = newline < 0 ? texts.size() : newline;
        comparableDigits(texts.sliced(from, end - from), digits);
        if (digits.find(query.digits) != std::string::npos) {
            matches.whole.insert(id);
            return;
        }
        from = end + 1;
    }
}

} // namespace

std::optional<OtherMatches> contactsWithOtherText(sqlite3 *db, const SearchQuery &query, QString *error)
{
    OtherMatches matches;
    matches.words.resize(query.words.size());
    // A table the first version made, not yet written by this one, has nothing to search.
    if (!tableExists(db) || !hasSearchTexts(db) || query.rule == SearchRule::WholeAgenda)
        return matches;
    const bool forgiving = query.rule == SearchRule::Forgiving;
    SqliteRows rows(db,
        forgiving ? "SELECT ID, Texts FROM RubrelloCardProperties WHERE Texts <> ''"
            : query.rule == SearchRule::Folded
            ? "SELECT ID FROM RubrelloCardProperties WHERE instr(Folded, ?) > 0"
            : "SELECT ID FROM RubrelloCardProperties WHERE instr(Texts, ?) > 0");
    if (!forgiving)
        rows.bind(1, query.text.toUtf8());
    while (rows.next()) {
        if (forgiving)
            matchForgiving(rows.integer(0), rows.utf8(1).value_or(QByteArrayView()), query, matches);
        else
            matches.whole.insert(rows.integer(0));
    }
    if (!rows.failed())
        return matches;
    if (error)
        *error = rows.error();
    return std::nullopt;
}

OtherTextHits otherTextHitsIn(const ContactStore &store)
{
    return [&store](const SearchQuery &query, QString *error) {
        return contactsWithOtherText(store.connection(), query, error);
    };
}
