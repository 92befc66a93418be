#include "contacts/ContactStore.h"

#include "contacts/ContactOrder.h"
#include "contacts/CrashLog.h"
#include "contacts/SqliteRows.h"
#include "platform/AtomicFile.h"
#include "platform/DataLocation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>
#include <QUuid>

#include <sqlite3.h>

#include <algorithm>
#include <condition_variable>
#include <map>
#include <mutex>
#include <utility>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

const char *const CreateTable = "CREATE TABLE PhoneList ("
                                "ID INTEGER PRIMARY KEY AUTOINCREMENT, "
                                "LastName TEXT, FirstName TEXT, Cellulare TEXT, Azienda TEXT, "
                                "Internet TEXT, www TEXT, Note TEXT, "
                                "WorkAddress TEXT, WorkCity TEXT, WorkProv TEXT, WorkPostalCode TEXT, "
                                "WorkPhone TEXT, WorkFax TEXT, "
                                "HomeAddress TEXT, HomeCity TEXT, HomeProv TEXT, HomePostalCode TEXT, "
                                "HomePhone TEXT, HomeFax TEXT)";

QString errorText(const QSqlError &error)
{
    QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    if (!error.nativeErrorCode().isEmpty())
        text += QStringLiteral(" (codice %1)").arg(error.nativeErrorCode());
    // The driver does not always pass SQLite's code on: its English text tells the two that matter.
    int code = error.nativeErrorCode().toInt();
    if (error.databaseText() == QLatin1String("database or disk is full"))
        code = SQLITE_FULL;
    else if (error.databaseText() == QLatin1String("database is locked"))
        code = SQLITE_BUSY;
    return explainedSqliteError(code, text);
}

// What the first bytes of the file say it is, before SQLite is let near it.
enum class FileKind { Missing, Empty, SQLite, Jet, Other, Unreadable };

FileKind probeFile(const QString &path, QString *reason)
{
    QFile file(path);
    if (!file.exists())
        return FileKind::Missing;
    if (!file.open(QIODevice::ReadOnly)) {
        *reason = file.errorString();
        return FileKind::Unreadable;
    }
    const QByteArray head = file.read(100);
    if (head.isEmpty())
        return FileKind::Empty;
    if (head.startsWith(QByteArrayLiteral("SQLite format 3\0")))
        return FileKind::SQLite;
    if (head.mid(4, 15) == "Standard Jet DB" || head.mid(4, 15) == "Standard ACE DB")
        return FileKind::Jet;
    return FileKind::Other;
}

// Root passes the permission bits but not an immutable file or a read-only mount: the system's own
// answer covers all of them.
bool writable(const QString &path)
{
#ifdef Q_OS_UNIX
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0;
#else
    return QFileInfo(path).isWritable();
#endif
}

// Why the store can only be read (Italian), empty when it can be written.
QString unwritableReason(const QString &path)
{
    const QFileInfo info(path);
    if (!writable(info.absolutePath()))
        return QStringLiteral("la cartella che lo contiene è in sola lettura");
    if (!writable(info.absoluteFilePath()))
        return QStringLiteral("il file è in sola lettura");
    return {};
}

// The name SQLite opens the store by. A file in a folder that cannot be written, with no side files,
// is opened as unchanging: SQLite could not make the index its log needs even to read, and no other
// program can write the file there either.
QString databaseName(const QString &path, bool *uri)
{
    const QFileInfo info(path);
    *uri = !writable(info.absolutePath()) && !QFileInfo::exists(path + LogSuffix)
        && !QFileInfo::exists(path + LogIndexSuffix) && !QFileInfo::exists(path + QStringLiteral("-journal"));
    if (!*uri)
        return path;
    return QString::fromLatin1(QUrl::fromLocalFile(info.absoluteFilePath()).toEncoded())
        + QStringLiteral("?immutable=1");
}

QString valueSql(const QString &prefix)
{
    QStringList names;
    for (const FieldInfo &info : Fields) {
        if (info.field != Field::ID)
            names.append(prefix + QString::fromLatin1(info.name));
    }
    return names.join(QStringLiteral(", "));
}

QVariant bindable(const FieldValue &value)
{
    // Qt Sql binds a null QString as NULL: an empty text must stay an empty text.
    if (!value)
        return QVariant(QMetaType::fromType<QString>());
    return value->isNull() ? QVariant(QStringLiteral("")) : QVariant(*value);
}

FieldValue fieldValue(const QVariant &value)
{
    if (value.isNull())
        return std::nullopt;
    return value.toString();
}

// Builds a record from a query whose columns are ID followed by the nineteen text fields.
ContactRecord recordFromQuery(const QSqlQuery &query)
{
    ContactRecord record;
    record.id = query.value(0).toLongLong();
    int column = 1;
    for (const FieldInfo &info : Fields) {
        if (info.field != Field::ID)
            record.setValue(info.field, fieldValue(query.value(column++)));
    }
    return record;
}

const QString SelectAll = QStringLiteral("SELECT ID, ") + valueSql({}) + QStringLiteral(" FROM PhoneList");

// The fields' bytes as the file holds them, whatever their type: "CAST(LastName AS BLOB), ...".
QString storedSql()
{
    QStringList casts;
    for (const FieldInfo &info : Fields) {
        if (info.field != Field::ID)
            casts.append(QStringLiteral("CAST(%1 AS BLOB)").arg(QString::fromLatin1(info.name)));
    }
    return casts.join(QStringLiteral(", "));
}

