#include "contacts/ContactOrder.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <numeric>
#include <thread>
#include <tuple>

namespace {

// The key unit of one unit of a name: the base letter of an accented one (the decomposition puts
// it first), case-folded.
char16_t slowKeyUnit(QChar c)
{
    QChar base = c;
    // Asked first, as it costs nothing: most characters have no decomposition to make.
    if (c.decompositionTag() != QChar::NoDecomposition) {
        const QString decomposed = c.decomposition();
        if (!decomposed.isEmpty())
            base = decomposed.at(0);
    }
    return base.toCaseFolded().unicode();
}

// The key units of the Latin, Greek and Cyrillic letters and the signs up to U+2FFF, each made
// the first time a name holds it (0: not yet): a name's key is then a look-up per unit. Two threads
// of a sort may make the same one at once, and write the same value.
constexpr char16_t TableEnd = 0x3000;
using KeyTable = std::array<std::atomic<char16_t>, TableEnd>;

KeyTable &keyUnits()
{
    static KeyTable table{};
    return table;
}

char16_t keyUnit(char16_t unit, KeyTable &table)
{
    if (unit < 128)
        return unit >= u'A' && unit <= u'Z' ? char16_t(unit + (u'a' - u'A')) : unit;
    if (unit >= TableEnd)
        return slowKeyUnit(QChar(unit));
    char16_t known = table[unit].load(std::memory_order_relaxed);
    if (known == 0) {
        known = slowKeyUnit(QChar(unit));
        table[unit].store(known, std::memory_order_relaxed);
    }
    return known;
}

int compareKeys(QStringView a, QStringView b, KeyTable &table)
{
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        const char16_t x = keyUnit(a[i].unicode(), table);
        const char16_t y = keyUnit(b[i].unicode(), table);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int compareExact(bool aNull, QStringView a, bool bNull, QStringView b)
{
    if (aNull != bNull)
        return aNull ? -1 : 1;
    return QtPrivate::compareStrings(a, b, Qt::CaseSensitive);
}

int compareEntries(const IndexEntry &a, const IndexEntry &b, KeyTable &table)
{
    if (int c = compareKeys(a.lastNameView(), b.lastNameView(), table); c != 0)
        return c;
    if (int c = compareKeys(a.firstNameView(), b.firstNameView(), table); c != 0)
        return c;
    if (int c = compareExact(!a.hasLastName(), a.lastNameView(), !b.hasLastName(), b.lastNameView()); c != 0)
        return c;
    if (int c = compareExact(!a.hasFirstName(), a.firstNameView(), !b.hasFirstName(), b.firstNameView());
        c != 0)
        return c;
    return a.id < b.id ? -1 : (a.id > b.id ? 1 : 0);
}

// The first key units of a name packed into integers (first unit highest, missing units 0): most
// names differ there, so most comparisons of a sort are settled without reading the names.
constexpr qsizetype HeadUnits = 8;
using Head = std::array<quint64, 2>;

Head headOf(QStringView name, KeyTable &table)
{
    Head head{};
    for (qsizetype i = 0; i < std::min(name.size(), HeadUnits); ++i)
        head[size_t(i / 4)] |= quint64(keyUnit(name[i].unicode(), table)) << (16 * (3 - i % 4));
    return head;
}

} // namespace

QString nameSortKey(const FieldValue &name)
{
    if (!name)
        return {};
    KeyTable &table = keyUnits();
    QString key(name->size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < name->size(); ++i)
        key[i] = QChar(keyUnit(name->at(i).unicode(), table));
    return key;
}

bool namePrecedes(const IndexEntry &a, const IndexEntry &b)
{
    return compareEntries(a, b, keyUnits()) < 0;
}

void sortByName(std::vector<IndexEntry> &entries)
{
    // First by what small records hold: the heads of the keys and whether each key is whole in its
    // head (the first name counts only below a last name held whole). Then every run of records
    // alike there (equal names, or last names alike in their first units) is put in order by the
    // names themselves: at a million contacts, reaching into the names for every comparison is
    // what a sort spends its time on.
    struct Sortable
    {
        Head last;
        Head first;
        quint32 at;
        // The key's length when the head holds it whole, HeadUnits + 1 when it is longer.
        quint8 lastLength;
        quint8 firstLength;

        auto rank() const { return std::tie(last, lastLength, first, firstLength); }
    };
    KeyTable &table = keyUnits();
    auto length = [](QStringView name) { return quint8(std::min(name.size(), HeadUnits + 1)); };
    std::vector<Sortable> sortable(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        const IndexEntry &entry = entries[i];
        Sortable &s = sortable[i];
        s = {headOf(entry.lastNameView(), table), {}, quint32(i), length(entry.lastNameView()), 0};
        if (s.lastLength <= HeadUnits) {
            s.first = headOf(entry.firstNameView(), table);
            s.firstLength = length(entry.firstNameView());
        }
    }
    // Spread by the first unit of the key, then each part sorted on its own: parts of a few thousand
    // records stay in the processor's cache while they are sorted.
    std::vector<quint32> starts(0x10000 + 1);
    for (const Sortable &s : sortable)
        ++starts[(s.last[0] >> 48) + 1];
    std::partial_sum(starts.begin(), starts.end(), starts.begin());
    {
        std::vector<Sortable> spread(sortable.size());
        std::vector<quint32> next(starts.begin(), starts.end() - 1);
        for (const Sortable &s : sortable)
            spread[next[s.last[0] >> 48]++] = s;
        sortable = std::move(spread);
    }
    auto sortParts = [&](size_t firstUnit, size_t endUnit) {
        const auto begin = sortable.begin() + starts[firstUnit];
        const auto end = sortable.begin() + starts[endUnit];
        for (size_t unit = firstUnit; unit < endUnit; ++unit) {
            if (starts[unit + 1] - starts[unit] > 1)
                std::sort(sortable.begin() + starts[unit], sortable.begin() + starts[unit + 1],
                    [](const Sortable &a, const Sortable &b) { return a.rank() < b.rank(); });
        }
        for (auto run = begin; run != end;) {
            const auto runEnd
                = std::find_if(run, end, [&](const Sortable &s) { return s.rank() != run->rank(); });
            if (runEnd - run > 1) {
                std::sort(run, runEnd, [&](const Sortable &a, const Sortable &b) {
                    return compareEntries(entries[a.at], entries[b.at], table) < 0;
                });
            }
            run = runEnd;
        }
    };
    // A long index is sorted by two threads, each taking the parts of about half the records.
    constexpr size_t OnOneThread = 50000;
    if (sortable.size() < OnOneThread) {
        sortParts(0, 0x10000);
    } else {
        const size_t middle
            = size_t(std::upper_bound(starts.begin(), starts.end(), quint32(sortable.size() / 2))
                - starts.begin() - 1);
        std::thread second([&] { sortParts(middle, 0x10000); });
        sortParts(0, middle);
        second.join();
    }
    std::vector<IndexEntry> sorted;
    sorted.reserve(entries.size());
    for (const Sortable &s : sortable)
        sorted.push_back(entries[s.at]);
    entries = std::move(sorted);
}
