// The store file: created when missing, refused untouched when it is not a usable contact store,
// and the record source's order.
#include "contacts/ContactOrder.h"
#include "contacts/Recordset.h"
#include "tests/support/TestStore.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

namespace {

QByteArray fileHash(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
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
    void nullAndEmptyTextSurvive();
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
    const QByteArray before = fileHash(path);

    QString error;
    QVERIFY(!ContactStore::open(path, &error));
    QVERIFY2(error.contains(reason), qPrintable(error));
    QVERIFY2(error.contains(QStringLiteral("Rubrello.MDB")), qPrintable(error));
    QCOMPARE(fileHash(path), before);
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
