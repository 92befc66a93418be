// The search over the agenda: which contacts hold the argument, in record order, and the lines of
// the index tree that shows them.
#pragma once

#include "contacts/ContactStore.h"
#include "index/IndexOutline.h"
#include "search/KeptSnapshot.h"
#include "search/SearchSnapshot.h"

#include <QString>

#include <atomic>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <unordered_set>
#include <vector>

class Recordset;
struct SearchState;

struct SearchResult
{
    std::vector<qint64> hitIds; // in the walk's order
    // The tree of hits, its texts in blocks kept here (the index's own names).
    std::vector<OutlineLine> lines;
    std::vector<QString> blocks;
    // The first hit whose id is not 0, or 0 without hits: what RememberedID becomes.
    qint64 firstHitId = 0;
    // The hit on the tree's first contact line, 0 without hits.
    qint64 firstLineId = 0;
    // Why the contacts could not be read; empty when the walk went through. Shown once.
    QString failure;
};

// The hit test for one contact, written plainly field by field: the rule the snapshot's scan must
// keep to. others are the contacts that hold the argument elsewhere (OtherMatches).
bool recordMatches(const ContactRecord &record, const SearchQuery &query, const OtherMatches &others = {});

// The text of the letter line a contact is filed under (index/IndexLetter.h): "A" to "Z" or "#".
QString outlineLetter(const FieldValue &lastName);

// The contacts holding a query's texts in data kept beside the contact table, which the snapshot
// does not hold; nullopt, with error, when it could not be read.
using OtherTextHits = std::function<std::optional<OtherMatches>(const SearchQuery &query, QString *error)>;

// find's answer when the query's scope searches that data and it asks for some contacts; none else.
std::optional<OtherMatches> otherHits(const OtherTextHits &find, const SearchQuery &query, QString *error);

// Keeps the snapshot of the store between searches, so that only the first search after a write
// reads the table.
class SearchEngine
{
public:
    SearchEngine() = default;
    SearchEngine(const SearchEngine &) = delete;
    SearchEngine &operator=(const SearchEngine &) = delete;
    // A read still going is stopped and waited for.
    ~SearchEngine();

    // Starts reading walk's store for the search on a thread of its own while the user types the
    // argument; the next search takes that over, waiting for it if need be. Only the first read
    // is done so: later ones bring in just the rows written since.
    void prepare(const Recordset &walk);

    // Walks the rows of walk in its order (the record source's: last name, then first name) and
    // tests each contact against the argument of state.
    SearchResult search(const Recordset &walk, const SearchState &state);
    SearchResult search(const Recordset &walk, const SearchQuery &query);

    const SearchSnapshot &snapshot() const { return m_snapshot; }

    // Where a search also looks, under the scopes that search it (isOtherDataSearched).
    void setOtherTextHits(OtherTextHits otherHits) { m_otherHits = std::move(otherHits); }

    // The snapshot is kept in folder between runs (KeptSnapshot.h), for a store that can be written.
    void keepSnapshotIn(QString folder) { m_keptFolder = std::move(folder); }

private:
    struct Prepared
    {
        std::optional<ReadSnapshot> read;
        QString error;
    };
    void takePrepared(const ContactStore &store);
    // Names the kept file in the store once it is written (at once when wait is set).
    void finishKeeping(bool wait);
    // The snapshot's row of each row of walk, -1 for a row it does not hold.
    const std::vector<int> &snapshotRowsOf(const Recordset &walk);

    // The fields as stored only once a search compares them so (SearchSnapshot::keepStored).
    SearchSnapshot m_snapshot{false};
    OtherTextHits m_otherHits;
    QString m_keptFolder;
    std::future<Prepared> m_prepared;
    const ContactStore *m_preparedStore = nullptr;
    quint64 m_preparedGeneration = 0;
    std::shared_ptr<std::atomic<bool>> m_cancelPrepared;
    // The kept file being written, with what the store's mark must then say.
    std::future<std::optional<ReadSnapshot>> m_keeping;
    const ContactStore *m_keepingFor = nullptr;
    // Kept while neither the walk's rows nor the snapshot change: a search as the user types looks
    // them up once.
    ContactStore::IndexRows m_walkRows;
    quint64 m_walkRowsVersion = 0;
    std::vector<int> m_snapshotRows;
};
