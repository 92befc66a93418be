#include "search/SearchSnapshot.h"

#include "contacts/ContactStore.h"
#include "dial/NumberRules.h"
#include "search/SearchText.h"
#include "text/ForgivingText.h"
#include "text/Utf8Text.h"

#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <future>
#include <string_view>

namespace {

int searchFieldIndex(Field field)
{
    const auto found = std::find_if(SearchFields.begin(), SearchFields.end(),
        [field](const SearchField &info) { return info.field == field; });
    return found == SearchFields.end() ? -1 : static_cast<int>(found - SearchFields.begin());
}

QByteArrayView fieldText(const auto &texts, std::size_t slot)
{
    return QByteArrayView(
        texts.text.data() + texts.start[slot], qsizetype(texts.start[slot + 1] - texts.start[slot]));
}

// FoldCase over every field at once: ASCII letters fold in long runs, and only a field holding other
// text goes through Qt's Unicode upper-casing, which can change its length ("ß" becomes "SS",
// "ı" becomes "I"); the fields after it move by as much.
template<typename Texts>
Texts foldedTexts(const Texts &plain)
{
    Texts folded;
    folded.text.reserve(plain.text.size());
    folded.start.resize(plain.start.size());
    std::size_t copied = 0;
    std::size_t startsDone = 0;
    qint64 moved = 0;
    auto copyAsciiUpTo = [&](std::size_t end) {
        const std::size_t at = folded.text.size();
        folded.text.append(plain.text, copied, end - copied);
        foldAsciiFrom(folded.text, at);
        copied = end;
    };
    auto placeStartsUpTo = [&](std::size_t slot) {
        for (; startsDone <= slot; ++startsDone)
            folded.start[startsDone] = static_cast<quint32>(plain.start[startsDone] + moved);
    };
    std::size_t slot = 0;
    for (std::size_t at = nextNonAscii(plain.text, 0); at < plain.text.size();
         at = nextNonAscii(plain.text, copied)) {
        while (static_cast<std::size_t>(plain.start[slot + 1]) <= at)
            ++slot;
        copyAsciiUpTo(static_cast<std::size_t>(plain.start[slot]));
        placeStartsUpTo(slot);
        const QByteArrayView field = fieldText(plain, slot);
        const std::size_t before = folded.text.size();
        appendFolded(folded.text, field);
        moved += static_cast<qint64>(folded.text.size() - before) - field.size();
        copied = static_cast<std::size_t>(plain.start[slot + 1]);
    }
    copyAsciiUpTo(plain.text.size());
    placeStartsUpTo(plain.start.size() - 1);
    return folded;
}

const std::array<Field, SearchFieldCount> &searchedFieldList()
{
    static const std::array<Field, SearchFieldCount> fields = [] {
        std::array<Field, SearchFieldCount> list;
        std::transform(SearchFields.begin(), SearchFields.end(), list.begin(),
            [](const SearchField &info) { return info.field; });
        return list;
    }();
    return fields;
}

std::array<bool, SearchFieldCount> searchedFields(int scope)
{
    std::array<bool, SearchFieldCount> searched{};
    for (int i = 0; i < SearchFieldCount; ++i)
        searched[i] = isGroupSearched(SearchFields[i].group, scope);
    return searched;
}

} // namespace

bool SearchSnapshot::isCurrent(const ContactStore &store) const
{
    return m_store == &store && m_generation == store.generation();
}

void SearchSnapshot::clear()
{
    ++m_version;
    m_store = nullptr;
    m_generation = 0;
    m_ids.clear();
    m_nullFields.clear();
    m_rowOfId.clear();
    m_forgiving = ForgivingTexts();
    m_forgiving.words.closeField();
    m_forgiving.digits.closeField();
    m_plain = Texts();
    m_plain.closeField();
    m_folded.reset();
}

void SearchSnapshot::keepStored()
{
    if (m_keepsStored)
        return;
    clear();
    m_keepsStored = true;
}

