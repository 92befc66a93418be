#include "duplicates/DuplicateFinder.h"

#include "dial/NumberKey.h"

#include <QStringList>

#include <algorithm>
#include <numeric>

namespace {

constexpr size_t FewestLetters = 5;

quint64 mixed(quint64 x)
{
    // splitmix64's finaliser: spreads a polynomial hash over every bit.
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

quint64 textHash(std::string_view text)
{
    quint64 h = 1469598103934665603ULL;
    for (const char c : text)
        h = (h ^ quint8(c)) * 1099511628211ULL;
    return mixed(h);
}

std::u32string codePoints(const std::string &utf8)
{
    if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return quint8(c) < 0x80; }))
        return std::u32string(utf8.begin(), utf8.end());
    const QList<uint> units = QString::fromStdString(utf8).toUcs4();
    return std::u32string(units.begin(), units.end());
}

size_t letterCount(std::u32string_view key)
{
    return size_t(std::count_if(key.begin(), key.end(), [](char32_t c) { return c != U' '; }));
}

// Which contacts are linked, as a forest of their positions.
class Links
{
public:
    explicit Links(size_t count)
        : m_parent(count)
    {
        std::iota(m_parent.begin(), m_parent.end(), quint32(0));
    }
    quint32 root(quint32 at)
    {
        while (m_parent[at] != at)
            at = m_parent[at] = m_parent[m_parent[at]];
        return at;
    }
    void link(quint32 a, quint32 b)
    {
        a = root(a);
        b = root(b);
        if (a != b)
            m_parent[std::max(a, b)] = std::min(a, b);
    }

private:
    std::vector<quint32> m_parent;
};

class Finder
{
public:
    Finder(std::span<const ContactKeys> contacts, const NotDuplicatePairs &notDuplicates)
        : m_contacts(contacts)
        , m_notDuplicates(notDuplicates)
        , m_links(contacts.size())
    {
    }

    void linkSharedNumbersAndAddresses();
    void linkSameAndSimilarNames();
    std::vector<DuplicateGroup> groups();

private:
    struct Keyed
    {
        quint64 hash;
        std::string_view key;
        quint32 contact;
    };
    // Calls visit with each key and the contacts that hold it, one run at a time.
    template<typename Visit>
    static void forEachKey(std::vector<Keyed> &keyed, Visit &&visit);
    quint32 evidence(DuplicateReason reason, std::string key = {});
    // Links the contacts of a run, alike two by two for one reason, except the pairs set aside.
    void linkRun(std::vector<quint32> &run, quint32 evidence);
    void linkSimilarSpellings(quint32 evidence);
    void linkLongerNames(quint32 evidence);
    void linkKeys(std::span<const quint32> keys, quint32 evidence);

    std::span<const ContactKeys> m_contacts;
    const NotDuplicatePairs &m_notDuplicates;
    Links m_links;
    std::vector<DuplicateEvidence> m_evidence;
    std::vector<std::pair<quint32, quint32>> m_noted; // a linked contact, the evidence of its link
    // The distinct name keys, and the contacts of each (m_members from m_firstMember[k] on).
    std::vector<std::u32string> m_names;
    std::vector<quint32> m_firstMember;
    std::vector<quint32> m_members;
};

template<typename Visit>
void Finder::forEachKey(std::vector<Keyed> &keyed, Visit &&visit)
{
    std::sort(keyed.begin(), keyed.end(), [](const Keyed &a, const Keyed &b) {
        return a.hash != b.hash ? a.hash < b.hash : a.key != b.key ? a.key < b.key : a.contact < b.contact;
    });
    std::vector<quint32> run;
    for (size_t from = 0; from < keyed.size();) {
        size_t to = from;
        run.clear();
        while (to < keyed.size() && keyed[to].hash == keyed[from].hash && keyed[to].key == keyed[from].key)
            run.push_back(keyed[to++].contact);
        visit(keyed[from].key, run);
        from = to;
    }
}

quint32 Finder::evidence(DuplicateReason reason, std::string key)
{
    m_evidence.push_back({reason, std::move(key)});
    return quint32(m_evidence.size() - 1);
}

