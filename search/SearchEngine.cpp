#include "search/SearchEngine.h"

#include "contacts/Recordset.h"
#include "dial/NumberRules.h"
#include "index/IndexLetter.h"
#include "search/SearchLog.h"
#include "search/SearchState.h"
#include "search/SearchText.h"
#include "text/ForgivingText.h"

#include <algorithm>
#include <array>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// Whether a field of record, searched under query's scope, holds text by test.
bool anySearchedField(
    const ContactRecord &record, int scope, const std::function<bool(int, const QString &)> &test)
{
    for (int i = 0; i < SearchFieldCount; ++i) {
        const SearchField &info = SearchFields[i];
        const FieldValue &value = record.value(info.field);
        if (isGroupSearched(info.group, scope) && !(info.onlyWhenNotNull && !value)
            && test(i, value.value_or(QString())))
            return true;
    }
    return false;
}

} // namespace

bool recordMatches(const ContactRecord &record, const SearchQuery &query, const OtherMatches &others)
{
    if (others.whole.contains(record.id))
        return true;
    switch (query.rule) {
    case SearchRule::WholeAgenda:
        return true;
    case SearchRule::Literal:
    case SearchRule::Folded:
        return anySearchedField(record, query.scope, [&](int, const QString &value) {
            return FoldCase(value, query.rule == SearchRule::Folded).contains(query.text, Qt::CaseSensitive);
        });
    case SearchRule::Forgiving:
        break;
    }
    bool everyWord = true;
    for (std::size_t w = 0; w < query.words.size() && everyWord; ++w) {
        everyWord = (w < others.words.size() && others.words[w].contains(record.id))
            || anySearchedField(record, query.scope, [&](int, const QString &value) {
                   return forgivingReference(value).find(query.words[w]) != std::string::npos;
               });
    }
    return everyWord
        || (!query.digits.empty()
            && anySearchedField(record, query.scope, [&](int slot, const QString &value) {
                   std::string digits;
                   comparableDigits(value.toUtf8(), digits);
                   return isNumberSlot(slot) && digits.find(query.digits) != std::string::npos;
               }));
}

QString outlineLetter(const FieldValue &lastName)
{
    return QString(QChar(IndexLetters[indexLetterOf(lastName)]));
}

SearchEngine::~SearchEngine()
{
    if (m_prepared.valid()) {
        m_cancelPrepared->store(true);
        m_prepared.wait();
    }
    finishKeeping(true);
}

void SearchEngine::prepare(const Recordset &walk)
{
    const ContactStore &store = walk.store();
    if (m_prepared.valid() || m_snapshot.rowCount() > 0 || m_snapshot.isCurrent(store))
        return;
    m_preparedStore = &store;
    // The log that tells a kept snapshot what changed since, made on the window's own connection: a
    // write from another would fail the window's next one.
    if (!m_keptFolder.isEmpty() && store.isWritable())
        ensureSearchLog(store.connection(), nullptr);
    // The generation before the read: a write that lands meanwhile is read again by the refresh.
    m_preparedGeneration = store.generation();
    m_cancelPrepared = std::make_shared<std::atomic<bool>>(false);
    m_prepared = std::async(std::launch::async,
        [path = store.path(), rows = qint64(walk.recordCount()), cancel = m_cancelPrepared,
            folder = m_keptFolder, mayKeep = store.readOnlyReason().isEmpty()] {
            // The window comes first: on a busy machine the read waits for it, not the other way round.
            setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 10);
            Prepared prepared;
            prepared.read = readSearchSnapshot(path, folder, mayKeep, rows, *cancel, &prepared.error);
            return prepared;
        });
}

void SearchEngine::takePrepared(const ContactStore &store)
{
    if (!m_prepared.valid())
        return;
    Prepared prepared = m_prepared.get();
    // A read that failed is simply done again, where its failure is reported.
    if (!prepared.read)
        return;
    if (m_preparedStore == &store && !m_snapshot.isCurrent(store)) {
        m_snapshot.adopt(std::move(prepared.read->snapshot), store, m_preparedGeneration);
        // The file is written while the search goes on; the mark names it once it is there.
        if (prepared.read->kept && !m_keeping.valid()) {
            m_keepingFor = &store;
            m_keeping
                = std::async(std::launch::async, [folder = m_keptFolder, read = std::move(*prepared.read)] {
                      if (!writeKeptSnapshot(folder, read))
                          return std::optional<ReadSnapshot>();
                      std::optional<ReadSnapshot> marks(std::in_place);
                      marks->kept = read.kept;
                      marks->replaced = read.replaced;
                      return marks;
                  });
        }
    }
}

void SearchEngine::finishKeeping(bool wait)
{
    using namespace std::chrono_literals;
    if (!m_keeping.valid() || (!wait && m_keeping.wait_for(0s) != std::future_status::ready))
        return;
    if (const std::optional<ReadSnapshot> kept = m_keeping.get())
        noteKeptSnapshot(
            m_keepingFor->isWritable() ? m_keepingFor->connection() : nullptr, m_keptFolder, *kept);
}

std::optional<OtherMatches> otherHits(const OtherTextHits &find, const SearchQuery &query, QString *error)
{
    // The whole agenda needs no looking.
    if (!find || query.rule == SearchRule::WholeAgenda || !isOtherDataSearched(query.scope))
        return OtherMatches();
    return find(query, error);
}

const std::vector<int> &SearchEngine::snapshotRowsOf(const Recordset &walk)
{
    if (m_walkRows != walk.sharedRows() || m_walkRowsVersion != m_snapshot.version()) {
        m_walkRows = walk.sharedRows();
        m_walkRowsVersion = m_snapshot.version();
        m_snapshotRows.clear();
        m_snapshotRows.reserve(walk.rows().size());
        for (const ContactStore::IndexEntry &entry : walk.rows())
            m_snapshotRows.push_back(m_snapshot.rowOf(entry.id));
    }
    return m_snapshotRows;
}

SearchResult SearchEngine::search(const Recordset &walk, const SearchState &state)
{
    return search(walk, searchQuery(state));
}

SearchResult SearchEngine::search(const Recordset &walk, const SearchQuery &query)
{
    SearchResult result;
    takePrepared(walk.store());
    finishKeeping(false);
    if (query.rule == SearchRule::Literal || query.rule == SearchRule::Folded)
        m_snapshot.keepStored();
    QString reason;
    if (!m_snapshot.refresh(walk.store(), &reason, walk.recordCount())) {
        result.failure = QStringLiteral("Impossibile leggere i contatti per la ricerca: %1").arg(reason);
        return result;
    }
    const std::optional<OtherMatches> others = otherHits(m_otherHits, query, &reason);
    if (!others) {
        result.failure = QStringLiteral("Impossibile leggere i contatti per la ricerca: %1").arg(reason);
        return result;
    }
    const std::vector<bool> matches = m_snapshot.matchingRows(query, *others);
    const std::vector<int> &rows = snapshotRowsOf(walk);
    std::vector<const ContactStore::IndexEntry *> hits;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        // A row the table no longer has cannot be a hit.
        if (rows[i] < 0 || !matches[rows[i]])
            continue;
        const ContactStore::IndexEntry &entry = walk.rows()[i];
        hits.push_back(&entry);
        result.hitIds.push_back(entry.id);
        if (result.firstHitId == 0)
            result.firstHitId = entry.id;
    }
    result.lines = hitOutline(hits, &result.firstLineId);
    result.blocks = outlineBlocks(*walk.sharedRows());
    return result;
}