void SearchSnapshot::appendRow(qint64 id, std::span<const std::optional<QByteArrayView>> values)
{
    ++m_version;
    quint32 nulls = 0;
    std::string stored;
    std::string digits;
    // start always ends with the end of the text: each field appended closes its own slot.
    for (int i = 0; i < SearchFieldCount; ++i) {
        QByteArrayView value;
        if (!values[i]) {
            nulls |= 1u << i;
        } else if (isValidUtf8(*values[i])) {
            value = *values[i];
        } else {
            stored.clear();
            appendStored(stored, *values[i]);
            value = QByteArrayView(stored.data(), qsizetype(stored.size()));
        }
        appendForgiving(m_forgiving.words.text, value);
        m_forgiving.words.closeField();
        if (m_keepsStored) {
            m_plain.text.append(value.data(), std::size_t(value.size()));
            m_plain.closeField();
            if (m_folded) {
                appendFolded(m_folded->text, value);
                m_folded->closeField();
            }
        }
        if (isNumberSlot(i)) {
            comparableDigits(value, digits);
            m_forgiving.digits.text += digits;
            m_forgiving.digits.closeField();
        }
    }
    // Two rows with one id cannot come from the table; should it happen the first one counts.
    if (!m_rowOfId.contains(id))
        m_rowOfId.insert(id, static_cast<int>(m_ids.size()));
    m_ids.push_back(id);
    m_nullFields.push_back(nulls);
}

void SearchSnapshot::appendRecord(const ContactRecord &record)
{
    std::array<QByteArray, SearchFieldCount> utf8;
    std::array<std::optional<QByteArrayView>, SearchFieldCount> values;
    for (int i = 0; i < SearchFieldCount; ++i) {
        if (const FieldValue &value = record.value(SearchFields[i].field)) {
            utf8[i] = value->toUtf8();
            values[i] = QByteArrayView(utf8[i]);
        }
    }
    appendRow(record.id, values);
}

void SearchSnapshot::readRecords(std::span<const ContactRecord> records)
{
    clear();
    for (const ContactRecord &record : records)
        appendRecord(record);
}

bool SearchSnapshot::refresh(const ContactStore &store, QString *error, std::optional<qint64> rows)
{
    if (isCurrent(store))
        return true;

    // After a few writes only the rows they touched are read. A row written again is added anew at
    // the end and its old copy left behind, unseen by rowOf(); once those are many, reading
    // everything again is cheaper than carrying them.
    std::vector<qint64> changed;
    if (m_store == &store && store.changedSince(m_generation, &changed)) {
        const std::size_t leftBehind = m_ids.size() - static_cast<std::size_t>(m_rowOfId.size());
        if (changed.size() + leftBehind <= m_ids.size() / 4 + 64) {
            const quint64 generation = store.generation();
            std::sort(changed.begin(), changed.end());
            changed.erase(std::unique(changed.begin(), changed.end()), changed.end());
            bool ok = true;
            ++m_version;
            for (auto id = changed.begin(); ok && id != changed.end(); ++id) {
                const std::optional<ContactRecord> record = store.read(*id, &ok);
                if (!ok)
                    break;
                m_rowOfId.remove(*id);
                if (record)
                    appendRecord(*record);
            }
            if (ok) {
                m_generation = generation;
                return true;
            }
        }
    }

    // Taken before the read: a write that slipped in between makes the next refresh read again.
    const quint64 generation = store.generation();
    const bool read = readWhole(rows ? *rows : store.count(), QFileInfo(store.path()).size(),
        [&](const ContactStore::TextRowVisitor &visit) {
            return store.scanTexts(searchedFieldList(), visit);
        });
    if (!read) {
        if (error)
            *error = store.lastError();
        return false;
    }
    m_store = &store;
    m_generation = generation;
    return true;
}

bool SearchSnapshot::readWhole(
    qint64 rows, qint64 textBytes, const std::function<bool(const ContactStore::TextRowVisitor &)> &scan)
{
    clear();
    // Room for everything at once, so the block is never moved while it grows. The texts cannot
    // take more bytes than the file holds; room reserved and not used costs no memory.
    const auto rowCount = static_cast<std::size_t>(std::max<qint64>(rows, 0));
    const auto bytes = static_cast<std::size_t>(std::max<qint64>(textBytes, 0));
    m_forgiving.words.text.reserve(bytes);
    m_forgiving.words.start.reserve(rowCount * SearchFieldCount + 1);
    m_forgiving.digits.start.reserve(rowCount * NumberFieldCount + 1);
    if (m_keepsStored) {
        m_plain.text.reserve(bytes);
        m_plain.start.reserve(rowCount * SearchFieldCount + 1);
    }
    m_ids.reserve(rowCount);
    m_nullFields.reserve(rowCount);
    m_rowOfId.reserve(static_cast<qsizetype>(rowCount) + 1);
    if (!scan([this](qint64 id, std::span<const std::optional<QByteArrayView>> values) {
            appendRow(id, values);
        })) {
        clear();
        return false;
    }
    return true;
}

