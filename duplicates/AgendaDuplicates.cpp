#include "duplicates/AgendaDuplicates.h"

#include "contacts/ContactOrder.h"
#include "contacts/SqliteRows.h"
#include "dial/NumberKey.h"
#include "duplicates/NotDuplicatesTable.h"
#include "lookup/LookupTables.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <unordered_set>

namespace {

constexpr std::array<Field, 8> KeyFields = {Field::LastName, Field::FirstName, Field::Internet,
    Field::Cellulare, Field::WorkPhone, Field::HomePhone, Field::WorkFax, Field::HomeFax};
constexpr size_t FirstNumber = 3;

// The contacts whose numbers the look-up table does not hold current; nullopt without the table.
std::optional<std::unordered_set<qint64>> contactsNotKept(sqlite3 *db)
{
    if (!db || !lookupTablesIntact(db))
        return std::nullopt;
    std::unordered_set<qint64> ids;
    SqliteRows changed(db, "SELECT ID FROM RubrelloChanged");
    while (changed.next())
        ids.insert(changed.integer(0));
    if (changed.failed())
        return std::nullopt;
    return ids;
}

// A read transaction, so the contacts and the table of numbers are read from one state of the file.
class ReadTogether
{
public:
    explicit ReadTogether(sqlite3 *db)
        : m_db(db && sqlite3_get_autocommit(db) ? db : nullptr)
    {
        if (m_db && !runStatement(m_db, "BEGIN", nullptr))
            m_db = nullptr;
    }
    ~ReadTogether()
    {
        if (m_db)
            runStatement(m_db, "COMMIT", nullptr);
    }

private:
    sqlite3 *m_db;
};

} // namespace

std::optional<std::vector<ContactKeys>> readContactKeys(const ContactStore &store, QString *error)
{
    sqlite3 *db = store.connection();
    const ReadTogether together(db);
    const std::optional<std::unordered_set<qint64>> notKept = contactsNotKept(db);
    std::vector<ContactKeys> contacts;
    const bool read = store.scanTexts(
        KeyFields, [&](qint64 id, std::span<const std::optional<QByteArrayView>> values) {
            const auto text = [&](size_t i) { return values[i] ? QString::fromUtf8(*values[i]) : QString(); };
            ContactKeys keys = contactKeys(id, text(0), text(1), text(2));
            if (!notKept || notKept->contains(id)) {
                for (size_t i = FirstNumber; i < KeyFields.size(); ++i) {
                    if (values[i])
                        addNumber(keys, numberKey(*values[i]));
                }
            }
            contacts.push_back(std::move(keys));
        });
    if (!read) {
        *error = store.lastError();
        return std::nullopt;
    }
    std::sort(contacts.begin(), contacts.end(), [](const auto &a, const auto &b) { return a.id < b.id; });
    if (notKept) {
        SqliteRows numbers(db, "SELECT ID, NumberKey FROM RubrelloNumbers ORDER BY ID");
        auto contact = contacts.begin();
        while (numbers.next()) {
            const qint64 id = numbers.integer(0);
            if (notKept->contains(id))
                continue;
            while (contact != contacts.end() && contact->id < id)
                ++contact;
            if (contact != contacts.end() && contact->id == id) {
                const QByteArrayView key = numbers.utf8(1).value_or(QByteArrayView());
                addNumber(*contact, std::string(key.data(), size_t(key.size())));
            }
        }
        if (numbers.failed()) {
            *error = numbers.error();
            return std::nullopt;
        }
    }
    return contacts;
}

std::optional<std::vector<AgendaGroup>> agendaDuplicates(const ContactStore &store, QString *error)
{
    std::optional<std::vector<ContactKeys>> contacts = readContactKeys(store, error);
    if (!contacts)
        return std::nullopt;
    NotDuplicatePairs notDuplicates;
    if (sqlite3 *db = store.connection()) {
        std::optional<NotDuplicatePairs> kept = readNotDuplicates(db, error);
        if (!kept)
            return std::nullopt;
        notDuplicates = std::move(*kept);
    }
    const std::vector<DuplicateGroup> groups = findDuplicateGroups(*contacts, notDuplicates);

    // The names of the contacts in groups, and their rows in the agenda's order, from the index the
    // store keeps.
    bool ok = false;
    const ContactStore::IndexRows order = store.readIndexInOrder(&ok);
    if (!ok) {
        *error = store.lastError();
        return std::nullopt;
    }
    std::unordered_map<qint64, size_t> place;
    for (const DuplicateGroup &group : groups) {
        for (const qint64 id : group.ids)
            place.emplace(id, size_t(-1));
    }
    for (size_t row = 0; row < order->size(); ++row) {
        if (const auto at = place.find((*order)[row].id); at != place.end())
            at->second = row;
    }
    std::vector<AgendaGroup> agenda;
    for (const DuplicateGroup &group : groups) {
        std::vector<size_t> rows;
        for (const qint64 id : group.ids) {
            if (const size_t row = place[id]; row != size_t(-1))
                rows.push_back(row);
        }
        std::sort(rows.begin(), rows.end());
        AgendaGroup shown{{}, group.evidence};
        for (const size_t row : rows)
            shown.contacts.push_back({(*order)[row].id, (*order)[row].lastName(), (*order)[row].firstName()});
        if (shown.contacts.size() > 1)
            agenda.push_back(std::move(shown));
    }
    std::sort(agenda.begin(), agenda.end(), [&](const AgendaGroup &a, const AgendaGroup &b) {
        return place[a.contacts.front().id] < place[b.contacts.front().id];
    });
    return agenda;
}
