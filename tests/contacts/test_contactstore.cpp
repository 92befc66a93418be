// The store file: created when missing, refused untouched when it is not a usable contact store or
// is damaged, never rolled forward with another file's log, saving what other programs wrote; and
// the record source's order.
#include "contacts/ContactOrder.h"
#include "contacts/Recordset.h"
#include "tests/support/TestStore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QtEndian>

#include <sqlite3.h>

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Another program on the file, through the sqlite3 library itself.
class OtherProgram
{
public:
    explicit OtherProgram(const QString &path)
    {
        sqlite3_open_v2(
            path.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        // A crash is played by leaving the files behind, not by a power cut: no need to wait for the disk.
        sqlite3_exec(m_db, "PRAGMA synchronous=OFF", nullptr, nullptr, nullptr);
    }
    ~OtherProgram() { sqlite3_close(m_db); }

    bool run(const QStringList &statements)
    {
        for (const QString &sql : statements) {
            if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK) {
                qWarning("%s: %s", qPrintable(sql), sqlite3_errmsg(m_db));
                return false;
            }
        }
        return true;
    }
    // Puts the bytes into the field, as a BLOB or as text taken byte for byte.
    bool setBytes(qint64 id, Field field, const QByteArray &bytes, bool asText)
    {
        const QByteArray sql
            = "UPDATE PhoneList SET " + QByteArray(Fields[fieldIndex(field)].name) + " = ? WHERE ID = ?";
        sqlite3_stmt *statement = nullptr;
        sqlite3_prepare_v2(m_db, sql.constData(), -1, &statement, nullptr);
        if (asText)
            sqlite3_bind_text(statement, 1, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
        else
            sqlite3_bind_blob(statement, 1, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int64(statement, 2, id);
        const bool done = sqlite3_step(statement) == SQLITE_DONE;
        sqlite3_finalize(statement);
        return done;
    }
    // The field's type and bytes as the file holds them.
    std::pair<QByteArray, QByteArray> stored(qint64 id, Field field)
    {
        const QByteArray name = Fields[fieldIndex(field)].name;
        const QByteArray sql
            = "SELECT typeof(" + name + "), CAST(" + name + " AS BLOB) FROM PhoneList WHERE ID = ?";
        sqlite3_stmt *statement = nullptr;
        sqlite3_prepare_v2(m_db, sql.constData(), -1, &statement, nullptr);
        sqlite3_bind_int64(statement, 1, id);
        std::pair<QByteArray, QByteArray> value;
        if (sqlite3_step(statement) == SQLITE_ROW)
            value = {reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)),
                QByteArray(static_cast<const char *>(sqlite3_column_blob(statement, 1)),
                    sqlite3_column_bytes(statement, 1))};
        sqlite3_finalize(statement);
        return value;
    }
    int rootPage()
    {
        sqlite3_stmt *statement = nullptr;
        sqlite3_prepare_v2(
            m_db, "SELECT rootpage FROM sqlite_master WHERE name = 'PhoneList'", -1, &statement, nullptr);
        const int page = sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int(statement, 0) : 0;
        sqlite3_finalize(statement);
        return page;
    }
    // Goes away as a crash would: the log stays as it is, not folded into the file.
    void crash()
    {
        sqlite3_db_config(m_db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        sqlite3_close(m_db);
        m_db = nullptr;
    }

private:
    sqlite3 *m_db = nullptr;
};

QString phoneListSql()
{
    QStringList columns {QStringLiteral("ID INTEGER PRIMARY KEY AUTOINCREMENT")};
    for (const FieldInfo &info : Fields) {
        if (info.field != Field::ID)
            columns.append(QString::fromLatin1(info.name) + QStringLiteral(" TEXT"));
    }
    return QStringLiteral("CREATE TABLE PhoneList (") + columns.join(QStringLiteral(", ")) + u')';
}

// One statement, so one transaction, per contact: "<prefix> <n>", with a note that fills the pages.
QStringList contacts(const QString &prefix, int first, int last)
{
    QStringList statements;
    for (int i = first; i <= last; ++i)
        statements.append(
            QStringLiteral("INSERT INTO PhoneList (LastName, FirstName, Note) VALUES ('%1 %2', 'Anna', '%3')")
                .arg(prefix)
                .arg(i)
                .arg(QString(300, u'n')));
    return statements;
}

QStringList lastNames(const QString &prefix, int first, int last)
{
    QStringList names;
    for (int i = first; i <= last; ++i)
        names.append(prefix + u' ' + QString::number(i));
    return names;
}

QStringList storedLastNames(const ContactStore &store)
{
    QStringList names;
    for (const ContactRecord &record : store.readAll())
        names.append(record.text(Field::LastName));
    names.sort();
    return names;
}

// Overwrites bytes in the middle of the records of the table's first leaf page.
bool damageTableLeaf(const QString &path, int rootPage)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    const QByteArray bytes = file.readAll();
    const int pageSize = qFromBigEndian<quint16>(bytes.constData() + 16);
    const char *root = bytes.constData() + qsizetype(rootPage - 1) * pageSize;
    if (root[0] != 0x05)
        return false; // the table fits in one page: there is no leaf to pick
    const quint16 firstCell = qFromBigEndian<quint16>(root + 12);
    const quint32 leaf = qFromBigEndian<quint32>(root + firstCell);
    const qint64 start = qint64(leaf - 1) * pageSize;
    const quint16 records = qFromBigEndian<quint16>(bytes.constData() + start + 5);
    file.seek(start + (records + pageSize) / 2);
    return file.write(QByteArray(64, '\xff')) == 64;
}

