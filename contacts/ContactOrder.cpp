#include "contacts/ContactOrder.h"

#include <algorithm>
#include <array>

namespace {

// Writes the sort key of name at out, one unit per unit of name, and returns the end.
QChar *writeNameSortKey(QChar *out, QStringView name)
{
    for (const QChar c : name) {
        const char16_t unit = c.unicode();
        if (unit < 128) {
            *out++ = QChar(unit >= u'A' && unit <= u'Z' ? char16_t(unit + (u'a' - u'A')) : unit);
            continue;
        }
        // Keep the base letter of an accented one; the decomposition puts it first.
        const QString decomposed = c.decomposition();
        const QChar base = decomposed.isEmpty() ? c : decomposed.at(0);
        *out++ = base.toCaseFolded();
    }
    return out;
}

// Where one text lies in the shared buffer, with its first code units packed into integers (first
// unit highest, missing units 0). Most names differ within those units, so most comparisons are
// settled without reading the buffer: at a hundred thousand names, reading scattered strings is
// what a sort spends its time on.
struct TextRef
{
    static constexpr quint32 HeadUnits = 8;
    std::array<quint64, 2> head{};
    quint32 at = 0;
    quint32 length = 0;

    void fill(const QString &buffer, qsizetype start, qsizetype end)
    {
        at = quint32(start);
        length = quint32(end - start);
        for (quint32 i = 0; i < std::min(length, HeadUnits); ++i)
            head[i / 4] |= quint64(buffer.at(start + i).unicode()) << (16 * (3 - i % 4));
    }
};

// Compares as QString::compare does on the texts themselves.
int compareTexts(const TextRef &a, const TextRef &b, const QString &buffer)
{
    if (a.head != b.head)
        return a.head < b.head ? -1 : 1;
    if (a.length <= TextRef::HeadUnits && b.length <= TextRef::HeadUnits) {
        // Equal heads: the longer text only adds units of value 0, which sort after nothing.
        return a.length == b.length ? 0 : (a.length < b.length ? -1 : 1);
    }
    return QtPrivate::compareStrings(QStringView(buffer).sliced(a.at, a.length),
        QStringView(buffer).sliced(b.at, b.length), Qt::CaseSensitive);
}

} // namespace

QString nameSortKey(const FieldValue &name)
{
    if (!name)
        return {};
    QString key(name->size(), Qt::Uninitialized);
    writeNameSortKey(key.data(), *name);
    return key;
}

void sortByName(std::vector<ContactStore::IndexEntry> &entries)
{
    // Keys, then the exact spellings, each entry's own texts gathered in one buffer.
    struct Keyed
    {
        TextRef lastKey;
        TextRef firstKey;
        TextRef last;
        TextRef first;
        qint64 id;
        bool lastNull;
        bool firstNull;
    };
    qsizetype total = 0;
    for (const ContactStore::IndexEntry &entry : entries)
        total += 2 * (entry.lastName.value_or(QString()).size() + entry.firstName.value_or(QString()).size());
    QString buffer(total, Qt::Uninitialized);
    QChar *const begin = buffer.data();
    QChar *out = begin;
    auto place = [&](TextRef &ref, QChar *end) {
        const qsizetype start = out - begin;
        out = end;
        ref.fill(buffer, start, out - begin);
    };
    std::vector<Keyed> keyed(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        const ContactStore::IndexEntry &entry = entries[i];
        Keyed &k = keyed[i];
        k.id = entry.id;
        k.lastNull = !entry.lastName;
        k.firstNull = !entry.firstName;
        const QStringView last = entry.lastName ? QStringView(*entry.lastName) : QStringView();
        const QStringView first = entry.firstName ? QStringView(*entry.firstName) : QStringView();
        place(k.lastKey, writeNameSortKey(out, last));
        place(k.firstKey, writeNameSortKey(out, first));
        place(k.last, std::copy(last.begin(), last.end(), out));
        place(k.first, std::copy(first.begin(), first.end(), out));
    }

    auto exact = [&](bool aNull, const TextRef &a, bool bNull, const TextRef &b) {
        if (aNull != bNull)
            return aNull ? -1 : 1;
        return compareTexts(a, b, buffer);
    };
    auto precedes = [&](const Keyed &a, const Keyed &b) {
        if (int c = compareTexts(a.lastKey, b.lastKey, buffer); c != 0)
            return c < 0;
        if (int c = compareTexts(a.firstKey, b.firstKey, buffer); c != 0)
            return c < 0;
        if (int c = exact(a.lastNull, a.last, b.lastNull, b.last); c != 0)
            return c < 0;
        if (int c = exact(a.firstNull, a.first, b.firstNull, b.first); c != 0)
            return c < 0;
        return a.id < b.id;
    };
    std::sort(keyed.begin(), keyed.end(), precedes);

    // The names are made again from the buffer in the sorted order, so they lie in memory as the
    // tree, the search and the printout walk them: at a hundred thousand contacts that makes those
    // walks several times faster than hopping between strings allocated in the table's order.
    auto copy = [&](bool null, const TextRef &text) -> FieldValue {
        if (null)
            return std::nullopt;
        return QString(buffer.constData() + text.at, text.length);
    };
    std::vector<ContactStore::IndexEntry> sorted;
    sorted.reserve(entries.size());
    for (const Keyed &k : keyed)
        sorted.push_back({k.id, copy(k.lastNull, k.last), copy(k.firstNull, k.first)});
    entries = std::move(sorted);
}
