#include "import/FirstVersionImport.h"
#include "tests/import/FailingDevice.h"
#include "tests/reliability/SystemFaults.h"
#include "tests/support/TestStore.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

#include <sys/stat.h>

Q_DECLARE_METATYPE(ImportOutcome::Failure)

namespace {

QByteArray fixedLine(const QByteArray &namePart, const QByteArray &phonePart = {})
{
    return namePart.leftJustified(54, ' ') + phonePart;
}

QString writeFile(const QString &dir, const QByteArray &bytes)
{
    const QString path = QDir(dir).filePath(QStringLiteral("NUMBO.TXT"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write the test file");
    return path;
}

std::vector<ContactRecord> recordsById(const ContactStore &store)
{
    std::vector<ContactRecord> records = store.readAll();
    std::sort(records.begin(), records.end(), [](const auto &a, const auto &b) { return a.id < b.id; });
    return records;
}

// What another connection sees: only committed rows.
qint64 committedCount(const QString &path)
{
    QString error;
    const std::unique_ptr<ContactStore> other = ContactStore::open(path, &error);
    return other ? other->count() : -1;
}

// The database itself refuses a contact with this last name.
void refuseLastName(const QString &path, const QString &lastName)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("trigger"));
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY(query.exec(
            QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON PhoneList WHEN NEW.LastName = '%1' "
                           "BEGIN SELECT RAISE(ABORT, 'contatto rifiutato'); END")
                .arg(lastName)));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("trigger"));
}

QByteArray numberedLines(int count)
{
    QByteArray bytes;
    for (int i = 1; i <= count; ++i)
        bytes += fixedLine("Rossi Mario" + QByteArray(i % 26, 'a'), QByteArray::number(i)) + "\r\n";
    return bytes;
}

} // namespace

class TestFirstVersionImport : public QObject
{
    Q_OBJECT
private slots:
    void importsNamedLines();
    void cannotOpen_data();
    void cannotOpen();
    void emptyFileAddsNothing();
    void onlyTextFilesAreRead_data();
    void onlyTextFilesAreRead();
    void fullDiskImportsNothingAndSaysSo();
    void refusalKeepsRowsBefore();
    void readFailureKeepsRowsBefore();
    void preparationRunsOnceBeforeFirstRecord_data();
    void preparationRunsOnceBeforeFirstRecord();
    void preparationCanStop();
    void failureMessage_data();
    void failureMessage();
    void summaryMessage_data();
    void summaryMessage();
};

void TestFirstVersionImport::importsNamedLines()
{
    TestStore test;
    const QByteArray bytes = fixedLine("Rossi Mario Via Roma 1", "051 123456") + "\r\n" + "\r\n" // blank line
        + fixedLine("", "02 999") + "\r\n" // no name, only a phone
        + fixedLine("Nicol\xF2 Bianca") + "\r\n" // Windows-1252
        + "D'Angelo  Rosa  Via dell'Orto 2"; // short line, no line end
    const ImportOutcome outcome = importFirstVersionFile(writeFile(test.directory(), bytes), test.store());
    QVERIFY(outcome.ok());
    QCOMPARE(outcome.added, 3);

    const std::vector<ContactRecord> records = recordsById(test.store());
    QCOMPARE(records.size(), size_t(3));
    ContactRecord first;
    first.id = records[0].id;
    first.setValue(Field::LastName, QStringLiteral("Rossi"));
    first.setValue(Field::FirstName, QStringLiteral("Mario"));
    first.setValue(Field::WorkAddress, QStringLiteral("Via Roma 1"));
    first.setValue(Field::WorkPhone, QStringLiteral("051 123456"));
    QCOMPARE(records[0], first); // every other field Null

    QCOMPARE(records[1].value(Field::LastName), FieldValue(QString::fromUtf8("Nicolò")));
    QCOMPARE(records[1].value(Field::FirstName), FieldValue(QStringLiteral("Bianca")));
    // Empty, not Null: the line had no address and no phone.
    QCOMPARE(records[1].value(Field::WorkAddress), FieldValue(QString()));
    QCOMPARE(records[1].value(Field::WorkPhone), FieldValue(QString()));

    QCOMPARE(records[2].value(Field::LastName), FieldValue(QStringLiteral("D'Angelo")));
    QCOMPARE(records[2].value(Field::WorkAddress), FieldValue(QStringLiteral("Via dell'Orto 2")));
    QCOMPARE(committedCount(test.path()), 3);
}

void TestFirstVersionImport::cannotOpen_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("missing file") << "NUMBO.TXT";
    QTest::newRow("Windows path") << "C:\\NUMBO\\NUMBO.TXT";
}