QStringList names(const Recordset &recordset)
{
    QStringList list;
    for (const ContactStore::IndexEntry &row : recordset.rows())
        list.append(row.lastName.value_or(QStringLiteral("<null>")) + QLatin1Char(' ')
                    + row.firstName.value_or(QStringLiteral("<null>")));
    return list;
}

} // namespace

class TestContactStore : public QObject
{
    Q_OBJECT
private slots:
    void missingFileIsCreatedAndReopened();
    void emptyFileGetsTheTable();
    void unusableFileIsRefusedUntouched_data();
    void unusableFileIsRefusedUntouched();
    void lockedStoreIsRefused();
    void logLeftByACrash_data();
    void logLeftByACrash();
    void damagedStoreIsNeverWritten();
    void nullAndEmptyTextSurvive();
    void otherProgramsBytesSurviveASave_data();
    void otherProgramsBytesSurviveASave();
    void orderIgnoresCaseAndAccents();
    void findFirstTakesAnyName();
};

void TestContactStore::missingFileIsCreatedAndReopened()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Rubrello.MDB"));
    QString error;
    {
        std::unique_ptr<ContactStore> store = ContactStore::open(path, &error);
        QVERIFY2(store, qPrintable(error));
        QCOMPARE(store->count(), 0);
        QVERIFY(store->insert(makeRecord({{Field::LastName, QStringLiteral("Rossi")},
                                          {Field::Note, QStringLiteral("riga uno\r\nriga due")}})));
    }
    std::unique_ptr<ContactStore> again = ContactStore::open(path, &error);
    QVERIFY2(again, qPrintable(error));
    const std::vector<ContactRecord> records = again->readAll();
    QCOMPARE(records.size(), size_t(1));
    QCOMPARE(records[0].text(Field::Note), QStringLiteral("riga uno\r\nriga due"));
    QVERIFY(records[0].isNull(Field::FirstName));
}

void TestContactStore::emptyFileGetsTheTable()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Rubrello.MDB"));
    writeFile(path, {});
    QString error;
    std::unique_ptr<ContactStore> store = ContactStore::open(path, &error);
    QVERIFY2(store, qPrintable(error));
    QVERIFY(store->insert(makeRecord({{Field::LastName, QStringLiteral("Bianchi")}})));
}

void TestContactStore::unusableFileIsRefusedUntouched_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("sql");
    QTest::addColumn<QString>("reason");

    QTest::newRow("text file") << QByteArray("Rossi Mario 051 123456\r\n") << QStringList() << "non è un archivio";
    QByteArray jet(2048, '\0');
    jet.replace(4, 15, "Standard Jet DB");
    QTest::newRow("Jet database") << jet << QStringList() << "Access";
    QByteArray damaged("SQLite format 3");
    damaged.append('\0');
    damaged.append(QByteArray(4096, '\x5a'));
    QTest::newRow("damaged database") << damaged << QStringList() << "Impossibile aprire";
    QTest::newRow("no PhoneList") << QByteArray()
                                  << QStringList{QStringLiteral("CREATE TABLE Altro (x TEXT)")} << "PhoneList";
    QTest::newRow("missing fields") << QByteArray()
                                    << QStringList{QStringLiteral("CREATE TABLE PhoneList (ID INTEGER, LastName TEXT)")}
                                    << "mancano i campi: FirstName";
}

