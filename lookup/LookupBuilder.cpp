#include "lookup/LookupBuilder.h"

#include "contacts/SqliteRows.h"
#include "lookup/LookupTables.h"
#include "lookup/LookupUpdate.h"

#include <QFile>

#include <sqlite3.h>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// Short enough that a save in the window waits for the file no more than a blink (some 80 ms at a
// hundred thousand contacts), long enough that the index is not cut into too many pieces.
constexpr int RowsPerTransaction = 2000;

sqlite3 *openForWriting(const QString &path, QString *error)
{
    sqlite3 *db = nullptr;
    // The store exists already: never make a file here.
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr)
        != SQLITE_OK) {
        if (error)
            *error = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, 3000);
    // Losing the last of this work to a power cut loses nothing: the log still names its contacts.
    runStatement(db, "PRAGMA synchronous=NORMAL", nullptr);
    return db;
}

// One step of the work: the tables made if need be, then one transaction's worth of the log, its
// entries made before the transaction begins.
LookupProgress step(sqlite3 *db, QString *error)
{
    if (!lookupTablesIntact(db) && !createLookupTables(db, error))
        return LookupProgress::Failed;
    const PreparedEntries prepared = prepareLoggedChanges(db, RowsPerTransaction);
    if (!runStatement(db, "BEGIN IMMEDIATE", error))
        return LookupProgress::Failed;
    const LookupProgress progress = applyLoggedChanges(db, RowsPerTransaction, error, prepared);
    if (progress == LookupProgress::Failed || !runStatement(db, "COMMIT", error)) {
        runStatement(db, "ROLLBACK", nullptr);
        return LookupProgress::Failed;
    }
    return progress;
}

} // namespace

LookupBuilder::LookupBuilder(QString path, std::function<bool()> mayWrite)
    : m_path(std::move(path))
    , m_mayWrite(std::move(mayWrite))
    , m_thread(&LookupBuilder::run, this)
{
}

LookupBuilder::~LookupBuilder()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        if (m_working)
            sqlite3_interrupt(m_working);
    }
    m_wake.notify_all();
    m_thread.join();
}

void LookupBuilder::poke()
{
    {
        std::lock_guard lock(m_mutex);
        m_poked = true;
    }
    m_wake.notify_all();
}

void LookupBuilder::run()
{
    // The window comes first: on a busy machine this waits for it, not the other way round.
    setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 10);
    for (;;) {
        {
            std::unique_lock lock(m_mutex);
            // Another program's writes are looked at now and then even when nobody pokes.
            m_wake.wait_for(lock, std::chrono::seconds(m_poked ? 0 : 30),
                [this] { return m_stopping.load() || m_poked; });
            if (m_stopping)
                return;
            m_poked = false;
        }
        if (!m_mayWrite()) {
            // The store's check is still running, or it cannot be written: look again in a while.
            std::unique_lock lock(m_mutex);
            if (m_wake.wait_for(lock, std::chrono::seconds(2), [this] { return m_stopping.load(); }))
                return;
            m_poked = true;
            continue;
        }
        sqlite3 *db = openForWriting(m_path, nullptr);
        if (!db)
            continue;
        {
            std::lock_guard lock(m_mutex);
            m_working = db;
        }
        LookupProgress progress = LookupProgress::MoreLeft;
        while (!m_stopping && progress == LookupProgress::MoreLeft)
            progress = step(db, nullptr);
        {
            std::lock_guard lock(m_mutex);
            m_working = nullptr;
        }
        sqlite3_close(db);
    }
}

bool LookupBuilder::catchUp(const QString &path, QString *error)
{
    sqlite3 *db = openForWriting(path, error);
    if (!db)
        return false;
    LookupProgress progress = LookupProgress::MoreLeft;
    while (progress == LookupProgress::MoreLeft)
        progress = step(db, error);
    sqlite3_close(db);
    return progress == LookupProgress::Done;
}