// What a field's stored bytes are compared with: the bytes themselves, or a Null.
QVariant storedBytes(const QVariant &bytes, const FieldValue &shown)
{
    if (!shown)
        return bindable(std::nullopt);
    // An empty value comes back as a null byte array, which Qt Sql would bind as a Null.
    const QByteArray held = bytes.toByteArray();
    return held.isNull() ? QVariant(QByteArray("")) : QVariant(held);
}

// Reads the schema and, with walk set, every page of the table's tree once: a file SQLite cannot
// read, or without the table and its fields, is refused with the full Italian message, SQLite's code
// going to code. A file without any table gets an empty message and noTables set.
QString checkTable(const QSqlDatabase &db, const QString &shown, int *code, bool *noTables, bool walk)
{
    auto failed = [&](const QSqlError &error) {
        if (sqlite3 *handle = sqliteConnection(db))
            *code = sqlite3_extended_errcode(handle);
        return QStringLiteral("Impossibile aprire l'archivio dei contatti \"%1\": %2.")
            .arg(shown, errorText(error));
    };
    QSqlQuery tables(db);
    if (!tables.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'")))
        return failed(tables.lastError());
    QStringList tableNames;
    while (tables.next())
        tableNames.append(tables.value(0).toString());
    tables.finish();
    *noTables = tableNames.isEmpty();
    if (*noTables)
        return {};
    if (!tableNames.contains(QStringLiteral("PhoneList"), Qt::CaseInsensitive)) {
        return QStringLiteral("Il file \"%1\" non contiene la tabella dei contatti PhoneList. "
                              "Il file non è stato modificato.")
            .arg(shown);
    }
    const QSqlRecord columns = db.record(QStringLiteral("PhoneList"));
    QStringList missing;
    for (const FieldInfo &info : Fields) {
        if (columns.indexOf(QString::fromLatin1(info.name)) < 0)
            missing.append(QString::fromLatin1(info.name));
    }
    if (!missing.isEmpty()) {
        return QStringLiteral("Nella tabella PhoneList del file \"%1\" mancano i campi: %2. "
                              "Il file non è stato modificato.")
            .arg(shown, missing.join(QStringLiteral(", ")));
    }
    if (!walk)
        return {};
    // A damaged file can still show its schema: walk the table's tree once. Damage inside a page the
    // walk does not read is left to the full check.
    QSqlQuery check(db);
    if (!check.exec(QStringLiteral("SELECT count(*) FROM PhoneList")) || !check.next())
        return failed(check.lastError());
    return {};
}

} // namespace

struct ContactStore::Check
{
    std::mutex mutex;
    std::condition_variable settled;
    // A new store has nothing to check.
    Soundness soundness = Soundness::Sound;
    QString fault;
    bool closing = false;
    // The check's connection while it runs, for the store to interrupt as it closes.
    sqlite3 *connection = nullptr;
};

ContactStore::ContactStore(QString path, QString connection)
    : m_path(std::move(path))
    , m_connection(std::move(connection))
    , m_check(std::make_shared<Check>())
    , m_context(std::make_unique<QObject>())
{
}