void TestContactStore::unusableFileIsRefusedUntouched()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, sql);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Rubrello.MDB"));
    if (sql.isEmpty())
        writeFile(path, content);
    else
        runSqlElsewhere(path, sql);
    const QByteArray before = fileBytes(path);

    QString error;
    QVERIFY(!ContactStore::open(path, &error));
    QVERIFY2(error.contains(reason), qPrintable(error));
    QVERIFY2(error.contains(QStringLiteral("Rubrello.MDB")), qPrintable(error));
    QCOMPARE(fileBytes(path), before);
    QVERIFY(!QFile::exists(path + QStringLiteral("-wal")));
}

void TestContactStore::lockedStoreIsRefused()
{
    TestStore existing;
    const QString path = existing.path();
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("locker"));
    db.setDatabaseName(path);
    QVERIFY(db.open());
    {
        QSqlQuery lock(db);
        QVERIFY(lock.exec(QStringLiteral("PRAGMA locking_mode=EXCLUSIVE")));
        QVERIFY(lock.exec(QStringLiteral("BEGIN EXCLUSIVE")));
        QString error;
        QVERIFY(!ContactStore::open(path, &error));
        QVERIFY2(error.contains(QStringLiteral("Impossibile aprire")), qPrintable(error));
        lock.exec(QStringLiteral("ROLLBACK"));
    }
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("locker"));
}

enum class Checkpoint { None, Whole, InPart };

void TestContactStore::logLeftByACrash_data()
{
    QTest::addColumn<Checkpoint>("checkpoint");
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("own");
    QTest::newRow("own log, nothing copied yet") << Checkpoint::None << QString() << true;
    QTest::newRow("own log, copied whole just before the crash") << Checkpoint::Whole << QString() << true;
    QTest::newRow("own log, copied in part while another program read")
        << Checkpoint::InPart << QString() << true;
    QTest::newRow("own log without its index") << Checkpoint::None << QStringLiteral("index lost") << true;
    QTest::newRow("another store copied over it") << Checkpoint::None << QStringLiteral("other") << false;
    QTest::newRow("an older copy restored by hand, its date kept")
        << Checkpoint::None << QStringLiteral("backup") << false;
    QTest::newRow("another store with larger pages, log touched after")
        << Checkpoint::None << QStringLiteral("pages") << false;
    QTest::newRow("another store in the older journal, log touched after")
        << Checkpoint::None << QStringLiteral("journal") << false;
    QTest::newRow("another store further along, log touched after")
        << Checkpoint::None << QStringLiteral("history") << false;
}