void Finder::linkRun(std::vector<quint32> &run, quint32 evidence)
{
    std::sort(run.begin(), run.end());
    run.erase(std::unique(run.begin(), run.end()), run.end());
    if (run.size() < 2)
        return;
    const auto id = [this](quint32 at) { return m_contacts[at].id; };
    const bool setAside = !m_notDuplicates.empty()
        && std::any_of(run.begin(), run.end(), [&](quint32 at) { return m_notDuplicates.involves(id(at)); });
    if (!setAside) {
        for (size_t i = 1; i < run.size(); ++i)
            m_links.link(run[0], run[i]);
        m_noted.emplace_back(run[0], evidence);
        return;
    }
    // Every pair of the run is linked but those set aside: one contact set aside with none of the
    // run links all the others; without one, the pairs are taken one by one.
    std::vector<bool> setAsideInRun(run.size());
    for (size_t i = 0; i < run.size(); ++i) {
        if (!m_notDuplicates.involves(id(run[i])))
            continue;
        for (size_t j = 0; j < run.size(); ++j) {
            if (j != i && m_notDuplicates.contains(id(run[i]), id(run[j])))
                setAsideInRun[i] = setAsideInRun[j] = true;
        }
    }
    const auto hub = std::find(setAsideInRun.begin(), setAsideInRun.end(), false);
    if (hub != setAsideInRun.end()) {
        const quint32 at = run[size_t(hub - setAsideInRun.begin())];
        for (const quint32 other : run)
            m_links.link(at, other);
        m_noted.emplace_back(at, evidence);
        return;
    }
    for (size_t i = 0; i < run.size(); ++i) {
        for (size_t j = i + 1; j < run.size(); ++j) {
            if (!m_notDuplicates.contains(id(run[i]), id(run[j]))) {
                m_links.link(run[i], run[j]);
                m_noted.emplace_back(run[i], evidence);
            }
        }
    }
}

void Finder::linkSharedNumbersAndAddresses()
{
    for (const DuplicateReason reason : {DuplicateReason::SameNumber, DuplicateReason::SameEmail}) {
        std::vector<Keyed> keyed;
        for (quint32 at = 0; at < m_contacts.size(); ++at) {
            const ContactKeys &contact = m_contacts[at];
            if (reason == DuplicateReason::SameNumber) {
                for (const std::string &number : contact.numbers)
                    keyed.push_back({textHash(number), number, at});
            } else if (!contact.email.empty()) {
                keyed.push_back({textHash(contact.email), contact.email, at});
            }
        }
        forEachKey(keyed, [&](std::string_view key, std::vector<quint32> &run) {
            if (run.size() > 1)
                linkRun(run, evidence(reason, std::string(key)));
        });
    }
}

void Finder::linkSameAndSimilarNames()
{
    const quint32 sameName = evidence(DuplicateReason::SameName);
    const quint32 similarName = evidence(DuplicateReason::SimilarName);
    std::vector<Keyed> keyed;
    for (quint32 at = 0; at < m_contacts.size(); ++at) {
        if (!m_contacts[at].nameKey.empty())
            keyed.push_back({textHash(m_contacts[at].nameKey), m_contacts[at].nameKey, at});
    }
    forEachKey(keyed, [&](std::string_view key, std::vector<quint32> &run) {
        m_names.push_back(codePoints(std::string(key)));
        m_firstMember.push_back(quint32(m_members.size()));
        m_members.insert(m_members.end(), run.begin(), run.end());
        linkRun(run, sameName);
    });
    m_firstMember.push_back(quint32(m_members.size()));
    keyed = {};
    linkSimilarSpellings(similarName);
    linkLongerNames(similarName);
}

void Finder::linkKeys(std::span<const quint32> keys, quint32 evidence)
{
    std::vector<quint32> run;
    for (const quint32 key : keys)
        run.insert(
            run.end(), m_members.begin() + m_firstMember[key], m_members.begin() + m_firstMember[key + 1]);
    linkRun(run, evidence);
}

