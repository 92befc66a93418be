#include "contacts/ContactStore.h"

#include "contacts/ContactOrder.h"
#include "contacts/SqliteRows.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>

#include <algorithm>

namespace {

const char *const CreateTable = "CREATE TABLE PhoneList ("
                                "ID INTEGER PRIMARY KEY AUTOINCREMENT, "
                                "LastName TEXT, FirstName TEXT, Cellulare TEXT, Azienda TEXT, "
                                "Internet TEXT, www TEXT, Note TEXT, "
                                "WorkAddress TEXT, WorkCity TEXT, WorkProv TEXT, WorkPostalCode TEXT, "
                                "WorkPhone TEXT, WorkFax TEXT, "
                                "HomeAddress TEXT, HomeCity TEXT, HomeProv TEXT, HomePostalCode TEXT, "
                                "HomePhone TEXT, HomeFax TEXT)";

QString nativePath(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

QString errorText(const QSqlError &error)
{
    QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    if (!error.nativeErrorCode().isEmpty())
        text += QStringLiteral(" (codice %1)").arg(error.nativeErrorCode());
    return text;
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

} // namespace

ContactStore::ContactStore(QString path, QString connection)
    : m_path(std::move(path))
    , m_connection(std::move(connection))
{ }

ContactStore::~ContactStore()
{
    // Kept statements belong to the connection: they go before it closes.
    m_insert.reset();
    m_update.reset();
    m_updateChecked.reset();
    m_remove.reset();
    m_read.reset();
    m_readNames.reset();
    m_dataVersion.reset();
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
}

std::unique_ptr<ContactStore> ContactStore::open(const QString &path, QString *error)
{
    const QString shown = nativePath(path);
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

    const QString connection
        = QStringLiteral("rubrello-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    std::unique_ptr<ContactStore> store(new ContactStore(path, connection));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=3000"));
    auto fail = [&](const QString &what) {
        *error = QStringLiteral("Impossibile aprire l'archivio dei contatti \"%1\": %2.").arg(shown, what);
        return nullptr;
    };
    if (!db.open())
        return fail(errorText(db.lastError()));

    // Read the schema before anything is written: a damaged or foreign file must stay as it is.
    QSqlQuery tables(db);
    if (!tables.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'")))
        return fail(errorText(tables.lastError()));
    QStringList tableNames;
    while (tables.next())
        tableNames.append(tables.value(0).toString());
    tables.finish();

    if (tableNames.isEmpty()) {
        if (!store->exec(QString::fromLatin1(CreateTable)))
            return fail(store->lastError());
    } else {
        if (!tableNames.contains(QStringLiteral("PhoneList"), Qt::CaseInsensitive)) {
            *error = QStringLiteral("Il file \"%1\" non contiene la tabella dei contatti PhoneList. "
                                    "Il file non è stato modificato.")
                         .arg(shown);
            return nullptr;
        }
        const QSqlRecord columns = db.record(QStringLiteral("PhoneList"));
        QStringList missing;
        for (const FieldInfo &info : Fields) {
            if (columns.indexOf(QString::fromLatin1(info.name)) < 0)
                missing.append(QString::fromLatin1(info.name));
        }
        if (!missing.isEmpty()) {
            *error = QStringLiteral("Nella tabella PhoneList del file \"%1\" mancano i campi: %2. "
                                    "Il file non è stato modificato.")
                         .arg(shown, missing.join(QStringLiteral(", ")));
            return nullptr;
        }
        // A damaged file can still show its schema: read every page of the table once.
        QSqlQuery check(db);
        if (!check.exec(QStringLiteral("SELECT count(*) FROM PhoneList")) || !check.next())
            return fail(errorText(check.lastError()));
    }

    // WAL with full synchronisation: a committed write survives a power cut and a crash mid-write
    // leaves the last committed state.
    QSqlQuery pragma(db);
    if (!pragma.exec(QStringLiteral("PRAGMA journal_mode=WAL")))
        return fail(errorText(pragma.lastError()));
    pragma.finish();
    if (!pragma.exec(QStringLiteral("PRAGMA synchronous=FULL")))
        return fail(errorText(pragma.lastError()));
    return store;
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
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
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

template<typename Write> bool ContactStore::write(Write &&doWrite)
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

std::vector<ContactStore::IndexEntry> ContactStore::readIndex() const
{
    std::vector<IndexEntry> entries;
    SqliteRows rows(QSqlDatabase::database(m_connection, false), "SELECT ID, LastName, FirstName FROM PhoneList");
    while (rows.next())
        entries.push_back({rows.integer(0), rows.text(1), rows.text(2)});
    if (rows.failed()) {
        m_lastError = rows.error();
        entries.clear();
    }
    return entries;
}

std::optional<ContactRecord> ContactStore::read(qint64 id, bool *ok) const
{
    const bool ran = runCached(m_read, SelectAll + QStringLiteral(" WHERE ID = ?"), {id});
    if (ok)
        *ok = ran;
    if (!ran)
        return std::nullopt;
    QSqlQuery &query = *m_read;
    std::optional<ContactRecord> record;
    if (query.next())
        record = recordFromQuery(query);
    if (query.lastError().isValid()) {
        m_lastError = errorText(query.lastError());
        if (ok)
            *ok = false;
    }
    // Let go of the read lock: the statement stays prepared for the next read.
    query.finish();
    return record;
}

namespace {

// Whether a comes before b in the record source's order. The order is total (the id settles equal
// names), so a sorted list stays exactly what a fresh sort would give when a row is put where this
// says; asking sortByName itself keeps one definition of the order.
bool precedes(const ContactStore::IndexEntry &a, const ContactStore::IndexEntry &b)
{
    std::vector<ContactStore::IndexEntry> pair {a, b};
    sortByName(pair);
    return pair.front().id == a.id;
}

} // namespace

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
        auto rows = m_ordered.use_count() == 1 ? m_ordered : std::make_shared<std::vector<IndexEntry>>(*m_ordered);
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
                entry = IndexEntry {id, fieldValue(m_readNames->value(1)), fieldValue(m_readNames->value(2))};
            good = !m_readNames->lastError().isValid();
            m_readNames->finish();
            if (!good)
                break;
            if (entry)
                rows->insert(std::lower_bound(rows->begin(), rows->end(), *entry, precedes), *entry);
        }
        if (good) {
            m_ordered = std::move(rows);
            m_orderedGeneration = m_generation;
            return m_ordered;
        }
    }