// A crash leaves the store's log beside it. Its own store takes it back whole; a file put in the
// store's place afterwards is opened as it is, and the log is kept aside unchanged.
void TestContactStore::logLeftByACrash()
{
    QFETCH(Checkpoint, checkpoint);
    QFETCH(QString, change);
    QFETCH(bool, own);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Rubrello.MDB"));
    const QString backup = dir.filePath(QStringLiteral("copia.MDB"));
    {
        OtherProgram first(path);
        QVERIFY(first.run(QStringList {QStringLiteral("PRAGMA journal_mode=WAL"), phoneListSql()}
            + contacts(QStringLiteral("Prima"), 1, 50)));
    }
    QVERIFY(QFile::copy(path, backup));
    int after = 20;
    {
        OtherProgram writer(path);
        QVERIFY(writer.run(QStringList {QStringLiteral("PRAGMA wal_autocheckpoint=0")}
            + contacts(QStringLiteral("Dopo"), 1, 20)));
        if (checkpoint == Checkpoint::InPart) {
            // The reader holds the checkpoint back to what it sees; writing goes on after it.
            OtherProgram reader(path);
            QVERIFY(reader.run({QStringLiteral("BEGIN"), QStringLiteral("SELECT count(*) FROM PhoneList")}));
            QVERIFY(writer.run(contacts(QStringLiteral("Dopo"), 21, 40)
                + QStringList {QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)")}));
            QVERIFY(reader.run({QStringLiteral("COMMIT")}));
            QVERIFY(writer.run(contacts(QStringLiteral("Dopo"), 41, 45)));
            after = 45;
        } else if (checkpoint == Checkpoint::Whole) {
            QVERIFY(writer.run({QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)")}));
        }
        writer.crash();
    }
    const QByteArray log = fileBytes(path + QStringLiteral("-wal"));
    QVERIFY(!log.isEmpty());

    QStringList expected
        = lastNames(QStringLiteral("Prima"), 1, 50) + lastNames(QStringLiteral("Dopo"), 1, after);
    if (change == QLatin1String("index lost")) {
        QVERIFY(QFile::remove(path + QStringLiteral("-shm")));
    } else if (!own) {
        QString source = backup;
        expected = lastNames(QStringLiteral("Prima"), 1, 50);
        if (change != QLatin1String("backup")) {
            source = dir.filePath(QStringLiteral("altro.MDB"));
            QStringList setup {QStringLiteral("PRAGMA journal_mode=WAL")};
            if (change == QLatin1String("pages"))
                setup.prepend(QStringLiteral("PRAGMA page_size=8192"));
            else if (change != QLatin1String("other"))
                setup.clear();
            OtherProgram other(source);
            QVERIFY(
                other.run(setup + QStringList {phoneListSql()} + contacts(QStringLiteral("Altro"), 1, 30)));
            if (change == QLatin1String("history"))
                QVERIFY(other.run({QStringLiteral("PRAGMA journal_mode=WAL")}));
            expected = lastNames(QStringLiteral("Altro"), 1, 30);
        }
        const QDateTime sourceDate = QFileInfo(source).lastModified();
        QVERIFY(QFile::remove(path));
        QVERIFY(QFile::copy(source, path));
        QFile file(path);
        if (change == QLatin1String("backup"))
            QVERIFY(file.open(QIODevice::ReadWrite)
                && file.setFileTime(sourceDate, QFileDevice::FileModificationTime));
        // The file came a minute after the crash; or the log was touched after it, and only what the
        // files hold can tell.
        const bool touched = change != QLatin1String("backup") && change != QLatin1String("other");
        QFile logFile(path + QStringLiteral("-wal"));
        QVERIFY(logFile.open(QIODevice::ReadWrite)
            && logFile.setFileTime(QDateTime::currentDateTime().addSecs(touched ? 3600 : -60),
                QFileDevice::FileModificationTime));
    }

    QString error;
    const auto store = ContactStore::open(path, &error);
    QVERIFY2(store, qPrintable(error));
    const QStringList kept = QDir(dir.path()).entryList({QStringLiteral("Rubrello.MDB-wal.non-applicato-*")});
    if (own) {
        QVERIFY2(store->notices().isEmpty(), qPrintable(store->notices().join(u'\n')));
        QVERIFY(kept.isEmpty());
    } else {
        QCOMPARE(kept.size(), 1);
        QCOMPARE(fileBytes(dir.filePath(kept.first())), log);
        QCOMPARE(store->notices().size(), 1);
        QVERIFY2(store->notices().first().contains(kept.first()), qPrintable(store->notices().first()));
    }
    expected.sort();
    QCOMPARE(storedLastNames(*store), expected);
}

// Damage inside a record page passes a read of the table's tree; the check of every page finds it,
// and neither the file nor its log is written from then on.
void TestContactStore::damagedStoreIsNeverWritten()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Rubrello.MDB"));
    int rootPage = 0;
    {
        OtherProgram other(path);
        QVERIFY(other.run(QStringList {QStringLiteral("PRAGMA journal_mode=WAL"), phoneListSql()}
            + contacts(QStringLiteral("Prima"), 1, 300)));
        rootPage = other.rootPage();
    }
    QVERIFY(damageTableLeaf(path, rootPage));
    {
        OtherProgram other(path);
        QVERIFY(other.run(contacts(QStringLiteral("Dopo"), 1, 3)));
        other.crash();
    }
    const QByteArray file = fileBytes(path);
    const QByteArray log = fileBytes(path + QStringLiteral("-wal"));

    QString message;
    {
        QString error;
        const auto store = ContactStore::open(path, &error);
        QVERIFY2(store, qPrintable(error));
        store->setDamageHandler([&](const QString &text) { message = text; });
        QVERIFY(!store->insert(makeRecord({{Field::LastName, QStringLiteral("Nuovo")}})));
        QVERIFY2(store->lastError().contains(QStringLiteral("danneggiato")), qPrintable(store->lastError()));
        QTRY_VERIFY(!message.isEmpty());
    }
    QVERIFY2(message.contains(QStringLiteral("Rubrello.MDB"))
            && message.contains(QStringLiteral("è danneggiato"))
            && message.contains(QStringLiteral("non verrà scritto nulla")),
        qPrintable(message));
    QCOMPARE(fileBytes(path), file);
    QCOMPARE(fileBytes(path + QStringLiteral("-wal")), log);
}

void TestContactStore::nullAndEmptyTextSurvive()
{
    TestStore test;
    ContactRecord record = makeRecord({{Field::LastName, QStringLiteral("Verdi")}, {Field::WorkPhone, QString("")}});
    const qint64 id = test.add(record);
    const std::optional<ContactRecord> read = test.store().read(id);
    QVERIFY(read);
    QVERIFY(!read->isNull(Field::WorkPhone));
    QVERIFY(read->text(Field::WorkPhone).isEmpty());
    QVERIFY(read->isNull(Field::WorkFax));
}

void TestContactStore::otherProgramsBytesSurviveASave_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("asText");
    QTest::newRow("BLOB in the notes") << QByteArray("\x00\xff\x10 nota", 8) << false;
    QTest::newRow("notes that are not UTF-8") << QByteArray("Caff\xe8 \xc3( \xff") << true;
}

// Other programs leave bytes that do not read back as the same text. A save of other fields goes
// through and keeps them; a change another program makes to them is still seen.
void TestContactStore::otherProgramsBytesSurviveASave()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, asText);
    TestStore test;
    const qint64 id
        = test.add(QStringLiteral("Rossi"), QStringLiteral("Anna"), {{Field::Note, QStringLiteral("nota")}});
    OtherProgram other(test.path());
    QVERIFY(other.setBytes(id, Field::Note, bytes, asText));
    Recordset recordset(test.store());
    QVERIFY(recordset.requery());
    for (const QString &phone : {QStringLiteral("06 111"), QStringLiteral("06 222")}) {
        ContactRecord shown = recordset.current();
        QVERIFY(recordset.edit());
        shown.setValue(Field::WorkPhone, phone);
        QVERIFY2(recordset.update(shown), qPrintable(recordset.lastError()));
    }
    QCOMPARE(other.stored(id, Field::Note), std::make_pair(QByteArray(asText ? "text" : "blob"), bytes));
    QCOMPARE(other.stored(id, Field::WorkPhone).second, QByteArray("06 222"));

    QVERIFY(other.setBytes(id, Field::Note, bytes + '!', asText));
    ContactRecord shown = recordset.current();
    QVERIFY(recordset.edit());
    shown.setValue(Field::HomePhone, QStringLiteral("06 333"));
    QVERIFY(!recordset.update(shown));
    QVERIFY2(recordset.lastError().contains(QStringLiteral("modificato da un altro programma")),
        qPrintable(recordset.lastError()));
}

