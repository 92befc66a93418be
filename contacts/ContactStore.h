// The contact table PhoneList in its SQLite file. Every statement is prepared with bound values;
// every write is one transaction (or part of the caller's Batch).
#pragma once

#include "contacts/ContactRecord.h"
#include "contacts/IndexTable.h"
#include "text/NameLine.h"

#include <QString>
#include <QStringList>
#include <QVariantList>

#include <QByteArrayView>
#include <QStringView>

#include <algorithm>

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <thread>
#include <vector>

class QObject;
class QSqlQuery;
class SqliteRows;
struct sqlite3;

class ContactStore
{
public:
    using IndexEntry = ::IndexEntry;
    using IndexRows = std::shared_ptr<const IndexTable>;

    ~ContactStore();
    ContactStore(const ContactStore &) = delete;
    ContactStore &operator=(const ContactStore &) = delete;

    // Opens the store at path; a missing or empty file is given the empty table. Returns null and
    // sets error (an Italian message naming the file and the reason) when the file is not a usable
    // contact store; such a file is never written. A log a crash left beside the file that is not the
    // file's own is kept aside under another name instead of being applied. An existing file has its
    // every page checked on a thread of its own after the opening: writes wait for the verdict, and
    // none is made to a file found damaged.
    // Opened for reading only, an existing store is read through a connection that cannot write,
    // without the check, which only guards writes.
    // damaged, when given, tells a file refused because it is damaged (or holds no database at all)
    // from one that could not be opened for another reason.
    enum class Access { ReadWrite, ReadOnly };
    static std::unique_ptr<ContactStore> open(
        const QString &path, QString *error, Access access = Access::ReadWrite, bool *damaged = nullptr);

    QString path() const { return m_path; }
    // What the user must be told about the opening (a log kept aside, a store that can only be
    // read), in Italian, one message each.
    QStringList notices() const { return m_notices; }
    // Why the store can only be read (Italian: its folder or the file allows no writing), empty when
    // it can be written. Every write to such a store fails, saying so.
    QString readOnlyReason() const { return m_readOnly; }
    // Called once, through the event loop of the thread that opened the store, when the check of the
    // file finds it damaged, with a message for the user (Italian).
    void setDamageHandler(std::function<void(const QString &message)> handler);
    // Called once, through the event loop of the thread that opened the store, when the check of the
    // file has passed (at once for a store that needs none).
    void whenSound(std::function<void()> handler);
    // Whether the check of the file has passed and nothing keeps the store from being written.
    bool isWritable() const;
    // The SQLite connection, for the tables of our own that live beside PhoneList in the same file;
    // used on the store's thread only.
    sqlite3 *connection() const;
    // Work done inside every write transaction just before it commits, on the store's connection, so
    // that the tables beside PhoneList change in the same commit as the contacts. It must not fail
    // the write: whatever it cannot do it leaves for later.
    void setBeforeCommit(std::function<void()> work) { m_beforeCommit = std::move(work); }
    // Told of every row a write is about to change, inside the write's transaction, so that what the
    // row held can be kept in the same commit (the undo history): before an update or a removal, and
    // after an insert, once the row has its id. A reason it returns fails the write with it.
    enum class RowChange { Added, Changing, Removing };
    using WriteWatcher = std::function<QString(qint64 id, RowChange change)>;
    // What the watcher still holds of a transaction goes in just before it commits; a reason given
    // back rolls the transaction back, as a failed write would.
    using CommitWatcher = std::function<QString()>;
    void setWriteWatcher(WriteWatcher watcher, CommitWatcher beforeCommit = {})
    {
        m_watcher = std::move(watcher);
        m_watcherCommit = std::move(beforeCommit);
    }
    // Counts the store's transactions: a watcher tells by it whether two changes share one.
    quint64 transactionNumber() const { return m_transactions; }
    // A row written by a statement of the caller's own on connection() (an undo putting a contact
    // back), so that readers of the store see the change as they see the store's own writes.
    void noteRewritten(qint64 id);
    // Replaces every table of the store with those of the SQLite file at source, through SQLite's
    // online backup in one transaction: a crash midway leaves the store as it was. It is also the way
    // out of a store found damaged; one that can only be read is refused. The result is checked
    // again before any other write, and readers read everything anew. False with the reason.
    bool replaceWith(const QString &source, QString *error);
    // The reason of the last failed operation, from the database.
    QString lastError() const { return m_lastError; }
    // Grows with every committed write, so a reader can tell whether its copy of the table is current.
    quint64 generation() const { return m_generation; }
    // The ids of the rows that writes may have touched after generation since (each once or more,
    // deleted ones included), so a reader can bring its copy up to date row by row. False when the
    // store no longer remembers that far back: the reader must then read everything again.
    bool changedSince(quint64 since, std::vector<qint64> *ids) const;