void TestFirstVersionImport::cannotOpen()
{
    QFETCH(QString, name);
    TestStore test;
    bool prepared = false;
    const ImportOutcome outcome
        = importFirstVersionFile(QDir(test.directory()).filePath(name), test.store(), [&] {
              prepared = true;
              return true;
          });
    QCOMPARE(outcome.failure, ImportOutcome::Failure::Open);
    QCOMPARE(outcome.added, 0);
    QVERIFY(!prepared);
    QCOMPARE(test.store().count(), 0);
}

void TestFirstVersionImport::onlyTextFilesAreRead_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reasonPart");
    // Each of these once froze the window, filled the memory or added thousands of junk contacts.
    QTest::newRow("a pipe nobody writes") << "fifo" << "non è un file normale";
    QTest::newRow("a link to /dev/zero") << "zero" << "non è un file normale";
    QTest::newRow("a folder") << "folder" << "non è un file normale";
    QTest::newRow("a program") << "program" << "non contiene testo";
    QTest::newRow("random bytes") << "random" << "non contiene testo";
}

void TestFirstVersionImport::onlyTextFilesAreRead()
{
    QFETCH(QString, kind);
    QFETCH(QString, reasonPart);
    TestStore test;
    const QString path = QDir(test.directory()).filePath(QStringLiteral("NUMBO.TXT"));
    if (kind == "fifo") {
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (kind == "zero") {
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
    } else if (kind == "folder") {
        QVERIFY(QDir(test.directory()).mkdir(QStringLiteral("NUMBO.TXT")));
    } else if (kind == "program") {
        QVERIFY(QFile::copy(QStringLiteral("/bin/true"), path));
    } else {
        QByteArray bytes;
        for (int i = 0; i < 64 * 1024; ++i)
            bytes.append(char(QRandomGenerator::global()->bounded(256)));
        writeFile(test.directory(), bytes);
    }
    const ImportOutcome outcome = importFirstVersionFile(path, test.store());
    QCOMPARE(outcome.failure, ImportOutcome::Failure::Refused);
    QVERIFY2(outcome.reason.contains(reasonPart), qPrintable(outcome.reason));
    QVERIFY(importFailureMessage(outcome).contains(QStringLiteral("Nessun contatto è stato importato.")));
    QCOMPARE(test.store().count(), 0);
}

void TestFirstVersionImport::fullDiskImportsNothingAndSaysSo()
{
    ScratchMount disk(QStringLiteral("1m"));
    if (!disk.mounted())
        QSKIP("a small file system of our own needs root");
    QString error;
    std::unique_ptr<ContactStore> store = ContactStore::open(disk.filePath(QStringLiteral("Rubrello.MDB")), &error);
    QVERIFY2(store, qPrintable(error));
    QTemporaryDir source;
    QByteArray bytes;
    for (int i = 0; i < 30000; ++i)
        bytes += fixedLine("Rossi Mario Via della Repubblica " + QByteArray::number(i), "051 123456") + "\r\n";
    const ImportOutcome outcome = importFirstVersionFile(writeFile(source.path(), bytes), *store);
    QCOMPARE(outcome.failure, ImportOutcome::Failure::Write);
    QCOMPARE(outcome.added, 0);
    QVERIFY2(outcome.reason.contains(QStringLiteral("il disco è pieno")), qPrintable(outcome.reason));
    QVERIFY(importFailureMessage(outcome).contains(QStringLiteral("Nessun contatto è stato importato.")));
    QCOMPARE(store->count(), 0);
}

void TestFirstVersionImport::emptyFileAddsNothing()
{
    TestStore test;
    bool prepared = false;
    const ImportOutcome outcome = importFirstVersionFile(writeFile(test.directory(), {}), test.store(), [&] {
        prepared = true;
        return true;
    });
    QVERIFY(outcome.ok());
    QCOMPARE(outcome.added, 0);
    QVERIFY(!prepared);
    QCOMPARE(test.store().count(), 0);
}

void TestFirstVersionImport::refusalKeepsRowsBefore()
{
    TestStore test;
    refuseLastName(test.path(), QStringLiteral("Rifiutato"));
    QByteArray bytes = numberedLines(499);
    bytes += fixedLine("Rifiutato Carlo") + "\r\n" + numberedLines(100);

    const ImportOutcome outcome = importFirstVersionFile(writeFile(test.directory(), bytes), test.store());
    QCOMPARE(outcome.failure, ImportOutcome::Failure::Write);
    QCOMPARE(outcome.line, 500);
    QCOMPARE(outcome.added, 499);
    QVERIFY2(outcome.reason.contains("contatto rifiutato"), qPrintable(outcome.reason));
    QCOMPARE(committedCount(test.path()), 499);
    // Nothing after the refused line was written.
    const std::vector<ContactRecord> records = recordsById(test.store());
    QCOMPARE(records.back().value(Field::WorkPhone), FieldValue(QStringLiteral("499")));
}

void TestFirstVersionImport::readFailureKeepsRowsBefore()
{
    TestStore test;
    const QByteArray bytes = numberedLines(300);
    const qsizetype failAt = bytes.indexOf(fixedLine("Rossi Mario" + QByteArray(201 % 26, 'a'), "201"));
    FailingDevice device(bytes, failAt + 10, 2);
    QVERIFY(device.open(QIODevice::ReadOnly));

    const ImportOutcome outcome = importFirstVersionText(device, test.store());
    QCOMPARE(outcome.failure, ImportOutcome::Failure::Read);
    QCOMPARE(outcome.line, 201);
    QCOMPARE(outcome.added, 200);
    QCOMPARE(committedCount(test.path()), 200);
}

void TestFirstVersionImport::preparationRunsOnceBeforeFirstRecord_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("preparations");

    QTest::newRow("named lines") << numberedLines(3) << 1;
    QTest::newRow("no named line") << QByteArray("\r\n" + fixedLine("123", "051") + "\r\n") << 0;
}