void TestContactStore::orderIgnoresCaseAndAccents()
{
    TestStore test;
    test.add(QStringLiteral("rossi"), QStringLiteral("Zeno"));
    test.add(QStringLiteral("Rossi"), QStringLiteral("anna"));
    test.add(QStringLiteral("ROSSI"), QStringLiteral("Mario"));
    test.add(QStringLiteral("Esposito"), QStringLiteral("Gino"));
    test.add(QStringLiteral("Èrcole"), QStringLiteral("Ugo"));
    test.add(QStringLiteral("Eolo"), QStringLiteral("Ada"));
    test.add(QStringLiteral("Nicolò"), QStringLiteral("Pia"));
    test.add(QStringLiteral("Nicola"), QStringLiteral("Pia"));
    test.add(QStringLiteral("Nicolz"), QStringLiteral("Pia"));
    test.add(makeRecord({{Field::FirstName, QStringLiteral("Senza cognome")}}));
    Recordset recordset(test.store());
    QVERIFY(recordset.requery());
    QCOMPARE(names(recordset), (QStringList{"<null> Senza cognome", "Eolo Ada", "Èrcole Ugo", "Esposito Gino",
                                            "Nicola Pia", "Nicolò Pia", "Nicolz Pia", "Rossi anna",
                                            "ROSSI Mario", "rossi Zeno"}));
}

void TestContactStore::findFirstTakesAnyName()
{
    TestStore test;
    const QString hostile = QStringLiteral("O'Brien'; DROP TABLE PhoneList; --");
    test.add(QStringLiteral("D'Angelo"), QStringLiteral("Nicolò"));
    const qint64 id = test.add(hostile, QStringLiteral("x' OR '1'='1"));
    test.add(QStringLiteral("Zanna"), QStringLiteral("Ugo"));
    Recordset recordset(test.store());
    QVERIFY(recordset.requery());
    QVERIFY(recordset.findFirst(ByName{hostile, QStringLiteral("x' OR '1'='1")}));
    QCOMPARE(recordset.currentId(), id);
    QVERIFY(recordset.findFirst(ByName{QStringLiteral("D'Angelo"), QStringLiteral("Nicolò")}));
    QVERIFY(!recordset.findFirst(ByName{QStringLiteral("d'angelo"), QStringLiteral("Nicolò")}));
    QCOMPARE(recordset.current().text(Field::LastName), QStringLiteral("D'Angelo"));
    QCOMPARE(test.store().count(), 3);
}

QTEST_GUILESS_MAIN(TestContactStore)
#include "test_contactstore.moc"