std::optional<SearchSnapshot> SearchSnapshot::readFile(
    const QString &path, qint64 rows, const std::atomic<bool> &cancel, QString *error)
{
    SearchSnapshot snapshot(false);
    const bool read
        = snapshot.readWhole(rows, QFileInfo(path).size(), [&](const ContactStore::TextRowVisitor &visit) {
              return ContactStore::scanTextsInFile(path, searchedFieldList(), visit, cancel, error);
          });
    if (!read)
        return std::nullopt;
    return snapshot;
}

bool SearchSnapshot::readRows(const std::function<bool(const ContactStore::TextRowVisitor &)> &scan)
{
    return readWhole(0, 0, scan);
}

bool SearchSnapshot::readAgain(
    std::span<const qint64> ids, const std::function<bool(const ContactStore::TextRowVisitor &)> &scan)
{
    ++m_version;
    for (const qint64 id : ids)
        m_rowOfId.remove(id);
    return scan(
        [this](qint64 id, std::span<const std::optional<QByteArrayView>> values) { appendRow(id, values); });
}

std::span<const Field> SearchSnapshot::fields()
{
    return searchedFieldList();
}

void SearchSnapshot::adopt(SearchSnapshot &&read, const ContactStore &store, quint64 generation)
{
    const quint64 version = m_version;
    *this = std::move(read);
    m_version = version + 1;
    m_store = &store;
    m_generation = generation;
}

FieldValue SearchSnapshot::value(int row, Field field) const
{
    const int i = searchFieldIndex(field);
    if (i < 0 || !m_keepsStored || (m_nullFields[row] & (1u << i)))
        return std::nullopt;
    const std::size_t slot = static_cast<std::size_t>(row) * SearchFieldCount + i;
    return QString::fromUtf8(fieldText(m_plain, slot));
}

QByteArrayView SearchSnapshot::Texts::field(std::size_t slot) const
{
    return fieldText(*this, slot);
}

template<typename Hit>
void SearchSnapshot::Texts::forRowsHolding(
    std::string_view needle, const bool *searched, std::size_t firstRow, std::size_t endRow, Hit &&hit) const
{
    // One scan over the rows at once. Each occurrence found is kept only when it lies wholly inside
    // one field that is searched; a Null field holds no text, so it never matches. The first match
    // of a row settles it and the scan goes on with the next row.
    const std::size_t fields = static_cast<std::size_t>(perRow);
    const std::size_t end = start[endRow * fields];
    std::size_t slot = firstRow * fields;
    std::size_t from = start[slot];
    while (from < end) {
        const void *at = memmem(text.data() + from, end - from, needle.data(), needle.size());
        if (!at)
            break;
        const auto found = std::size_t(static_cast<const char *>(at) - text.data());
        while (start[slot + 1] <= found)
            ++slot;
        const std::size_t row = slot / fields;
        if (!searched[slot % fields]) {
            from = start[slot + 1];
        } else if (found + needle.size() <= start[slot + 1]) {
            hit(row);
            slot = (row + 1) * fields;
            from = start[slot];
        } else {
            from = found + 1;
        }
    }
}

bool SearchSnapshot::Texts::rowHolds(int row, std::string_view needle, const bool *searched) const
{
    bool holds = false;
    forRowsHolding(
        needle, searched, std::size_t(row), std::size_t(row) + 1, [&](std::size_t) { holds = true; });
    return holds;
}

void SearchSnapshot::Texts::markRowsHolding(
    std::string_view needle, const bool *searched, std::vector<bool> &rows) const
{
    const std::size_t count = rows.size();
    const auto mark = [&](std::size_t firstRow, std::size_t endRow) {
        forRowsHolding(needle, searched, firstRow, endRow, [&](std::size_t row) { rows[row] = true; });
    };
    // A large agenda is scanned in two halves at once. The halves part at a multiple of 64 rows, so
    // no word of the flags is written by both.
    constexpr std::size_t WorthASecondThread = 4 << 20;
    if (text.size() < WorthASecondThread || count < 128) {
        mark(0, count);
        return;
    }
    const std::size_t half = count / 2 / 64 * 64;
    auto second = std::async(std::launch::async, [&] { mark(half, count); });
    mark(0, half);
    second.wait();
}

