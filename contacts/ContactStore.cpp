#include "contacts/ContactStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>

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
{
}

ContactStore::~ContactStore()
{
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
        *error = QStringLiteral("Il file \"%1\" non è un archivio di contatti di Rubrello: "
                                "il suo contenuto non è un database riconosciuto. Il file non è stato modificato.")
                     .arg(shown);
        return nullptr;
    case FileKind::Missing:
    case FileKind::Empty:
    case FileKind::SQLite:
        break;
    }

    const QString connection = QStringLiteral("rubrello-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
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

std::vector<ContactStore::IndexEntry> ContactStore::readIndex() const
{
    std::vector<IndexEntry> entries;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.setForwardOnly(true);
    if (!query.prepare(QStringLiteral("SELECT ID, LastName, FirstName FROM PhoneList")) || !query.exec()) {
        m_lastError = errorText(query.lastError());
        return entries;
    }
    while (query.next())
        entries.push_back({query.value(0).toLongLong(), fieldValue(query.value(1)), fieldValue(query.value(2))});
    if (query.lastError().isValid())
        m_lastError = errorText(query.lastError());
    return entries;
}

std::optional<ContactRecord> ContactStore::read(qint64 id) const
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.setForwardOnly(true);
    if (!query.prepare(SelectAll + QStringLiteral(" WHERE ID = ?"))) {
        m_lastError = errorText(query.lastError());
        return std::nullopt;
    }
    query.addBindValue(id);
    if (!query.exec()) {
        m_lastError = errorText(query.lastError());
        return std::nullopt;
    }
    if (!query.next())
        return std::nullopt;
    return recordFromQuery(query);
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
    for (const FieldInfo &info : Fields) {
        if (info.field != Field::ID)
            values.append(bindable(record.value(info.field)));
    }
    QStringList marks;
    for (int i = 0; i < FieldCount - 1; ++i)
        marks.append(QStringLiteral("?"));
    qint64 id = 0;
    const bool ok = write([&] {
        QSqlQuery query(QSqlDatabase::database(m_connection, false));
        if (!query.prepare(QStringLiteral("INSERT INTO PhoneList (") + valueSql({}) + QStringLiteral(") VALUES (")
                           + marks.join(QStringLiteral(", ")) + QStringLiteral(")"))) {
            m_lastError = errorText(query.lastError());
            return false;
        }
        for (const QVariant &value : values)
            query.addBindValue(value);
        if (!query.exec()) {
            m_lastError = errorText(query.lastError());
            return false;
        }
        id = query.lastInsertId().toLongLong();
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
    return write([&] {
        return exec(QStringLiteral("INSERT INTO PhoneList (ID, ") + valueSql({}) + QStringLiteral(") VALUES (")
                        + marks.join(QStringLiteral(", ")) + QStringLiteral(")"),
                    values);
    });
}

bool ContactStore::update(const ContactRecord &record)
{
    QStringList assignments;
    QVariantList values;
    for (const FieldInfo &info : Fields) {
        if (info.field == Field::ID)
            continue;
        assignments.append(QString::fromLatin1(info.name) + QStringLiteral(" = ?"));
        values.append(bindable(record.value(info.field)));
    }
    values.append(record.id);
    return write([&] {
        if (!exec(QStringLiteral("UPDATE PhoneList SET ") + assignments.join(QStringLiteral(", "))
                      + QStringLiteral(" WHERE ID = ?"),
                  values))
            return false;
        return true;
    });
}

bool ContactStore::remove(qint64 id)
{
    return write([&] { return exec(QStringLiteral("DELETE FROM PhoneList WHERE ID = ?"), {id}); });
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