    // Id and names of every row, in no particular order; empty with lastError() set on failure.
    IndexTable readIndex() const;
    // The ids and names of every row in the record source's order (sortByName). The last answer is
    // kept and, after a few writes, brought up to date row by row instead of read and sorted again.
    // Never null; empty with ok set false on failure.
    IndexRows readIndexInOrder(bool *ok = nullptr) const;
    // Counts the whole reads behind readIndexInOrder: two of its answers given under the same count
    // differ only in the rows changedSince names between their generations.
    quint64 orderedReads() const { return m_orderedReads; }
    // Null when the row is missing; ok tells a failure from a missing row.
    std::optional<ContactRecord> read(qint64 id, bool *ok = nullptr) const;
    // Every row in no particular order; ok is set false on failure.
    std::vector<ContactRecord> readAll(bool *ok = nullptr) const;
    // The stored rows among ids, in no particular order: a part of the agenda read in one query, so
    // that a walk of many contacts holds one part at a time. ok is set false on failure.
    std::vector<ContactRecord> readMany(std::span<const qint64> ids, bool *ok = nullptr) const;
    // Every row's id and the given fields as the table holds them (UTF-8, nullopt for a Null), in
    // no particular order and without making records: the views last until visit returns. False
    // with lastError() on failure.
    using TextRowVisitor
        = std::function<void(qint64 id, std::span<const std::optional<QByteArrayView>> values)>;
    bool scanTexts(std::span<const Field> fields, const TextRowVisitor &visit) const;
    // The same read on a read-only connection of its own to the file at path, for a thread other
    // than the window's; it stops, returning false, once cancel is set. The reason goes to error.
    static bool scanTextsInFile(const QString &path, std::span<const Field> fields,
        const TextRowVisitor &visit, const std::atomic<bool> &cancel, QString *error);
    qint64 count() const;

    // Adds the record (its id is ignored) and returns the id the database gave it.
    std::optional<qint64> insert(const ContactRecord &record);
    // Adds the record under its own id, so whatever refers to that id still finds it (a copied store);
    // fails when the id is taken or not positive.
    bool insertKeepingId(const ContactRecord &record);
    // Writes every field of the record into the row with its id.
    // When asRead is given, the row is written only if it still holds those values, so a change
    // another program made meanwhile is never overwritten unseen.
    bool update(const ContactRecord &record, const ContactRecord *asRead = nullptr);
    bool remove(qint64 id);

    // Groups many writes into one transaction: committed by commit(), rolled back otherwise.
    class Batch
    {
    public:
        explicit Batch(ContactStore &store);
        ~Batch();
        bool ok() const { return m_active; }
        bool commit();

    private:
        ContactStore &m_store;
        bool m_active = false;
    };

private:
    struct Check;
    enum class Soundness { Unknown, Sound, Damaged };
    // A row as the file holds it: the bytes behind each field of a record handed out or written,
    // so a save can tell another program's change from bytes that do not read back as the same text.
    struct StoredRow
    {
        ContactRecord record;
        std::array<QVariant, FieldCount> stored;
    };

    explicit ContactStore(QString path, QString connection);
    bool exec(const QString &sql, const QVariantList &values = {}) const;
    void startCheck(const QString &databaseName, bool uri);
    static void runCheck(
        std::shared_ptr<Check> check, QByteArray databaseName, bool uri, std::function<void()> report);
    std::pair<Soundness, QString> waitForCheck(int milliseconds) const;
    void reportVerdict();
    // Whether writes may start now; lastError() says why not.
    bool readyToWrite();
    void rememberStored(StoredRow row) const;
    void forgetStored(qint64 id) const;
    bool begin();
    bool watch(qint64 id, RowChange change);
    void dropStatements();
    // Drops the kept statements and every copy of the table's rows, after the file changed under them.
    void forgetEverything();
    bool commit();
    void rollback();
    // Runs one write in a transaction of its own unless a Batch is open.
    template<typename Write>
    bool write(Write &&doWrite);
    // The statement for sql, prepared on first use and kept: preparing costs more than running
    // the statements a save, a move or an import repeats row after row. Null on failure.
    void noteChanged(qint64 id);
    // SQLite's count of commits by other connections to the file; -1 when it cannot be read.
    qint64 dataVersion() const;
    QSqlQuery *cachedStatement(std::unique_ptr<QSqlQuery> &slot, const QString &sql) const;
    bool runCached(std::unique_ptr<QSqlQuery> &slot, const QString &sql, const QVariantList &values) const;

    QString m_path;
    QString m_connection;
    QStringList m_notices;
    QString m_readOnly;
    // The store's journal becomes WAL with its first write, once the check has passed.
    bool m_walReady = false;
    // A log with frames was beside the file when it was opened.
    bool m_logAtOpen = false;
    std::shared_ptr<Check> m_check;
    sqlite3 *m_handle = nullptr;
    std::thread m_checker;
    std::unique_ptr<QObject> m_context;
    std::function<void(const QString &)> m_onDamage;
    std::function<void()> m_onSound;
    std::function<void()> m_beforeCommit;
    WriteWatcher m_watcher;
    CommitWatcher m_watcherCommit;
    bool m_damageReported = false;
    mutable std::vector<StoredRow> m_storedRows;
    mutable QString m_lastError;
    quint64 m_generation = 0;
    int m_batchDepth = 0;
    quint64 m_transactions = 0;
    // Row ids with the generation their write belongs to, oldest first; it starts at m_logStart.
    std::vector<std::pair<quint64, qint64>> m_changes;
    quint64 m_logStart = 0;
    mutable std::unique_ptr<SqliteRows> m_insert;
    mutable std::unique_ptr<QSqlQuery> m_update;
    mutable std::unique_ptr<QSqlQuery> m_updateChecked;
    mutable std::unique_ptr<QSqlQuery> m_remove;
    mutable std::unique_ptr<QSqlQuery> m_read;
    mutable std::unique_ptr<QSqlQuery> m_readNames;
    mutable std::unique_ptr<QSqlQuery> m_dataVersion;
    // The ordered index as last read, with the generation and the file's data version it was read
    // at: another connection's commit changes the data version, and the copy is then read again.
    mutable std::shared_ptr<IndexTable> m_ordered;
    mutable std::optional<quint64> m_orderedGeneration;
    mutable qint64 m_orderedDataVersion = -1;
    mutable quint64 m_orderedReads = 0;
};