void Finder::linkSimilarSpellings(quint32 evidence)
{
    // Two keys one edit apart share the key with one character taken out: at the same place for a
    // replaced character, the shorter key whole for one added. Each key's variants are hashed (a
    // hash with the place, one without) and equal hashes sought by sorting; the passes keep the
    // table small, taking the hashes that fall in one share at a time.
    struct Variant
    {
        quint64 hash;
        quint32 key;
        enum Kind : quint8 { Whole, Removed, RemovedAtPlace } kind;
    };
    constexpr quint64 Base = 0x100000001b3ULL;
    size_t variantCount = 0;
    for (const std::u32string &name : m_names) {
        if (letterCount(name) >= FewestLetters)
            variantCount += 2 * name.size() + 1;
    }
    constexpr size_t VariantsAPass = size_t(1) << 22;
    const quint64 passes = std::max<quint64>(1, (variantCount + VariantsAPass - 1) / VariantsAPass);
    std::vector<Variant> variants;
    std::vector<quint64> prefix, suffix, power;
    for (quint64 pass = 0; pass < passes; ++pass) {
        variants.clear();
        for (quint32 key = 0; key < m_names.size(); ++key) {
            const std::u32string &name = m_names[key];
            if (letterCount(name) < FewestLetters)
                continue;
            const size_t n = name.size();
            prefix.assign(n + 1, 0);
            suffix.assign(n + 1, 0);
            power.assign(n + 1, 1);
            for (size_t i = 0; i < n; ++i) {
                prefix[i + 1] = prefix[i] * Base + name[i];
                power[i + 1] = power[i] * Base;
            }
            for (size_t i = n; i-- > 0;)
                suffix[i] = name[i] * power[n - 1 - i] + suffix[i + 1];
            const auto add = [&](quint64 hash, Variant::Kind kind) {
                if (hash % passes == pass)
                    variants.push_back({hash, key, kind});
            };
            add(mixed(prefix[n]), Variant::Whole);
            for (size_t p = 0; p < n; ++p) {
                const quint64 removed = prefix[p] * power[n - 1 - p] + suffix[p + 1];
                add(mixed(removed), Variant::Removed);
                add(mixed(removed ^ ((p + 1) * 0x9e3779b97f4a7c15ULL)), Variant::RemovedAtPlace);
            }
        }
        std::sort(variants.begin(), variants.end(), [](const Variant &a, const Variant &b) {
            return a.hash != b.hash ? a.hash < b.hash : a.kind != b.kind ? a.kind < b.kind : a.key < b.key;
        });
        std::vector<quint32> keys;
        for (size_t from = 0; from < variants.size();) {
            size_t to = from;
            while (to < variants.size() && variants[to].hash == variants[from].hash)
                ++to;
            if (to - from > 1) {
                // Each close key is checked against the first: a hash shared by chance links nothing.
                const Variant &first = variants[from];
                const std::u32string &firstName = m_names[first.key];
                if (first.kind == Variant::Whole) {
                    for (size_t i = from + 1; i < to; ++i) {
                        const Variant &longer = variants[i];
                        if (longer.kind == Variant::Removed && longer.key != variants[i - 1].key
                            && oneEditApart(firstName, m_names[longer.key])) {
                            const quint32 pair[] = {first.key, longer.key};
                            linkKeys(pair, evidence);
                        }
                    }
                } else if (first.kind == Variant::RemovedAtPlace) {
                    // Keys alike but for one character at one place are each one edit from the others.
                    keys.assign(1, first.key);
                    for (size_t i = from + 1; i < to; ++i) {
                        if (variants[i].key != keys.back()
                            && oneEditApart(firstName, m_names[variants[i].key]))
                            keys.push_back(variants[i].key);
                    }
                    if (keys.size() > 1)
                        linkKeys(keys, evidence);
                }
            }
            from = to;
        }
    }
}

void Finder::linkLongerNames(quint32 evidence)
{
    // Every contact's words in both orders, so a name can be looked up by the words another begins
    // with.
    struct Order
    {
        quint64 hash;
        quint32 contact;
    };
    std::vector<Order> orders;
    orders.reserve(2 * m_contacts.size());
    for (quint32 at = 0; at < m_contacts.size(); ++at) {
        const ContactKeys &contact = m_contacts[at];
        orders.push_back({textHash(contact.surnameFirst), at});
        if (contact.givenFirst != contact.surnameFirst)
            orders.push_back({textHash(contact.givenFirst), at});
    }
    std::sort(orders.begin(), orders.end(), [](const Order &a, const Order &b) {
        return a.hash != b.hash ? a.hash < b.hash : a.contact < b.contact;
    });
    const auto holds = [](const ContactKeys &contact, std::string_view words) {
        return contact.surnameFirst == words || contact.givenFirst == words;
    };
    std::vector<quint32> run;
    for (quint32 at = 0; at < m_contacts.size(); ++at) {
        const ContactKeys &contact = m_contacts[at];
        for (const std::string *words : {&contact.surnameFirst, &contact.givenFirst}) {
            if (words == &contact.givenFirst && contact.givenFirst == contact.surnameFirst)
                break;
            // The words up to each blank after the second word: every shorter name of two words or more.
            size_t blank = words->find(' ');
            while (blank != std::string::npos && (blank = words->find(' ', blank + 1)) != std::string::npos) {
                const std::string_view shorter(words->data(), blank);
                const quint64 hash = textHash(shorter);
                auto it = std::lower_bound(orders.begin(), orders.end(), hash,
                    [](const Order &order, quint64 h) { return order.hash < h; });
                run.assign(1, at);
                for (; it != orders.end() && it->hash == hash; ++it) {
                    if (holds(m_contacts[it->contact], shorter))
                        run.push_back(it->contact);
                }
                if (run.size() > 1)
                    linkRun(run, evidence);
            }
        }
    }
}