const SearchSnapshot::Texts &SearchSnapshot::folded() const
{
    if (!m_folded)
        m_folded = foldedTexts(m_plain);
    return *m_folded;
}

std::vector<bool> SearchSnapshot::forgivingMatches(const SearchQuery &query, const OtherMatches &others) const
{
    const ForgivingTexts &texts = m_forgiving;
    const int rows = rowCount();
    const std::array<bool, SearchFieldCount> searched = searchedFields(query.scope);

    // The first word over every row; each later one only over the rows that are still hits, unless
    // they are most of them.
    std::vector<bool> hits;
    for (std::size_t w = 0; w < query.words.size(); ++w) {
        const std::string_view word = query.words[w];
        const std::unordered_set<qint64> *elsewhere = w < others.words.size() ? &others.words[w] : nullptr;
        const auto holdsElsewhere = [&](int row) { return elsewhere && elsewhere->contains(m_ids[row]); };
        if (w == 0 || std::count(hits.begin(), hits.end(), true) > rows / 2) {
            std::vector<bool> withWord(rows, false);
            texts.words.markRowsHolding(word, searched.data(), withWord);
            for (int row = 0; row < rows; ++row)
                withWord[row] = (withWord[row] || holdsElsewhere(row)) && (w == 0 || hits[row]);
            hits = std::move(withWord);
            continue;
        }
        for (int row = 0; row < rows; ++row) {
            if (hits[row])
                hits[row] = holdsElsewhere(row) || texts.words.rowHolds(row, word, searched.data());
        }
    }
    if (!query.digits.empty()) {
        std::array<bool, NumberFieldCount> numbers{};
        for (int i = 0; i < NumberFieldCount; ++i)
            numbers[i] = searched[NumberFieldSlots[i]];
        texts.digits.markRowsHolding(query.digits, numbers.data(), hits);
    }
    return hits;
}

std::vector<bool> SearchSnapshot::matchingRows(const SearchQuery &query, const OtherMatches &others) const
{
    const int rows = rowCount();
    if (query.rule == SearchRule::WholeAgenda)
        return std::vector<bool>(rows, true);

    std::vector<bool> matches;
    if (query.rule == SearchRule::Forgiving) {
        matches = forgivingMatches(query, others);
    } else {
        matches.assign(rows, false);
        // A snapshot without the stored fields cannot answer these rules: its owner keeps them first.
        if (m_keepsStored) {
            const QByteArray needle = query.text.toUtf8();
            const std::array<bool, SearchFieldCount> searched = searchedFields(query.scope);
            const Texts &texts = query.rule == SearchRule::Folded ? folded() : m_plain;
            texts.markRowsHolding(
                std::string_view(needle.constData(), std::size_t(needle.size())), searched.data(), matches);
        }
    }
    for (int row = 0; row < rows; ++row) {
        if (others.whole.contains(m_ids[row]))
            matches[row] = true;
    }
    return matches;
}

namespace {

// The bytes of a snapshot: its row count and the sizes of its texts, then the ids, the Null flags,
// the starts and the text of the words, the starts and the text of the digits.
struct ForgivingHeader
{
    quint64 rows;
    quint64 wordBytes;
    quint64 digitBytes;
};

template<typename T>
void appendArray(QByteArray &out, const std::vector<T> &values)
{
    out.append(reinterpret_cast<const char *>(values.data()), qsizetype(values.size() * sizeof(T)));
}

// Reads count values straight into place; a count beyond what is left to read is refused before
// any room is made for it.
template<typename T>
bool takeArray(QIODevice &in, std::vector<T> &values, quint64 count)
{
    if (count > quint64(in.bytesAvailable()) / sizeof(T))
        return false;
    values.resize(count);
    const auto bytes = qint64(count * sizeof(T));
    return in.read(reinterpret_cast<char *>(values.data()), bytes) == bytes;
}

bool takeText(QIODevice &in, std::string &text, quint64 size)
{
    if (size > quint64(in.bytesAvailable()))
        return false;
    text.resize(size);
    return in.read(text.data(), qint64(size)) == qint64(size);
}

// Starts that begin at 0, never go back and end at the text's end.
bool soundStarts(const std::vector<quint32> &start, std::size_t textSize)
{
    return !start.empty() && start.front() == 0 && start.back() == textSize
        && std::is_sorted(start.begin(), start.end());
}

} // namespace

