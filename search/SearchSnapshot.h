// Every contact's searched fields held as one block of UTF-8 text in the forgiving form the search
// compares (and, when asked for, as stored), read once and kept while the store is unchanged, so
// that a search over a large agenda is a single pass over memory.
#pragma once

#include "contacts/ContactRecord.h"
#include "contacts/ContactStore.h"
#include "search/RowIndex.h"
#include "search/SearchFields.h"
#include "search/SearchQuery.h"

#include <QHash>
#include <QIODevice>
#include <QString>

#include <atomic>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

// Contacts that hold the argument in data kept outside the snapshot (what an imported contact
// brought beyond the card's boxes): for the forgiving rule one set per word of the query, in its
// order, and in whole those whose numbers hold its digits; for the other rules whole alone.
struct OtherMatches
{
    std::vector<std::unordered_set<qint64>> words;
    std::unordered_set<qint64> whole;
};

class SearchSnapshot
{
public:
    // keepsStored: the fields are kept as stored too, for the literal rule and value(); without, a
    // snapshot takes half the memory and keepStored() reads them when they are first needed.
    explicit SearchSnapshot(bool keepsStored = true)
        : m_keepsStored(keepsStored)
    {
        clear();
    }
    bool keepsStored() const { return m_keepsStored; }
    // From now on the fields are kept as stored: the next refresh reads every row again.
    void keepStored();

    // Reads the store again unless this snapshot already holds what it holds now. False, with the
    // store's reason in error, when it could not be read; the snapshot is then empty and the next
    // refresh tries again.
    // rows, the table's size when the caller knows it (a walk over it does), only sizes the room
    // reserved for a whole read; otherwise the store is asked.
    bool refresh(const ContactStore &store, QString *error, std::optional<qint64> rows = std::nullopt);
    bool isCurrent(const ContactStore &store) const;

    // Reads a snapshot of the store file on a connection of its own, so it can run on another
    // thread while the window goes on; cancel stops it early. Nullopt, with the reason in error,
    // when it could not be read or was stopped.
    // rows, the table's size when known, only sizes the room reserved.
    static std::optional<SearchSnapshot> readFile(
        const QString &path, qint64 rows, const std::atomic<bool> &cancel, QString *error);
    // Reads every row through scan into an empty snapshot; rows and textBytes size the room. False
    // when scan fails.
    bool readWhole(
        qint64 rows, qint64 textBytes, const std::function<bool(const ContactStore::TextRowVisitor &)> &scan);
    // The rows of ids read again through scan (which hands over those of them that still exist).
    bool readAgain(
        std::span<const qint64> ids, const std::function<bool(const ContactStore::TextRowVisitor &)> &scan);
    // Holds the searched fields of records, and nothing else.
    void readRecords(std::span<const ContactRecord> records);
    // Reads the rows that scan hands over (the searched fields, in SearchFields' order) into an empty
    // snapshot, for a search over some of the contacts only. False when scan fails.
    bool readRows(const std::function<bool(const ContactStore::TextRowVisitor &)> &scan);
    // Takes over a snapshot read by readFile() as that of store at generation: the next refresh
    // brings in whatever was written since.
    void adopt(SearchSnapshot &&read, const ContactStore &store, quint64 generation);

    // The fields a snapshot holds, in the order a scan hands them to readRows().
    static std::span<const Field> fields();

    int rowCount() const { return static_cast<int>(m_ids.size()); }
    // Grows whenever a row comes in or the rows are read anew: what rowOf() answers holds while it
    // stays the same.
    quint64 version() const { return m_version; }
    qint64 id(int row) const { return m_ids[row]; }
    // The row of the contact with this id, -1 when the snapshot has none.
    int rowOf(qint64 id) const { return m_rowOfId.rowOf(id); }
    // A searched field of a row as stored, Null kept; only for a snapshot that keeps them.
    FieldValue value(int row, Field field) const;

    // The memory the snapshot holds, in bytes.
    std::size_t memoryBytes() const;

    // The forgiving texts of the rows rowOf() answers for, as bytes that readForgiving() takes back.
    // before: what the bytes are to follow.
    QByteArray forgivingBytes(QByteArray before = {}) const;
    // Fills the snapshot, which then keeps no stored fields, from what forgivingBytes() gave, read
    // from in up to its end; false, leaving it empty, for bytes that are not a whole, sound snapshot.
    bool readForgiving(QIODevice &in);

    // One flag per row: whether the contact is a hit of query (SearchQuery.h), with others as more
    // places where it looks.
    std::vector<bool> matchingRows(const SearchQuery &query, const OtherMatches &others = {}) const;

private:
    // The fields of all rows one after the other, perRow fields to a row. Field i of row r is the
    // text from start[r * perRow + i] up to the next start. UTF-8 halves the memory a scan must
    // read, and a byte search finds exactly what a character search finds, since a UTF-8 sequence
    // never begins inside another.
    struct Texts
    {
        std::string text;
        std::vector<quint32> start;
        int perRow = SearchFieldCount;

        // Room reserved and never written takes no memory: what is held is counted.
        std::size_t memoryBytes() const { return text.size() + start.size() * sizeof(quint32); }
        // Appends one field and closes its slot.
        void closeField() { start.push_back(static_cast<quint32>(text.size())); }
        QByteArrayView field(std::size_t slot) const;
        // Whether needle lies wholly inside one of the fields of row that searched marks.
        bool rowHolds(int row, std::string_view needle, const bool *searched) const;
        // Marks every row that holds needle inside one of the fields that searched marks.
        void markRowsHolding(std::string_view needle, const bool *searched, std::vector<bool> &rows) const;
        // Calls hit(row) for each row from firstRow up to endRow that holds needle so.
        template<typename Hit>
        void forRowsHolding(std::string_view needle, const bool *searched, std::size_t firstRow,
            std::size_t endRow, Hit &&hit) const;
    };
    // The texts the forgiving rule compares: every field in the forgiving form, and the digits of the
    // numbers (NumberFieldSlots).
    struct ForgivingTexts
    {
        Texts words;
        Texts digits{{}, {}, NumberFieldCount};
    };

    void clear();
    void appendRow(qint64 id, std::span<const std::optional<QByteArrayView>> values);
    void appendRecord(const ContactRecord &record);
    static QByteArray bytesOf(const SearchSnapshot &snapshot, QByteArray out);
    const Texts &folded() const;
    std::vector<bool> forgivingMatches(const SearchQuery &query, const OtherMatches &others) const;

    const ContactStore *m_store = nullptr;
    quint64 m_generation = 0;
    quint64 m_version = 0;
    std::vector<qint64> m_ids;
    std::vector<quint32> m_nullFields; // bit i set: searched field i of the row is Null
    RowIndex m_rowOfId;
    ForgivingTexts m_forgiving;
    bool m_keepsStored = true;
    // The fields as stored, when kept.
    Texts m_plain;
    // Upper-cased, made on the first search that needs them, then brought along as rows come in.
    mutable std::optional<Texts> m_folded;
};
