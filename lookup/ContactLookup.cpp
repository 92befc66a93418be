#include "lookup/ContactLookup.h"

#include "contacts/ContactOrder.h"
#include "contacts/SqliteRows.h"
#include "dial/NumberKey.h"
#include "lookup/LookupEntry.h"
#include "lookup/LookupTables.h"
#include "search/SearchText.h"
#include "text/ForgivingText.h"

#include <algorithm>
#include <array>

namespace {

// Reads fields of the contacts that candidateIds selects (the program's own SQL giving IDs, with
// one ? for value) and of every contact in the log, in one statement and so from one state of the
// file. False when the tables are not there or fail to answer (damaged, say): what visit was
// given is then to be dropped, and every contact read instead.
bool readCandidates(const ContactStore &store, std::span<const Field> fields, const char *candidateIds,
    QByteArrayView value, const ContactStore::TextRowVisitor &visit, std::span<const qint64> alsoIds = {},
    QByteArrayView digits = {})
{
    sqlite3 *db = store.connection();
    if (!candidateIds || !db || !lookupTablesIntact(db))
        return false;
    const QByteArray sql = selectFields(fields) + " WHERE ID IN (" + candidateIds
        + " UNION SELECT ID FROM RubrelloChanged UNION SELECT value FROM json_each(?2)"
          " UNION SELECT ID FROM RubrelloNumbers WHERE ?3 <> '' AND instr(Digits, ?3) > 0)";
    SqliteRows rows(db, sql.constData());
    rows.bind(1, value);
    rows.bind(2, idListJson(alsoIds));
    rows.bind(3, digits);
    std::vector<std::optional<QByteArrayView>> values(fields.size());
    while (rows.next()) {
        for (size_t i = 0; i < values.size(); ++i)
            values[i] = rows.utf8(int(i) + 1);
        visit(rows.integer(0), values);
    }
    return !rows.failed();
}

bool readEveryContact(const ContactStore &store, std::span<const Field> fields,
    const ContactStore::TextRowVisitor &visit, QString *failure)
{
    if (store.scanTexts(fields, visit))
        return true;
    *failure = store.lastError();
    return false;
}

// Puts items in the agenda's order, the order sortByName gives their names.
template<typename Item>
void inAgendaOrder(std::vector<Item> &items, ContactName Item::*names)
{
    // By id first: contacts of one name then follow their ids, and the numbers of one contact
    // keep the order they were found in.
    std::stable_sort(items.begin(), items.end(),
        [names](const Item &a, const Item &b) { return (a.*names).id < (b.*names).id; });
    IndexTable entries;
    entries.reserve(items.size());
    {
        IndexTable::Filler filler(entries);
        for (size_t i = 0; i < items.size(); ++i)
            filler.add(qint64(i), (items[i].*names).lastName, (items[i].*names).firstName);
    }
    sortByName(entries);
    std::vector<Item> ordered;
    ordered.reserve(items.size());
    for (const ContactStore::IndexEntry &entry : entries)
        ordered.push_back(std::move(items[size_t(entry.id)]));
    items = std::move(ordered);
}

} // namespace

NumberAnswer findByNumber(const ContactStore &store, const std::string &key)
{
    NumberAnswer answer;
    std::array<Field, 2 + std::size(NumberFields)> fields{Field::LastName, Field::FirstName};
    for (size_t i = 0; i < std::size(NumberFields); ++i)
        fields[i + 2] = NumberFields[i].field;
    // The last digits of a key stand among a number's digits in every way of writing it: only a
    // number that holds them is worth libphonenumber's parse, when every contact is read.
    const std::string keyNumber = key.substr(0, key.find(';'));
    const std::string keyDigits = digitsOf(QByteArrayView(keyNumber.data(), qsizetype(keyNumber.size())));
    const std::string tail = keyDigits.substr(keyDigits.size() - std::min<size_t>(4, keyDigits.size()));
    const auto visit = [&](qint64 id, std::span<const std::optional<QByteArrayView>> values) {
        for (size_t i = 2; i < fields.size(); ++i) {
            if (!values[i])
                continue;
            if (digitsOf(*values[i]).find(tail) == std::string::npos || numberKey(*values[i]) != key)
                continue;
            const auto text = [&](size_t at) {
                return values[at] ? FieldValue(QString::fromUtf8(*values[at])) : FieldValue();
            };
            answer.matches.push_back({{id, text(0), text(1)}, NumberFields[i - 2].label});
        }
    };
    if (!readCandidates(store, fields, "SELECT ID FROM RubrelloNumbers WHERE NumberKey = ?",
            QByteArrayView(key.data(), qsizetype(key.size())), visit)) {
        answer.matches.clear();
        if (!readEveryContact(store, fields, visit, &answer.failure))
            return answer;
    }
    inAgendaOrder(answer.matches, &NumberMatch::names);
    return answer;
}

TextAnswer findByText(const ContactStore &store, const QString &text, bool ignoreCase, int scope,
    const OtherTextHits &otherHits)
{
    TextAnswer answer;
    const SearchQuery query = searchQuery(text, ignoreCase, scope);
    const std::optional<OtherMatches> others = ::otherHits(otherHits, query, &answer.failure);
    if (!others)
        return answer;
    std::vector<qint64> otherIds(others->whole.begin(), others->whole.end());
    for (const std::unordered_set<qint64> &word : others->words)
        otherIds.insert(otherIds.end(), word.begin(), word.end());

    // The index holds the forgiving text, where every hit of every rule holds the argument's words;
    // an argument without any (punctuation alone) leaves nothing to narrow by.
    const std::vector<std::string> words = query.rule == SearchRule::Forgiving ? query.words
        : query.rule == SearchRule::Literal                                    ? forgivingWords(text)
                                                                               : std::vector<std::string>();
    const std::optional<QByteArray> trigrams = trigramQuery(words);
    // Too short for trigrams: a pass over the forgiving texts for the longest word, still far less
    // than the contacts.
    const QByteArray longest = words.empty() ? QByteArray() : QByteArray::fromStdString(words.front());
    const char *candidates = words.empty() ? nullptr
        : trigrams ? "SELECT rowid FROM RubrelloSearchIndex WHERE RubrelloSearchIndex MATCH ?1"
                   : "SELECT ID FROM RubrelloSearchText WHERE instr(Folded, ?1) > 0";
    const QByteArray digits = QByteArray::fromStdString(query.digits);
    const bool read = answer.rows.readRows([&](const ContactStore::TextRowVisitor &visit) {
        return readCandidates(store, SearchSnapshot::fields(), candidates, trigrams ? *trigrams : longest,
            visit, otherIds, digits);
    }) || answer.rows.readRows([&](const ContactStore::TextRowVisitor &visit) {
        return readEveryContact(store, SearchSnapshot::fields(), visit, &answer.failure);
    });
    if (!read)
        return answer;
    const std::vector<bool> matches = answer.rows.matchingRows(query, *others);
    struct Hit
    {
        ContactName names;
        int row;
    };
    std::vector<Hit> hits;
    for (int row = 0; row < answer.rows.rowCount(); ++row) {
        if (matches[row])
            hits.push_back({{answer.rows.id(row), answer.rows.value(row, Field::LastName),
                                answer.rows.value(row, Field::FirstName)},
                row});
    }
    inAgendaOrder(hits, &Hit::names);
    for (const Hit &hit : hits)
        answer.hits.push_back(hit.row);
    return answer;
}