    m_orderedGeneration.reset();
    m_ordered.reset();
    const quint64 generation = m_generation;
    auto rows = std::make_shared<std::vector<IndexEntry>>(readIndex());
    if (rows->empty() && count() != 0) {
        if (ok)
            *ok = false;
        return std::make_shared<std::vector<IndexEntry>>();
    }
    sortByName(*rows);
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

namespace {

QByteArray selectTexts(std::span<const Field> fields)
{
    QByteArray sql = "SELECT ID";
    for (Field field : fields)
        sql += ", " + QByteArray(Fields[fieldIndex(field)].name);
    return sql + " FROM PhoneList";
}

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
    SqliteRows rows(QSqlDatabase::database(m_connection, false), selectTexts(fields).constData());
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
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=3000"));
        if (!db.open()) {
            if (error)
                *error = errorText(db.lastError());
        } else {
            SqliteRows rows(db, selectTexts(fields).constData());
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
    QVariantList values;
    values.reserve(FieldCount - 1);
    for (const FieldInfo &info : Fields) {
        if (info.field != Field::ID)
            values.append(bindable(record.value(info.field)));
    }
    static const QString sql = [] {
        QStringList marks;
        for (int i = 0; i < FieldCount - 1; ++i)
            marks.append(QStringLiteral("?"));
        return QStringLiteral("INSERT INTO PhoneList (") + valueSql({}) + QStringLiteral(") VALUES (")
            + marks.join(QStringLiteral(", ")) + QStringLiteral(")");
    }();
    qint64 id = 0;
    const bool ok = write([&] {
        if (!runCached(m_insert, sql, values))
            return false;
        id = m_insert->lastInsertId().toLongLong();
        m_insert->finish();
        noteChanged(id);
        return true;
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
    QVariantList values {record.id};
    QStringList marks {QStringLiteral("?")};
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
                + QStringLiteral(") VALUES (") + marks.join(QStringLiteral(", ")) + QStringLiteral(")"),
            values);
    });
}

bool ContactStore::update(const ContactRecord &record, const ContactRecord *asRead)
{
    // With the values as they were read, the row is written only if nobody changed it meanwhile.
    static const auto statement = [](bool checked) {
        QStringList assignments;
        QStringList unchanged;
        for (const FieldInfo &info : Fields) {
            if (info.field == Field::ID)
                continue;
            assignments.append(QString::fromLatin1(info.name) + QStringLiteral(" = ?"));
            unchanged.append(QString::fromLatin1(info.name) + QStringLiteral(" IS ?"));
        }
        QString sql = QStringLiteral("UPDATE PhoneList SET ") + assignments.join(QStringLiteral(", "))
            + QStringLiteral(" WHERE ID = ?");
        if (checked)
            sql += QStringLiteral(" AND ") + unchanged.join(QStringLiteral(" AND "));
        return sql;
    };
    static const QString plainSql = statement(false);
    static const QString checkedSql = statement(true);
    QVariantList values;
    values.reserve(2 * FieldCount);
    for (const FieldInfo &info : Fields) {
        if (info.field != Field::ID)
            values.append(bindable(record.value(info.field)));
    }
    values.append(record.id);
    if (asRead) {
        for (const FieldInfo &info : Fields) {
            if (info.field != Field::ID)
                values.append(bindable(asRead->value(info.field)));
        }
    }
    noteChanged(record.id);
    std::unique_ptr<QSqlQuery> &slot = asRead ? m_updateChecked : m_update;
    return write([&] {
        if (!runCached(slot, asRead ? checkedSql : plainSql, values))
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
}

bool ContactStore::remove(qint64 id)
{
    static const QString sql = QStringLiteral("DELETE FROM PhoneList WHERE ID = ?");
    noteChanged(id);
    return write([&] { return runCached(m_remove, sql, {id}); });
}

ContactStore::Batch::Batch(ContactStore &store)
    : m_store(store)
    , m_active(store.begin())
{ }

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