std::vector<DuplicateGroup> Finder::groups()
{
    std::vector<quint32> sizes(m_contacts.size());
    for (quint32 at = 0; at < m_contacts.size(); ++at)
        ++sizes[m_links.root(at)];
    std::vector<DuplicateGroup> groups;
    std::vector<quint32> groupOfRoot(m_contacts.size(), quint32(-1));
    for (quint32 at = 0; at < m_contacts.size(); ++at) {
        const quint32 root = m_links.root(at);
        if (sizes[root] < 2)
            continue;
        if (groupOfRoot[root] == quint32(-1)) {
            groupOfRoot[root] = quint32(groups.size());
            groups.emplace_back();
        }
        groups[groupOfRoot[root]].ids.push_back(m_contacts[at].id);
    }
    // Each piece of evidence once per group: a large group has many.
    std::vector<std::pair<quint32, quint32>> evidenceOfGroup;
    evidenceOfGroup.reserve(m_noted.size());
    for (const auto &[at, evidence] : m_noted)
        evidenceOfGroup.emplace_back(groupOfRoot[m_links.root(at)], evidence);
    std::sort(evidenceOfGroup.begin(), evidenceOfGroup.end());
    evidenceOfGroup.erase(std::unique(evidenceOfGroup.begin(), evidenceOfGroup.end()), evidenceOfGroup.end());
    for (const auto &[group, evidence] : evidenceOfGroup)
        groups[group].evidence.push_back(m_evidence[evidence]);
    for (DuplicateGroup &group : groups) {
        std::sort(group.evidence.begin(), group.evidence.end(), [](const auto &a, const auto &b) {
            return a.reason != b.reason ? a.reason < b.reason : a.key < b.key;
        });
    }
    return groups;
}

} // namespace

void NotDuplicatePairs::add(qint64 a, qint64 b)
{
    if (!contains(a, b)) {
        m_partners[a].push_back(b);
        m_partners[b].push_back(a);
    }
}

bool NotDuplicatePairs::contains(qint64 a, qint64 b) const
{
    const auto partners = m_partners.find(a);
    return partners != m_partners.end()
        && std::find(partners->second.begin(), partners->second.end(), b) != partners->second.end();
}

std::vector<DuplicateGroup> findDuplicateGroups(
    std::span<const ContactKeys> contacts, const NotDuplicatePairs &notDuplicates)
{
    Finder finder(contacts, notDuplicates);
    finder.linkSharedNumbersAndAddresses();
    finder.linkSameAndSimilarNames();
    return finder.groups();
}

bool oneEditApart(std::u32string_view a, std::u32string_view b)
{
    if (a.size() > b.size())
        std::swap(a, b);
    if (b.size() - a.size() > 1)
        return false;
    size_t same = 0;
    while (same < a.size() && a[same] == b[same])
        ++same;
    if (a.size() == b.size())
        return same < a.size() && a.substr(same + 1) == b.substr(same + 1);
    return a.substr(same) == b.substr(same + 1);
}

QString evidenceText(const std::vector<DuplicateEvidence> &evidence)
{
    // A few numbers and addresses say why; a group of many would list them all.
    constexpr qsizetype MostShown = 3;
    QStringList parts;
    QStringList numbers;
    QStringList addresses;
    qsizetype numberCount = 0;
    qsizetype addressCount = 0;
    for (const DuplicateEvidence &item : evidence) {
        switch (item.reason) {
        case DuplicateReason::SameNumber:
            if (++numberCount <= MostShown)
                numbers.append(readableNumberKey(item.key));
            break;
        case DuplicateReason::SameEmail:
            if (++addressCount <= MostShown)
                addresses.append(QString::fromStdString(item.key));
            break;
        case DuplicateReason::SameName:
            parts.append(QStringLiteral("stesso nome"));
            break;
        case DuplicateReason::SimilarName:
            parts.append(QStringLiteral("nome simile"));
            break;
        }
    }
    const auto listed = [](QStringList items, qsizetype count) {
        if (count > items.size())
            items.append(QStringLiteral("altri %1").arg(count - items.size()));
        return items.join(QStringLiteral(", "));
    };
    if (addressCount > 0)
        parts.prepend(
            (addressCount == 1 ? QStringLiteral("stessa e-mail %1") : QStringLiteral("stesse e-mail %1"))
                .arg(listed(addresses, addressCount)));
    if (numberCount > 0)
        parts.prepend(
            (numberCount == 1 ? QStringLiteral("stesso numero %1") : QStringLiteral("stessi numeri %1"))
                .arg(listed(numbers, numberCount)));
    QString text = parts.join(QStringLiteral("; "));
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text;
}
