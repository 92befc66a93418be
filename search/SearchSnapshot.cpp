#include "search/SearchSnapshot.h"

#include "contacts/ContactStore.h"
#include "search/SearchText.h"

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
    return QByteArrayView(texts.text).sliced(texts.start[slot], texts.start[slot + 1] - texts.start[slot]);
}

// Most contact text is ASCII: it is copied byte for byte, without a converter or a temporary.
void appendUtf8(QByteArray &out, const QString &text)
{
    const ushort *units = text.utf16();
    const qsizetype size = text.size();
    if (std::all_of(units, units + size, [](ushort unit) { return unit < 0x80; })) {
        const qsizetype at = out.size();
        out.resize(at + size);
        std::transform(
            units, units + size, out.data() + at, [](ushort unit) { return static_cast<char>(unit); });
    } else {
        out += text.toUtf8();
    }
}

// FoldCase on UTF-8 text. ASCII letters fold in place; other text goes through Qt's Unicode
// upper-casing, which can lengthen it ("ß" becomes "SS").
void appendFolded(QByteArray &out, QByteArrayView text)
{
    if (std::all_of(text.begin(), text.end(), [](char c) { return static_cast<uchar>(c) < 0x80; })) {
        const qsizetype at = out.size();
        out.append(text);
        std::transform(text.begin(), text.end(), out.data() + at,
            [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; });
    } else {
        out += FoldCase(QString::fromUtf8(text), true).toUtf8();
    }
}

std::array<bool, SearchFieldCount> searchedFields(int scope)
{
    std::array<bool, SearchFieldCount> searched {};
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

bool SearchSnapshot::refresh(const ContactStore &store, QString *error)
{
    if (isCurrent(store))
        return true;

    auto appendRow = [this](const ContactRecord &record) {
        const std::size_t firstSlot = m_plain.start.size() - 1;
        quint32 nulls = 0;
        // start always ends with the end of the text: each field appended closes its own slot.
        for (int i = 0; i < SearchFieldCount; ++i) {
            if (const FieldValue &value = record.value(SearchFields[i].field))
                appendUtf8(m_plain.text, *value);
            else
                nulls |= 1u << i;
            m_plain.start.push_back(m_plain.text.size());
        }
        if (m_folded) {
            for (std::size_t slot = firstSlot; slot < firstSlot + SearchFieldCount; ++slot) {
                appendFolded(m_folded->text, fieldText(m_plain, slot));
                m_folded->start.push_back(m_folded->text.size());
            }
        }
        // Two rows with one id cannot come from the table; should it happen the first one counts.
        if (!m_rowOfId.contains(record.id))
            m_rowOfId.insert(record.id, static_cast<int>(m_ids.size()));
        m_ids.push_back(record.id);
        m_nullFields.push_back(nulls);
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
                    appendRow(*record);
            }
            if (ok) {
                m_generation = generation;
                return true;
            }
        }
    }

    clear();
    // Taken before the read: a write that slipped in between makes the next refresh read again.
    const quint64 generation = store.generation();
    bool ok = false;
    const std::vector<ContactRecord> records = store.readAll(&ok);
    if (!ok) {
        if (error)
            *error = store.lastError();
        return false;
    }

    qsizetype length = 0;
    for (const ContactRecord &record : records) {
        for (const SearchField &info : SearchFields) {
            if (const FieldValue &value = record.value(info.field))
                length += value->size();
        }
    }
    // Exact for ASCII text; anything longer only costs a reallocation.
    m_plain.text.reserve(length);
    m_plain.start.reserve(records.size() * SearchFieldCount + 1);
    m_ids.reserve(records.size());
    m_nullFields.reserve(records.size());
    m_rowOfId.reserve(static_cast<qsizetype>(records.size()));
    for (const ContactRecord &record : records)
        appendRow(record);
    m_store = &store;
    m_generation = generation;
    return true;
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
    if (!m_folded) {
        // The starts are counted again: folding can change the length of a field.
        Texts texts;
        texts.start.reserve(m_plain.start.size());
        texts.text.reserve(m_plain.text.size());
        const std::size_t slotCount = m_plain.start.size() - 1;
        for (std::size_t slot = 0; slot < slotCount; ++slot) {
            texts.start.push_back(texts.text.size());
            appendFolded(texts.text, fieldText(m_plain, slot));
        }
        texts.start.push_back(texts.text.size());
        m_folded = std::move(texts);
    }
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
    const std::string_view text(t.text.constData(), static_cast<std::size_t>(t.text.size()));
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