void TestFirstVersionImport::preparationRunsOnceBeforeFirstRecord()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, preparations);
    TestStore test;
    int prepared = 0;
    qint64 countWhenPrepared = -1;
    const ImportOutcome outcome
        = importFirstVersionFile(writeFile(test.directory(), bytes), test.store(), [&] {
              ++prepared;
              countWhenPrepared = test.store().count();
              return true;
          });
    QVERIFY(outcome.ok());
    QCOMPARE(prepared, preparations);
    if (prepared)
        QCOMPARE(countWhenPrepared, 0);
}

void TestFirstVersionImport::preparationCanStop()
{
    TestStore test;
    const ImportOutcome outcome = importFirstVersionFile(
        writeFile(test.directory(), numberedLines(3)), test.store(), [] { return false; });
    QCOMPARE(outcome.failure, ImportOutcome::Failure::Stopped);
    QCOMPARE(outcome.added, 0);
    QCOMPARE(test.store().count(), 0);
}

void TestFirstVersionImport::failureMessage_data()
{
    QTest::addColumn<ImportOutcome::Failure>("failure");
    QTest::addColumn<int>("added");
    QTest::addColumn<QStringList>("expectedParts");

    const QString fixed = QStringLiteral("File non trovato o errore di accesso!");
    QTest::newRow("cannot open") << ImportOutcome::Failure::Open << 0 << QStringList {fixed};
    QTest::newRow("refused, rows kept")
        << ImportOutcome::Failure::Write << 499
        << QStringList {fixed, "riga 500", "contatto rifiutato", "I 499 contatti"};
    QTest::newRow("refused, one row kept")
        << ImportOutcome::Failure::Write << 1 << QStringList {fixed, "Il contatto letto"};
    QTest::newRow("read failure, nothing kept")
        << ImportOutcome::Failure::Read << 0 << QStringList {fixed, "riga 500", "contatto rifiutato"};
}

void TestFirstVersionImport::failureMessage()
{
    QFETCH(ImportOutcome::Failure, failure);
    QFETCH(int, added);
    QFETCH(QStringList, expectedParts);
    ImportOutcome outcome;
    outcome.failure = failure;
    outcome.added = added;
    outcome.line = 500;
    outcome.reason = QStringLiteral("contatto rifiutato");
    const QString message = importFailureMessage(outcome);
    QVERIFY(message.startsWith(expectedParts.first()));
    if (expectedParts.size() == 1)
        QCOMPARE(message, expectedParts.first());
    for (const QString &part : expectedParts)
        QVERIFY2(message.contains(part), qPrintable(message));
    if (added == 0)
        QVERIFY(!message.contains(QStringLiteral("aggiunt")));
}

void TestFirstVersionImport::summaryMessage_data()
{
    QTest::addColumn<int>("added");
    QTest::addColumn<QString>("expected");

    QTest::newRow("none") << 0 << "Nessun contatto importato: il file non contiene nomi.";
    QTest::newRow("one, in the singular") << 1 << "Importato 1 contatto.";
    QTest::newRow("thousands grouped the Italian way") << 2000 << "Importati 2.000 contatti.";
}

void TestFirstVersionImport::summaryMessage()
{
    QFETCH(int, added);
    QFETCH(QString, expected);
    QCOMPARE(importSummaryMessage(added), expected);
}

QTEST_GUILESS_MAIN(TestFirstVersionImport)
#include "tst_FirstVersionImport.moc"
