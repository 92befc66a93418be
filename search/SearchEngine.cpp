#include "search/SearchEngine.h"

#include "contacts/Recordset.h"
#include "index/IndexLetter.h"
#include "search/SearchState.h"
#include "search/SearchText.h"

#include <array>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

bool recordMatches(const ContactRecord &record, const QString &argument, bool ignoreCase, int scope)
{
    bool hit = false;
    // Every applicable field is tested, as the rule is stated; a hit does not end the record.
    for (const SearchField &info : SearchFields) {
        if (!isGroupSearched(info.group, scope))
            continue;
        const FieldValue &value = record.value(info.field);
        if (info.onlyWhenNotNull && !value)
            continue;
        if (FoldCase(value.value_or(QString()), ignoreCase).contains(argument, Qt::CaseSensitive))
            hit = true;
    }
    return hit;
}

QString outlineLetter(const FieldValue &lastName)
{
    return QString(QChar(IndexLetters[indexLetterOf(lastName)]));
}

std::vector<OutlineLine> hitOutline(const std::vector<const ContactStore::IndexEntry *> &hits)
{
    // The record order keeps a surname apart from its letter where its sort key differs from the
    // letter (digits before A, "Łoś" after Z): the hits are gathered under their letters.
    std::array<std::vector<const ContactStore::IndexEntry *>, IndexLetters.size()> byLetter;
    for (const ContactStore::IndexEntry *hit : hits)
        byLetter[indexLetterOf(hit->lastName)].push_back(hit);

    std::vector<OutlineLine> lines;
    lines.reserve(hits.size() + IndexLetters.size());
    for (std::size_t letter = 0; letter < IndexLetters.size(); ++letter) {
        if (byLetter[letter].empty())
            continue;
        lines.push_back({QString(QChar(IndexLetters[letter])), 1});
        for (const ContactStore::IndexEntry *hit : byLetter[letter])
            lines.push_back({hit->line(), 2});
    }
    return lines;
}

SearchEngine::~SearchEngine()
{
    if (m_prepared.valid()) {
        m_cancelPrepared->store(true);
        m_prepared.wait();
    }
}

void SearchEngine::prepare(const Recordset &walk)
{
    const ContactStore &store = walk.store();
    if (m_prepared.valid() || m_snapshot.rowCount() > 0 || m_snapshot.isCurrent(store))
        return;
    m_preparedStore = &store;
    // The generation before the read: a write that lands meanwhile is read again by the refresh.
    m_preparedGeneration = store.generation();
    m_cancelPrepared = std::make_shared<std::atomic<bool>>(false);
    m_prepared = std::async(std::launch::async,
        [path = store.path(), rows = qint64(walk.recordCount()), cancel = m_cancelPrepared] {
            // The window comes first: on a busy machine the read waits for it, not the other way round.
            setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 10);
            Prepared prepared;
            prepared.snapshot = SearchSnapshot::readFile(path, rows, *cancel, &prepared.error);
            return prepared;
        });
}

void SearchEngine::takePrepared(const ContactStore &store)
{
    if (!m_prepared.valid())
        return;
    Prepared prepared = m_prepared.get();
    // A read that failed is simply done again, where its failure is reported.
    if (prepared.snapshot && m_preparedStore == &store && !m_snapshot.isCurrent(store))
        m_snapshot.adopt(std::move(*prepared.snapshot), store, m_preparedGeneration);
}

std::optional<std::unordered_set<qint64>> otherHits(
    const OtherTextHits &find, const QString &argument, bool ignoreCase, int scope, QString *error)
{
    // The whole agenda needs no looking.
    if (!find || argument.isEmpty() || !isOtherDataSearched(scope))
        return std::unordered_set<qint64>();
    return find(argument, ignoreCase, error);
}

SearchResult SearchEngine::search(const Recordset &walk, const SearchState &state)
{
    return search(walk, searchArgument(state), state.IgnoreCase, state.SearchScope);
}

SearchResult SearchEngine::search(const Recordset &walk, const QString &argument, bool ignoreCase, int scope)
{
    SearchResult result;
    takePrepared(walk.store());
    QString reason;
    if (!m_snapshot.refresh(walk.store(), &reason, walk.recordCount())) {
        result.failure = QStringLiteral("Impossibile leggere i contatti per la ricerca: %1").arg(reason);
        return result;
    }
    const std::vector<bool> matches = m_snapshot.matchingRows(argument, ignoreCase, scope);
    const std::optional<std::unordered_set<qint64>> others
        = otherHits(m_otherHits, argument, ignoreCase, scope, &reason);
    if (!others) {
        result.failure = QStringLiteral("Impossibile leggere i contatti per la ricerca: %1").arg(reason);
        return result;
    }
    std::vector<const ContactStore::IndexEntry *> hits;
    for (const ContactStore::IndexEntry &entry : walk.rows()) {
        // A row the table no longer has cannot be a hit.
        const int row = m_snapshot.rowOf(entry.id);
        if (row < 0 || !(matches[row] || others->contains(entry.id)))
            continue;
        hits.push_back(&entry);
        result.hitIds.push_back(entry.id);
        if (result.firstHitId == 0)
            result.firstHitId = entry.id;
    }
    result.lines = hitOutline(hits);
    return result;
}
