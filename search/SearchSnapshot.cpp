#include "search/SearchSnapshot.h"

#include "contacts/ContactStore.h"
#include "search/SearchText.h"
#include "text/Utf8Text.h"

#include <QFileInfo>

#include <algorithm>
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
    return QByteArrayView(texts.text.data(), static_cast<qsizetype>(texts.text.size()))
        .sliced(texts.start[slot], texts.start[slot + 1] - texts.start[slot]);
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
    qsizetype moved = 0;
    auto copyAsciiUpTo = [&](std::size_t end) {
        const std::size_t at = folded.text.size();
        folded.text.append(plain.text, copied, end - copied);
        foldAsciiFrom(folded.text, at);
        copied = end;
    };
    auto placeStartsUpTo = [&](std::size_t slot) {
        for (; startsDone <= slot; ++startsDone)
            folded.start[startsDone] = plain.start[startsDone] + moved;
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
        moved += static_cast<qsizetype>(folded.text.size() - before) - field.size();
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
    m_store = nullptr;
    m_generation = 0;
    m_ids.clear();
    m_nullFields.clear();
    m_rowOfId.clear();
    m_plain = Texts();
    m_plain.start.push_back(0);
    m_folded.reset();
}

void SearchSnapshot::appendRow(qint64 id, std::span<const std::optional<QByteArrayView>> values)
{
    const std::size_t firstSlot = m_plain.start.size() - 1;
    quint32 nulls = 0;
    // start always ends with the end of the text: each field appended closes its own slot.
    for (int i = 0; i < SearchFieldCount; ++i) {
        if (values[i])
            appendStored(m_plain.text, *values[i]);
        else
            nulls |= 1u << i;
        m_plain.start.push_back(static_cast<qsizetype>(m_plain.text.size()));
    }
    if (m_folded) {
        for (std::size_t slot = firstSlot; slot < firstSlot + SearchFieldCount; ++slot) {
            appendFolded(m_folded->text, fieldText(m_plain, slot));
            m_folded->start.push_back(static_cast<qsizetype>(m_folded->text.size()));
        }
    }
    // Two rows with one id cannot come from the table; should it happen the first one counts.
    if (!m_rowOfId.contains(id))
        m_rowOfId.insert(id, static_cast<int>(m_ids.size()));
    m_ids.push_back(id);
    m_nullFields.push_back(nulls);
}

bool SearchSnapshot::refresh(const ContactStore &store, QString *error, std::optional<qint64> rows)
{
    if (isCurrent(store))
        return true;

    auto appendRecord = [this](const ContactRecord &record) {
        std::array<QByteArray, SearchFieldCount> utf8;
        std::array<std::optional<QByteArrayView>, SearchFieldCount> values;
        for (int i = 0; i < SearchFieldCount; ++i) {
            if (const FieldValue &value = record.value(SearchFields[i].field)) {
                utf8[i] = value->toUtf8();
                values[i] = QByteArrayView(utf8[i]);
            }
        }
        appendRow(record.id, values);
    };

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
    m_plain.text.reserve(static_cast<std::size_t>(std::max<qint64>(textBytes, 0)));
    m_plain.start.reserve(rowCount * SearchFieldCount + 1);
    m_ids.reserve(rowCount);
    m_nullFields.reserve(rowCount);
    m_rowOfId.reserve(static_cast<qsizetype>(rowCount));
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
    SearchSnapshot snapshot;
    const bool read
        = snapshot.readWhole(rows, QFileInfo(path).size(), [&](const ContactStore::TextRowVisitor &visit) {
              return ContactStore::scanTextsInFile(path, searchedFieldList(), visit, cancel, error);
          });
    if (!read)
        return std::nullopt;
    // Ignoring case is what a search usually does: its copy is made here too, off the window's time.
    snapshot.m_folded = foldedTexts(snapshot.m_plain);
    return snapshot;
}

bool SearchSnapshot::readRows(const std::function<bool(const ContactStore::TextRowVisitor &)> &scan)
{
    return readWhole(0, 0, scan);
}

std::span<const Field> SearchSnapshot::fields()
{
    return searchedFieldList();
}

void SearchSnapshot::adopt(SearchSnapshot &&read, const ContactStore &store, quint64 generation)
{
    *this = std::move(read);
    m_store = &store;
    m_generation = generation;
}

FieldValue SearchSnapshot::value(int row, Field field) const
{
    const int i = searchFieldIndex(field);
    if (i < 0 || (m_nullFields[row] & (1u << i)))
        return std::nullopt;
    const std::size_t slot = static_cast<std::size_t>(row) * SearchFieldCount + i;
    return QString::fromUtf8(fieldText(m_plain, slot));
}

const SearchSnapshot::Texts &SearchSnapshot::texts(bool folded) const
{
    if (!folded)
        return m_plain;
    if (!m_folded)
        m_folded = foldedTexts(m_plain);
    return *m_folded;
}

std::vector<bool> SearchSnapshot::matchingRows(const QString &argument, bool ignoreCase, int scope) const
{
    const int rows = rowCount();
    // The empty text occurs in every field, the two names included, which are always tested.
    std::vector<bool> matches(rows, argument.isEmpty());
    if (argument.isEmpty() || rows == 0)
        return matches;

    // One scan over all rows at once. Each occurrence found is kept only when it lies wholly inside
    // one field that the scope searches; a Null field holds no text, so it never matches. The
    // first match of a row settles it and the scan goes on with the next row.
    const Texts &t = texts(ignoreCase);
    const std::array<bool, SearchFieldCount> searched = searchedFields(scope);
    const QByteArray needle = argument.toUtf8();
    const std::string_view wanted(needle.constData(), static_cast<std::size_t>(needle.size()));
    const std::string_view text(t.text);
    const qsizetype length = needle.size();
    std::size_t slot = 0;
    std::size_t from = 0;
    for (;;) {
        const std::size_t found = text.find(wanted, from);
        if (found == std::string_view::npos)
            break;
        const auto at = static_cast<qsizetype>(found);
        while (t.start[slot + 1] <= at)
            ++slot;
        const std::size_t row = slot / SearchFieldCount;
        const int field = static_cast<int>(slot % SearchFieldCount);
        if (!searched[field]) {
            from = static_cast<std::size_t>(t.start[slot + 1]);
        } else if (at + length <= t.start[slot + 1]) {
            matches[row] = true;
            slot = (row + 1) * SearchFieldCount;
            from = static_cast<std::size_t>(t.start[slot]);
        } else {
            from = found + 1;
        }
    }
    return matches;
}