ContactStore::~ContactStore()
{
    if (m_checker.joinable()) {
        {
            std::lock_guard lock(m_check->mutex);
            m_check->closing = true;
            if (m_check->connection)
                sqlite3_interrupt(m_check->connection);
        }
        m_check->settled.notify_all();
        m_checker.join();
    }
    // Kept statements belong to the connection: they go before it closes.
    dropStatements();
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        if (db.isOpen()) {
            // SQLite folds the log into the file as the last connection closes: never into a damaged
            // file, nor a log found at the opening into a file whose check did not end.
            const Soundness soundness = waitForCheck(0).first;
            sqlite3 *handle = sqliteConnection(db);
            if (handle
                && (soundness == Soundness::Damaged || (soundness == Soundness::Unknown && m_logAtOpen)))
                sqlite3_db_config(handle, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(m_connection);
}

std::unique_ptr<ContactStore> ContactStore::open(
    const QString &path, QString *error, Access access, bool *damaged)
{
    const auto damage = [damaged](bool found) {
        if (damaged)
            *damaged = found;
    };
    damage(false);
    const QString shown = shownPath(path);
    QString reason;
    const FileKind kind = probeFile(path, &reason);
    switch (kind) {
    case FileKind::Unreadable:
        *error = QStringLiteral("Impossibile aprire l'archivio dei contatti \"%1\": %2.").arg(shown, reason);
        return nullptr;
    case FileKind::Jet:
        *error = QStringLiteral("L'archivio dei contatti \"%1\" è nel formato di Microsoft Access (Jet) "
                                "e non può essere aperto direttamente.")
                     .arg(shown);
        return nullptr;
    case FileKind::Other:
        damage(true);
        *error = QStringLiteral(
            "Il file \"%1\" non è un archivio di contatti di Rubrello: "
            "il suo contenuto non è un database riconosciuto. Il file non è stato modificato.")
                     .arg(shown);
        return nullptr;
    case FileKind::Missing:
    case FileKind::Empty:
    case FileKind::SQLite:
        break;
    }

    QStringList notices;
    if (const std::optional<QString> foreign = foreignLog(path)) {
        QString kept;
        if (!keepLogAside(path, &kept, &reason)) {
            *error
                = QStringLiteral("Accanto all'archivio dei contatti \"%1\" c'è un registro delle modifiche, "
                                 "lasciato da una chiusura improvvisa, che non appartiene all'archivio (%2) "
                                 "e che non può essere messo da parte: %3. Il file non è stato modificato.")
                      .arg(shown, *foreign, reason);
            return nullptr;
        }
        notices.append(
            QStringLiteral("Accanto all'archivio dei contatti \"%1\" c'era un registro delle modifiche, "
                           "lasciato da una chiusura improvvisa, che non appartiene all'archivio: %2. "
                           "Applicarlo avrebbe potuto danneggiare i contatti, perciò non è stato "
                           "applicato: è conservato, invariato, come \"%3\".")
                .arg(shown, *foreign, QDir::toNativeSeparators(kept)));
    }

    const QString connection
        = QStringLiteral("rubrello-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    std::unique_ptr<ContactStore> store(new ContactStore(path, connection));
    store->m_notices = notices;
    auto fail = [&](const QString &what) {
        *error = QStringLiteral("Impossibile aprire l'archivio dei contatti \"%1\": %2.").arg(shown, what);
        return nullptr;
    };
    const QString busyTimeout = QStringLiteral("QSQLITE_BUSY_TIMEOUT=3000");
    // A new store has nothing to check: the table and the journal are made at once.
    auto createTable = [&] {
        store->m_walReady = store->exec(QString::fromLatin1(CreateTable))
            && store->exec(QStringLiteral("PRAGMA journal_mode=WAL"))
            && store->exec(QStringLiteral("PRAGMA synchronous=FULL"));
        return store->m_walReady;
    };

    const QString nothingToRead = QStringLiteral("non contiene ancora nessun contatto");
    if (kind != FileKind::SQLite) {
        if (access == Access::ReadOnly)
            return fail(nothingToRead);
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        db.setConnectOptions(busyTimeout);
        if (!db.open())
            return fail(errorText(db.lastError()));
        store->m_handle = sqliteConnection(db);
        if (!createTable())
            return fail(store->lastError());
        return store;
    }

    // Until its check passes, an existing file is closed without SQLite folding a log into it.
    store->m_check->soundness = Soundness::Unknown;
    store->m_logAtOpen = QFileInfo(path + LogSuffix).size() > 0;
    bool uri = false;
    const QString name = databaseName(path, &uri);
    QString readOnly
        = access == Access::ReadOnly ? QStringLiteral("aperto solo per la lettura") : unwritableReason(path);
    const QString readOnlyOptions = QStringLiteral("QSQLITE_OPEN_READONLY;") + busyTimeout
        + (uri ? QStringLiteral(";QSQLITE_OPEN_URI") : QString());
    // The checks run on a connection that cannot write: a file that fails them is left as it was,
    // log included.
    int code = SQLITE_OK;
    bool noTables = false;
    QString problem;
    {
        QSqlDatabase check
            = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection + QStringLiteral("-check"));
        check.setDatabaseName(name);
        check.setConnectOptions(readOnlyOptions);
        if (!check.open())
            problem = QStringLiteral("Impossibile aprire l'archivio dei contatti \"%1\": %2.")
                          .arg(shown, errorText(check.lastError()));
        else
            // A reader meets damage as it reads; the walk is for a store about to be written.
            problem = checkTable(check, shown, &code, &noTables, access == Access::ReadWrite);
        check.close();
    }
    QSqlDatabase::removeDatabase(connection + QStringLiteral("-check"));
    // A write another program left half done in the older journal is undone by SQLite as the file is
    // read, which only a connection that may write can do.
    const bool undoFirst = code == SQLITE_READONLY_ROLLBACK && readOnly.isEmpty();
    const auto isDamage
        = [](int code) { return (code & 0xff) == SQLITE_CORRUPT || (code & 0xff) == SQLITE_NOTADB; };
    if (!problem.isEmpty() && !undoFirst) {
        damage(isDamage(code));
        *error = problem;
        return nullptr;
    }

    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
    db.setDatabaseName(name);
    db.setConnectOptions(readOnly.isEmpty() ? busyTimeout : readOnlyOptions);
    if (!db.open())
        return fail(errorText(db.lastError()));
    // Asked for at every write: Qt Sql finds a connection by name under a lock, which an import
    // of a million contacts would do a million times.
    store->m_handle = sqliteConnection(db);
    if (undoFirst) {
        problem = checkTable(db, shown, &code, &noTables, true);
        if (!problem.isEmpty()) {
            damage(isDamage(code));
            *error = problem;
            return nullptr;
        }
    }
    if (readOnly.isEmpty() && sqlite3_db_readonly(sqliteConnection(db), "main") == 1)
        readOnly = QStringLiteral("il file è in sola lettura");
    if (noTables) {
        if (access == Access::ReadOnly)
            return fail(nothingToRead);
        if (!readOnly.isEmpty())
            return fail(readOnly);
        if (!createTable())
            return fail(store->lastError());
        store->m_check->soundness = Soundness::Sound;
        return store;
    }
    if (access == Access::ReadOnly) {
        store->m_readOnly = readOnly;
        return store;
    }
    if (!readOnly.isEmpty()) {
        store->m_readOnly = readOnly;
        store->m_notices.append(
            QStringLiteral("L'archivio dei contatti \"%1\" può essere solo letto (%2): "
                           "i contatti sono visibili, ma le modifiche non potranno essere salvate.")
                .arg(shown, readOnly));
    } else {
        QSqlQuery pragma(db);
        if (!pragma.exec(QStringLiteral("PRAGMA synchronous=FULL")))
            return fail(errorText(pragma.lastError()));
    }
    store->startCheck(name, uri);
    return store;
}

void ContactStore::startCheck(const QString &databaseName, bool uri)
{
    QObject *context = m_context.get();
    m_checker = std::thread(&ContactStore::runCheck, m_check, databaseName.toUtf8(), uri, [this, context] {
        QMetaObject::invokeMethod(
            context, [this] { reportVerdict(); }, Qt::QueuedConnection);
    });
}

// Every page of the file, read on a connection of its own that cannot write. Quick rather than full:
// the table has no index to compare with its rows, and the start-up must not wait for it.
void ContactStore::runCheck(
    std::shared_ptr<Check> check, QByteArray databaseName, bool uri, std::function<void()> report)
{
    // Lends the connection to the store, to interrupt as it closes; false once it is closing.
    auto lend = [&](sqlite3 *connection) {
        std::lock_guard lock(check->mutex);
        check->connection = check->closing ? nullptr : connection;
        return !check->closing;
    };
    QString fault;
    for (;;) {
        sqlite3 *db = nullptr;
        int result = sqlite3_open_v2(
            databaseName.constData(), &db, SQLITE_OPEN_READONLY | (uri ? SQLITE_OPEN_URI : 0), nullptr);
        if (lend(db) && result == SQLITE_OK) {
            sqlite3_busy_timeout(db, 3000);
            fault = quickCheckFinding(db, &result);
        } else if (result != SQLITE_OK) {
            fault = QString::fromUtf8(sqlite3_errstr(result));
        }
        const bool closing = !lend(nullptr);
        sqlite3_close(db);
        if (closing)
            return;
        // Another program holding the whole file (the older journal) is waited for, not taken for damage.
        const int primary = result & 0xff;
        if (primary != SQLITE_BUSY && primary != SQLITE_LOCKED)
            break;
        std::unique_lock lock(check->mutex);
        if (check->settled.wait_for(lock, std::chrono::seconds(1), [&] { return check->closing; }))
            return;
    }
    {
        std::lock_guard lock(check->mutex);
        check->soundness = fault.isEmpty() ? Soundness::Sound : Soundness::Damaged;
        check->fault = fault;
    }
    check->settled.notify_all();
    report();
}

std::pair<ContactStore::Soundness, QString> ContactStore::waitForCheck(int milliseconds) const
{
    std::unique_lock lock(m_check->mutex);
    m_check->settled.wait_for(lock, std::chrono::milliseconds(milliseconds),
        [&] { return m_check->soundness != Soundness::Unknown; });
    return {m_check->soundness, m_check->fault};
}

void ContactStore::setDamageHandler(std::function<void(const QString &message)> handler)
{
    m_onDamage = std::move(handler);
    QMetaObject::invokeMethod(
        m_context.get(), [this] { reportVerdict(); }, Qt::QueuedConnection);
}

void ContactStore::whenSound(std::function<void()> handler)
{
    m_onSound = std::move(handler);
    QMetaObject::invokeMethod(
        m_context.get(), [this] { reportVerdict(); }, Qt::QueuedConnection);
}

void ContactStore::reportVerdict()
{
    const auto [soundness, fault] = waitForCheck(0);
    if (soundness == Soundness::Sound && m_onSound) {
        // Told once: the handler is gone before it runs, so that it may set another.
        const std::function<void()> onSound = std::exchange(m_onSound, {});
        onSound();
        return;
    }
    if (soundness != Soundness::Damaged || m_damageReported || !m_onDamage)
        return;
    m_damageReported = true;
    m_onDamage(QStringLiteral("L'archivio dei contatti \"%1\" è danneggiato: %2.\n\n"
                              "Nel file non verrà scritto nulla: le modifiche non potranno essere salvate.")
                   .arg(shownPath(m_path), fault));
}

bool ContactStore::isWritable() const
{
    return m_readOnly.isEmpty() && waitForCheck(0).first == Soundness::Sound;
}

sqlite3 *ContactStore::connection() const
{
    return m_handle;
}

bool ContactStore::readyToWrite()
{
    const QString shown = shownPath(m_path);
    if (!m_readOnly.isEmpty()) {
        m_lastError = QStringLiteral("l'archivio dei contatti \"%1\" può essere solo letto (%2): "
                                     "le modifiche non possono essere salvate.")
                          .arg(shown, m_readOnly);
        return false;
    }
    // A write made while the check runs waits for its verdict as it would for another program's lock.
    const auto [soundness, fault] = waitForCheck(3000);
    switch (soundness) {
    case Soundness::Unknown:
        m_lastError = QStringLiteral("il controllo dell'archivio dei contatti \"%1\" non è ancora finito: "
                                     "riprovare fra qualche istante.")
                          .arg(shown);
        return false;
    case Soundness::Damaged:
        m_lastError
            = QStringLiteral("l'archivio dei contatti \"%1\" è danneggiato (%2) e non viene modificato.")
                  .arg(shown, fault);
        return false;
    case Soundness::Sound:
        break;
    }
    // WAL with full synchronisation: a committed write survives a power cut and a crash mid-write
    // leaves the last committed state. An older file is turned to WAL only now, once it has passed.
    if (!m_walReady) {
        if (!exec(QStringLiteral("PRAGMA journal_mode=WAL")))
            return false;
        m_walReady = true;
    }
    return true;
}

bool ContactStore::exec(const QString &sql, const QVariantList &values) const
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    if (!query.prepare(sql)) {
        m_lastError = errorText(query.lastError());
        return false;
    }
    for (const QVariant &value : values)
        query.addBindValue(value);
    if (!query.exec()) {
        m_lastError = errorText(query.lastError());
        return false;
    }
    return true;
}

QSqlQuery *ContactStore::cachedStatement(std::unique_ptr<QSqlQuery> &slot, const QString &sql) const
{
    if (!slot) {
        auto query = std::make_unique<QSqlQuery>(QSqlDatabase::database(m_connection, false));
        query->setForwardOnly(true);
        if (!query->prepare(sql)) {
            m_lastError = errorText(query->lastError());
            return nullptr;
        }
        slot = std::move(query);
    }
    return slot.get();
}

bool ContactStore::runCached(
    std::unique_ptr<QSqlQuery> &slot, const QString &sql, const QVariantList &values) const
{
    QSqlQuery *query = cachedStatement(slot, sql);
    if (!query)
        return false;
    for (qsizetype i = 0; i < values.size(); ++i)
        query->bindValue(static_cast<int>(i), values[i]);
    const bool ok = query->exec();
    if (!ok)
        m_lastError = errorText(query->lastError());
    return ok;
}

void ContactStore::noteChanged(qint64 id)
{
    // Past this many a reader is better off reading the whole table anyway (a large import).
    constexpr size_t Remembered = 20000;
    if (m_changes.size() >= Remembered) {
        m_changes.clear();
        m_logStart = m_generation;
    }
    // The write becomes part of the next generation, whether it commits alone or in a batch.
    m_changes.emplace_back(m_generation + 1, id);
}

bool ContactStore::changedSince(quint64 since, std::vector<qint64> *ids) const
{
    if (since < m_logStart || since > m_generation)
        return false;
    ids->clear();
    const auto first = std::upper_bound(m_changes.begin(), m_changes.end(), since,
        [](quint64 generation, const std::pair<quint64, qint64> &change) {
            return generation < change.first;
        });
    for (auto change = first; change != m_changes.end(); ++change)
        ids->push_back(change->second);
    return true;
}

bool ContactStore::begin()
{
    if (m_batchDepth++ > 0)
        return true;
    if (!readyToWrite()) {
        m_batchDepth = 0;
        return false;
    }
    ++m_transactions;
    if (!QSqlDatabase::database(m_connection, false).transaction()) {
        m_lastError = errorText(QSqlDatabase::database(m_connection, false).lastError());
        m_batchDepth = 0;
        return false;
    }
    return true;
}

bool ContactStore::commit()
{
    if (--m_batchDepth > 0)
        return true;
    if (m_beforeCommit)
        m_beforeCommit();
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    if (m_watcherCommit) {
        if (const QString reason = m_watcherCommit(); !reason.isEmpty()) {
            m_lastError = reason;
            db.rollback();
            return false;
        }
    }
    if (!db.commit()) {
        m_lastError = errorText(db.lastError());
        db.rollback();
        return false;
    }
    ++m_generation;
    return true;
}

void ContactStore::rollback()
{
    m_batchDepth = 0;
    QSqlDatabase::database(m_connection, false).rollback();
}

template<typename Write>
bool ContactStore::write(Write &&doWrite)
{
    if (m_batchDepth > 0) {
        const bool ok = doWrite();
        if (ok)
            ++m_generation;
        return ok;
    }
    if (!begin())
        return false;
    if (!doWrite()) {
        const QString reason = m_lastError;
        rollback();
        m_lastError = reason;
        return false;
    }
    return commit();
}

IndexTable ContactStore::readIndex() const
{
    IndexTable entries;
    SqliteRows rows(connection(), "SELECT ID, LastName, FirstName FROM PhoneList");
    {
        IndexTable::Filler filler(entries);
        while (rows.next())
            filler.add(rows.integer(0), rows.utf8(1), rows.utf8(2));
    }
    if (rows.failed()) {
        m_lastError = rows.error();
        entries = IndexTable();
    }
    return entries;
}

std::optional<ContactRecord> ContactStore::read(qint64 id, bool *ok) const
{
    static const QString sql = QStringLiteral("SELECT ID, ") + valueSql({}) + QStringLiteral(", ")
        + storedSql() + QStringLiteral(" FROM PhoneList WHERE ID = ?");
    const bool ran = runCached(m_read, sql, {id});
    if (ok)
        *ok = ran;
    if (!ran)
        return std::nullopt;
    QSqlQuery &query = *m_read;
    std::optional<ContactRecord> record;
    if (query.next()) {
        record = recordFromQuery(query);
        StoredRow row{*record, {}};
        int column = FieldCount;
        for (const FieldInfo &info : Fields) {
            if (info.field != Field::ID)
                row.stored[fieldIndex(info.field)]
                    = storedBytes(query.value(column++), record->value(info.field));
        }
        rememberStored(std::move(row));
    }
    if (query.lastError().isValid()) {
        m_lastError = errorText(query.lastError());
        if (ok)
            *ok = false;
    }
    // Let go of the read lock: the statement stays prepared for the next read.
    query.finish();
    return record;
}

qint64 ContactStore::dataVersion() const
{
    if (!runCached(m_dataVersion, QStringLiteral("PRAGMA data_version"), {}))
        return -1;
    const qint64 version = m_dataVersion->next() ? m_dataVersion->value(0).toLongLong() : -1;
    m_dataVersion->finish();
    return version;
}

ContactStore::IndexRows ContactStore::readIndexInOrder(bool *ok) const
{
    if (ok)
        *ok = true;
    const qint64 version = dataVersion();
    if (version < 0 || version != m_orderedDataVersion)
        m_orderedGeneration.reset();
    if (m_orderedGeneration && *m_orderedGeneration == m_generation)
        return m_ordered;
    // A few changed rows are moved to their new place; beyond that a fresh read and sort is cheaper.
    constexpr size_t MostMoved = 500;
    std::vector<qint64> changed;
    if (m_orderedGeneration && changedSince(*m_orderedGeneration, &changed) && changed.size() <= MostMoved) {
        std::sort(changed.begin(), changed.end());
        changed.erase(std::unique(changed.begin(), changed.end()), changed.end());
        // Cursors still hold the rows as they were: those are left alone.
        auto rows = m_ordered.use_count() == 1 ? m_ordered : std::make_shared<IndexTable>(*m_ordered);
        bool good = true;
        for (qint64 id : changed) {
            const auto old = std::find_if(
                rows->begin(), rows->end(), [id](const IndexEntry &entry) { return entry.id == id; });
            if (old != rows->end())
                rows->erase(old);
            if (!runCached(m_readNames,
                    QStringLiteral("SELECT ID, LastName, FirstName FROM PhoneList WHERE ID = ?"), {id})) {
                good = false;
                break;
            }
            std::optional<IndexEntry> entry;
            if (m_readNames->next())
                entry
                    = rows->entryOf(id, fieldValue(m_readNames->value(1)), fieldValue(m_readNames->value(2)));
            good = !m_readNames->lastError().isValid();
            m_readNames->finish();
            if (!good)
                break;
            if (entry)
                rows->insert(std::lower_bound(rows->begin(), rows->end(), *entry, namePrecedes), *entry);
        }
        if (good) {
            m_ordered = std::move(rows);
            m_orderedGeneration = m_generation;
            return m_ordered;
        }
    }

    m_orderedGeneration.reset();
    m_ordered.reset();
    ++m_orderedReads;
    const quint64 generation = m_generation;
    auto rows = std::make_shared<IndexTable>(readIndex());
    if (rows->empty() && count() != 0) {
        if (ok)
            *ok = false;
        return std::make_shared<IndexTable>();
    }
    sortByName(*rows);
    rows->compact();
    m_ordered = rows;
    m_orderedGeneration = generation;
    m_orderedDataVersion = version;
    return rows;
}

std::vector<ContactRecord> ContactStore::readAll(bool *ok) const
{
    std::vector<ContactRecord> records;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.setForwardOnly(true);
    const bool ran = query.prepare(SelectAll) && query.exec();
    if (ran) {
        while (query.next())
            records.push_back(recordFromQuery(query));
    }
    const bool good = ran && !query.lastError().isValid();
    if (!good)
        m_lastError = errorText(query.lastError());
    if (ok)
        *ok = good;
    return records;
}

std::vector<ContactRecord> ContactStore::readMany(std::span<const qint64> ids, bool *ok) const
{
    static const QByteArray sql = [] {
        std::vector<Field> fields;
        for (const FieldInfo &info : Fields) {
            if (info.field != Field::ID)
                fields.push_back(info.field);
        }
        return selectFields(fields) + " WHERE ID IN (SELECT value FROM json_each(?))";
    }();

    std::vector<ContactRecord> records;
    records.reserve(ids.size());
    SqliteRows rows(QSqlDatabase::database(m_connection, false), sql.constData());
    rows.bind(1, idListJson(ids));
    while (rows.next()) {
        ContactRecord &record = records.emplace_back();
        record.id = rows.integer(0);
        int column = 1;
        for (const FieldInfo &info : Fields) {
            if (info.field != Field::ID)
                record.setValue(info.field, rows.text(column++));
        }
    }
    if (rows.failed())
        m_lastError = rows.error();
    if (ok)
        *ok = !rows.failed();
    return records;
}

namespace {

// Steps through every row, handing each to visit, until the end, a failure or cancel.
bool visitTexts(SqliteRows &rows, std::span<const Field> fields, const ContactStore::TextRowVisitor &visit,
    const std::atomic<bool> *cancel)
{
    std::vector<std::optional<QByteArrayView>> values(fields.size());
    while (rows.next()) {
        if (cancel && cancel->load(std::memory_order_relaxed))
            return false;
        for (size_t i = 0; i < fields.size(); ++i)
            values[i] = rows.utf8(int(i) + 1);
        visit(rows.integer(0), values);
    }
    return !rows.failed();
}

} // namespace

bool ContactStore::scanTexts(std::span<const Field> fields, const TextRowVisitor &visit) const
{
    SqliteRows rows(QSqlDatabase::database(m_connection, false), selectFields(fields).constData());
    if (!visitTexts(rows, fields, visit, nullptr)) {
        m_lastError = rows.error();
        return false;
    }
    return true;
}

bool ContactStore::scanTextsInFile(const QString &path, std::span<const Field> fields,
    const TextRowVisitor &visit, const std::atomic<bool> &cancel, QString *error)
{
    const QString connection
        = QStringLiteral("rubrello-read-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    bool ok = false;
    {
        bool uri = false;
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(databaseName(path, &uri));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=3000")
            + (uri ? QStringLiteral(";QSQLITE_OPEN_URI") : QString()));
        if (!db.open()) {
            if (error)
                *error = errorText(db.lastError());
        } else {
            SqliteRows rows(db, selectFields(fields).constData());
            ok = visitTexts(rows, fields, visit, &cancel);
            if (!ok && error)
                *error = rows.failed() ? rows.error() : QStringLiteral("lettura interrotta");
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return ok;
}

qint64 ContactStore::count() const
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    if (!query.exec(QStringLiteral("SELECT count(*) FROM PhoneList")) || !query.next()) {
        m_lastError = errorText(query.lastError());
        return -1;
    }
    return query.value(0).toLongLong();
}

std::optional<qint64> ContactStore::insert(const ContactRecord &record)
{
    static const QByteArray sql = [] {
        QByteArray marks;
        for (int i = 0; i < FieldCount - 1; ++i)
            marks += i == 0 ? "?" : ", ?";
        return "INSERT INTO PhoneList (" + valueSql({}).toLatin1() + ") VALUES (" + marks + ")";
    }();
    qint64 id = 0;
    const bool ok = write([&] {
        // Straight to SQLite: an import of a hundred thousand contacts spends most of its time here,
        // and Qt Sql's binding costs more than the insert itself.
        if (!m_insert)
            m_insert
                = std::make_unique<SqliteRows>(QSqlDatabase::database(m_connection, false), sql.constData());
        int column = 1;
        for (const FieldInfo &info : Fields) {
            if (info.field == Field::ID)
                continue;
            if (const FieldValue &value = record.value(info.field))
                m_insert->bind(column++, value->toUtf8());
            else
                m_insert->bindNull(column++);
        }
        if (!m_insert->run()) {
            m_lastError = m_insert->error();
            m_insert.reset(); // a failed statement is prepared again next time
            return false;
        }
        id = sqlite3_last_insert_rowid(connection());
        noteChanged(id);
        return watch(id, RowChange::Added);
    });
    if (!ok)
        return std::nullopt;
    return id;
}

bool ContactStore::insertKeepingId(const ContactRecord &record)
{
    if (record.id <= 0) {
        m_lastError = QStringLiteral("ID %1 non valido").arg(record.id);
        return false;
    }
    QVariantList values{record.id};
    QStringList marks{QStringLiteral("?")};
    for (const FieldInfo &info : Fields) {
        if (info.field == Field::ID)
            continue;
        // Qt Sql binds a null QString as NULL: an empty text must arrive as an empty text.
        const FieldValue &value = record.value(info.field);
        values.append(value && value->isEmpty() ? QVariant(QStringLiteral("")) : bindable(value));
        marks.append(QStringLiteral("?"));
    }
    noteChanged(record.id);
    return write([&] {
        return exec(QStringLiteral("INSERT INTO PhoneList (ID, ") + valueSql({})
                       + QStringLiteral(") VALUES (") + marks.join(QStringLiteral(", "))
                       + QStringLiteral(")"),
                   values)
            && watch(record.id, RowChange::Added);
    });
}

bool ContactStore::update(const ContactRecord &record, const ContactRecord *asRead)
{
    // With the record as it was read, the row is written only if its bytes are still those behind that
    // reading, so another program's change is never overwritten unseen; a field left as read keeps its
    // bytes. The bytes are compared, not the text: a BLOB, or text that is not UTF-8, reads back as
    // other text and would never compare equal.
    static const auto statement = [](bool checked) {
        QStringList assignments;
        QStringList unchanged;
        for (const FieldInfo &info : Fields) {
            if (info.field == Field::ID)
                continue;
            const QString name = QString::fromLatin1(info.name);
            assignments.append(checked ? QStringLiteral("%1 = CASE WHEN ? THEN %1 ELSE ? END").arg(name)
                                       : name + QStringLiteral(" = ?"));
            unchanged.append(QStringLiteral("CAST(%1 AS BLOB) IS CAST(? AS BLOB)").arg(name));
        }
        QString sql = QStringLiteral("UPDATE PhoneList SET ") + assignments.join(QStringLiteral(", "))
            + QStringLiteral(" WHERE ID = ?");
        if (checked)
            sql += QStringLiteral(" AND ") + unchanged.join(QStringLiteral(" AND "));
        return sql;
    };
    static const QString plainSql = statement(false);
    static const QString checkedSql = statement(true);

    StoredRow written{record, {}};
    std::array<QVariant, FieldCount> asStored;
    if (asRead) {
        // Without the bytes of that very reading, its text stands for them: a row holding other bytes
        // is then refused rather than overwritten.
        const auto known = std::find_if(m_storedRows.begin(), m_storedRows.end(), [&](const StoredRow &row) {
            return row.record.id == record.id && row.record.values == asRead->values;
        });
        for (const FieldInfo &info : Fields) {
            const int index = fieldIndex(info.field);
            asStored[index]
                = known != m_storedRows.end() ? known->stored[index] : bindable(asRead->value(info.field));
        }
    }
    QVariantList values;
    values.reserve(3 * FieldCount);
    for (const FieldInfo &info : Fields) {
        if (info.field == Field::ID)
            continue;
        const int index = fieldIndex(info.field);
        const bool kept = asRead && record.value(info.field) == asRead->value(info.field);
        if (asRead)
            values.append(kept);
        values.append(bindable(record.value(info.field)));
        written.stored[index] = kept ? asStored[index] : bindable(record.value(info.field));
    }
    values.append(record.id);
    if (asRead) {
        for (const FieldInfo &info : Fields) {
            if (info.field != Field::ID)
                values.append(asStored[fieldIndex(info.field)]);
        }
    }
    noteChanged(record.id);
    std::unique_ptr<QSqlQuery> &slot = asRead ? m_updateChecked : m_update;
    const bool ok = write([&] {
        if (!watch(record.id, RowChange::Changing)
            || !runCached(slot, asRead ? checkedSql : plainSql, values))
            return false;
        if (slot->numRowsAffected() > 0)
            return true;
        // Nothing was written: say why instead of reporting a save that did not happen.
        bool readOk = false;
        const bool exists = read(record.id, &readOk).has_value();
        m_lastError = exists || !readOk
            ? QStringLiteral("il contatto è stato modificato da un altro programma dopo che è stato letto; "
                             "le modifiche restano sulla scheda: rileggere il contatto prima di salvare.")
            : QStringLiteral("il contatto è stato cancellato da un altro programma.");
        return false;
    });
    if (ok)
        rememberStored(std::move(written));
    return ok;
}

void ContactStore::rememberStored(StoredRow row) const
{
    // A few rows are enough: a save follows the reading of the record it changes.
    constexpr size_t Remembered = 16;
    forgetStored(row.record.id);
    if (m_storedRows.size() >= Remembered)
        m_storedRows.erase(m_storedRows.begin());
    m_storedRows.push_back(std::move(row));
}

void ContactStore::forgetStored(qint64 id) const
{
    std::erase_if(m_storedRows, [id](const StoredRow &row) { return row.record.id == id; });
}

bool ContactStore::remove(qint64 id)
{
    static const QString sql = QStringLiteral("DELETE FROM PhoneList WHERE ID = ?");
    noteChanged(id);
    forgetStored(id);
    return write([&] { return watch(id, RowChange::Removing) && runCached(m_remove, sql, {id}); });
}

bool ContactStore::watch(qint64 id, RowChange change)
{
    if (!m_watcher)
        return true;
    const QString failure = m_watcher(id, change);
    if (failure.isEmpty())
        return true;
    m_lastError = failure;
    return false;
}

void ContactStore::noteRewritten(qint64 id)
{
    noteChanged(id);
    forgetStored(id);
}

void ContactStore::dropStatements()
{
    m_insert.reset();
    m_update.reset();
    m_updateChecked.reset();
    m_remove.reset();
    m_read.reset();
    m_readNames.reset();
    m_dataVersion.reset();
}

void ContactStore::forgetEverything()
{
    dropStatements();
    m_storedRows.clear();
    m_changes.clear();
    m_logStart = ++m_generation;
    m_ordered.reset();
    m_orderedGeneration.reset();
}

bool ContactStore::replaceWith(const QString &source, QString *error)
{
    if (!m_readOnly.isEmpty() || m_batchDepth > 0) {
        *error = m_readOnly.isEmpty()
            ? QStringLiteral("una modifica è in corso")
            : QStringLiteral("l'archivio può essere solo letto (%1)").arg(m_readOnly);
        return false;
    }
    if (waitForCheck(3000).first == Soundness::Unknown) {
        *error
            = QStringLiteral("il controllo dell'archivio non è ancora finito: riprovare fra qualche istante");
        return false;
    }
    sqlite3 *from = nullptr;
    int result = sqlite3_open_v2(QFile::encodeName(source).constData(), &from, SQLITE_OPEN_READONLY, nullptr);
    // Statements kept on the store's connection would hold its file open for reading.
    forgetEverything();
    sqlite3 *to = connection();
    if (result == SQLITE_OK && to) {
        sqlite3_busy_timeout(from, 3000);
        if (sqlite3_backup *copy = sqlite3_backup_init(to, "main", from, "main")) {
            // Another program's lock is waited for as a write waits for it: three seconds.
            for (int wait = 0; wait < 30; ++wait) {
                result = sqlite3_backup_step(copy, -1);
                if (result != SQLITE_BUSY && result != SQLITE_LOCKED)
                    break;
                sqlite3_sleep(100);
            }
            sqlite3_backup_finish(copy);
            result = result == SQLITE_DONE ? SQLITE_OK : result;
        } else {
            result = sqlite3_errcode(to);
        }
    }
    if (result != SQLITE_OK) {
        *error = QString::fromUtf8(sqlite3_errstr(result));
        sqlite3_close(from);
        return false;
    }
    sqlite3_close(from);
    // What is now in the file is checked before anything is written to it.
    QString fault = quickCheckFinding(to, &result);
    {
        std::lock_guard lock(m_check->mutex);
        m_check->soundness = fault.isEmpty() ? Soundness::Sound : Soundness::Damaged;
        m_check->fault = fault;
    }
    m_damageReported = false;
    m_walReady = false;
    if (!fault.isEmpty()) {
        *error = QStringLiteral("la copia ripristinata risulta danneggiata (%1)").arg(fault);
        return false;
    }
    return true;
}

ContactStore::Batch::Batch(ContactStore &store)
    : m_store(store)
    , m_active(store.begin())
{
}

ContactStore::Batch::~Batch()
{
    if (m_active)
        m_store.rollback();
}

bool ContactStore::Batch::commit()
{
    if (!m_active)
        return false;
    m_active = false;
    return m_store.commit();
}
