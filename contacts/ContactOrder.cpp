#include "contacts/ContactOrder.h"

#include <algorithm>

QString nameSortKey(const FieldValue &name)
{
    if (!name)
        return {};
    QString key;
    key.reserve(name->size());
    for (const QChar c : *name) {
        if (c.unicode() < 128) {
            key.append(c.toLower());
            continue;
        }
        // Keep the base letter of an accented one; the decomposition puts it first.
        const QString decomposed = c.decomposition();
        const QChar base = decomposed.isEmpty() ? c : decomposed.at(0);
        key.append(base.toCaseFolded());
    }
    return key;
}

void sortByName(std::vector<ContactStore::IndexEntry> &entries)
{
    struct Keyed
    {
        QString last;
        QString first;
        const ContactStore::IndexEntry *entry;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(entries.size());
    for (const ContactStore::IndexEntry &entry : entries)
        keyed.push_back({nameSortKey(entry.lastName), nameSortKey(entry.firstName), &entry});

    auto exact = [](const FieldValue &a, const FieldValue &b) {
        if (a.has_value() != b.has_value())
            return a.has_value() ? 1 : -1;
        return a ? QString::compare(*a, *b) : 0;
    };
    std::sort(keyed.begin(), keyed.end(), [&](const Keyed &a, const Keyed &b) {
        if (int c = QString::compare(a.last, b.last); c != 0)
            return c < 0;
        if (int c = QString::compare(a.first, b.first); c != 0)
            return c < 0;
        if (int c = exact(a.entry->lastName, b.entry->lastName); c != 0)
            return c < 0;
        if (int c = exact(a.entry->firstName, b.entry->firstName); c != 0)
            return c < 0;
        return a.entry->id < b.entry->id;
    });

    std::vector<ContactStore::IndexEntry> sorted;
    sorted.reserve(entries.size());
    for (const Keyed &k : keyed)
        sorted.push_back(std::move(*const_cast<ContactStore::IndexEntry *>(k.entry)));
    entries = std::move(sorted);
}