std::size_t SearchSnapshot::memoryBytes() const
{
    return m_ids.size() * sizeof(qint64) + m_nullFields.size() * sizeof(quint32) + m_rowOfId.memoryBytes()
        + m_forgiving.words.memoryBytes() + m_forgiving.digits.memoryBytes() + m_plain.memoryBytes()
        + (m_folded ? m_folded->memoryBytes() : 0);
}

QByteArray SearchSnapshot::forgivingBytes(QByteArray before) const
{
    // Only the rows rowOf() answers for: a row left behind by a later write is not carried over.
    if (m_rowOfId.size() == qsizetype(m_ids.size()))
        return bytesOf(*this, std::move(before));
    SearchSnapshot live(false);
    live.m_ids.reserve(std::size_t(m_rowOfId.size()));
    for (int row = 0; row < rowCount(); ++row) {
        if (rowOf(m_ids[row]) != row)
            continue;
        live.m_ids.push_back(m_ids[row]);
        live.m_nullFields.push_back(m_nullFields[row]);
        for (int i = 0; i < SearchFieldCount; ++i) {
            const QByteArrayView field = m_forgiving.words.field(std::size_t(row) * SearchFieldCount + i);
            live.m_forgiving.words.text.append(field.data(), std::size_t(field.size()));
            live.m_forgiving.words.closeField();
        }
        for (int i = 0; i < NumberFieldCount; ++i) {
            const QByteArrayView field = m_forgiving.digits.field(std::size_t(row) * NumberFieldCount + i);
            live.m_forgiving.digits.text.append(field.data(), std::size_t(field.size()));
            live.m_forgiving.digits.closeField();
        }
    }
    return bytesOf(live, std::move(before));
}

QByteArray SearchSnapshot::bytesOf(const SearchSnapshot &snapshot, QByteArray out)
{
    const ForgivingHeader header{snapshot.m_ids.size(), snapshot.m_forgiving.words.text.size(),
        snapshot.m_forgiving.digits.text.size()};
    const Texts &words = snapshot.m_forgiving.words;
    const Texts &digits = snapshot.m_forgiving.digits;
    out.reserve(out.size()
        + qsizetype(sizeof header + snapshot.m_ids.size() * (sizeof(qint64) + sizeof(quint32))
            + (words.start.size() + digits.start.size()) * sizeof(quint32) + words.text.size()
            + digits.text.size()));
    out.append(reinterpret_cast<const char *>(&header), sizeof header);
    appendArray(out, snapshot.m_ids);
    appendArray(out, snapshot.m_nullFields);
    appendArray(out, snapshot.m_forgiving.words.start);
    out.append(snapshot.m_forgiving.words.text.data(), qsizetype(snapshot.m_forgiving.words.text.size()));
    appendArray(out, snapshot.m_forgiving.digits.start);
    out.append(snapshot.m_forgiving.digits.text.data(), qsizetype(snapshot.m_forgiving.digits.text.size()));
    return out;
}

bool SearchSnapshot::readForgiving(QIODevice &in)
{
    clear();
    m_keepsStored = false;
    ForgivingHeader header{};
    const bool read = in.read(reinterpret_cast<char *>(&header), sizeof header) == qint64(sizeof header)
        && header.rows < (quint64(1) << 32) && takeArray(in, m_ids, header.rows)
        && takeArray(in, m_nullFields, header.rows)
        && takeArray(in, m_forgiving.words.start, header.rows * SearchFieldCount + 1)
        && takeText(in, m_forgiving.words.text, header.wordBytes)
        && takeArray(in, m_forgiving.digits.start, header.rows * NumberFieldCount + 1)
        && takeText(in, m_forgiving.digits.text, header.digitBytes) && in.atEnd()
        && soundStarts(m_forgiving.words.start, m_forgiving.words.text.size())
        && soundStarts(m_forgiving.digits.start, m_forgiving.digits.text.size());
    if (!read) {
        clear();
        return false;
    }
    m_rowOfId.reserve(qsizetype(m_ids.size()));
    for (std::size_t row = 0; row < m_ids.size(); ++row) {
        if (!m_rowOfId.contains(m_ids[row]))
            m_rowOfId.insert(m_ids[row], int(row));
    }
    return true;
}
