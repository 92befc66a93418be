// Hostile and odd input: values that look like SQL, control characters, emoji, right-to-left text,
// huge notes; first-version files with NUL bytes, a 1 MB line, mixed line ends and broken UTF-8;
// an options file of binary garbage. Everything comes back as it went in, or is refused with a
// message; nothing crashes.
#include "StoreCheck.h"

#include "dial/DialOptions.h"
#include "import/FirstVersionImport.h"
#include "import/FirstVersionLine.h"
#include "output/CardLayout.h"
#include "search/SearchEngine.h"
#include "tests/support/TestStore.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTest>

namespace {

QString hugeNote(qsizetype bytes)
{
    return QStringLiteral("Nota, con 'apici' e \"virgolette\"; ").repeated(bytes / 36 + 1).left(bytes);
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray fixedLine(const QByteArray &name, const QByteArray &phone)
{
    return name.leftJustified(54, ' ') + phone;
}

} // namespace

class TestHostile : public QObject
{
    Q_OBJECT
private slots:
    void valuesRoundTrip_data();
    void valuesRoundTrip();
    void firstVersionFiles_data();
    void firstVersionFiles();
    void optionsFileOfGarbage();
};

void TestHostile::valuesRoundTrip_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("quotes and apostrophes") << QStringLiteral("O'Brien \"Bob\" d''Arco");
    QTest::newRow("LIKE wildcards") << QStringLiteral("100% _x_ [a-z]");
    QTest::newRow("statement end and SQL") << QStringLiteral("x'); DROP TABLE PhoneList; --");
    QTest::newRow("SQL keywords") << QStringLiteral("SELECT * FROM PhoneList WHERE 1=1 OR ''=''");
    QTest::newRow("control characters") << QStringLiteral("a\x01\x07\x1b[31m\tb\r\nc\x7f");
    QTest::newRow("NUL inside") << QString::fromUtf16(u"prima\0dopo", 10);
    QTest::newRow("emoji") << QStringLiteral("Rossi 😀👨‍👩‍👧 🇮🇹");
    QTest::newRow("right to left") << QStringLiteral(
        "\u202Eolleh \u05E9\u05DC\u05D5\u05DD \u0645\u0631\u062D\u0628\u0627");
    QTest::newRow("shell") << QStringLiteral("$(rm -rf ~) `id` | cat /etc/passwd > x & ; \\");
    QTest::newRow("10 MB note") << hugeNote(10 * 1024 * 1024);
    QTest::newRow("100000-line note") << QStringLiteral("riga\r\n").repeated(100000);
}

// Every field takes the value and gives it back exactly, by insert, read and update; the search and
// the card layout go through it.
void TestHostile::valuesRoundTrip()
{
    QFETCH(QString, value);
    TestStore test;
    ContactRecord record;
    // A huge value goes in the notes and one other field: nineteen copies only make the test slow.
    const bool huge = value.size() > 4096;
    for (const FieldInfo &info : Fields) {
        if (info.field != Field::ID && (!huge || info.field == Field::Note || info.field == Field::Azienda))
            record.setValue(info.field, value);
    }
    const auto id = test.store().insert(record);
    QVERIFY2(id, qPrintable(test.store().lastError()));
    record.id = *id;
    QVERIFY(test.store().read(*id) == record);

    record.setValue(Field::Note, value + value.left(100));
    QVERIFY(test.store().update(record));
    QVERIFY(test.store().read(*id) == record);
    QCOMPARE(test.store().count(), 1);

    QVERIFY(recordMatches(record, value.right(20), false, 0));
    cardLines(record);
    QCOMPARE(wrapNotes(value).join(QString()), value);
    QCOMPARE(integrityCheck(test.path()), QStringLiteral("ok"));
}

void TestHostile::firstVersionFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lastNames");
    QTest::newRow("NUL bytes") << QByteArray(
        fixedLine("ROSSI\0MARIO", "06 1") + "\r\n" + fixedLine("VERDI LUCA", "06\0002") + "\r\n")
                               << QStringList {QStringLiteral("ROSSI"), QStringLiteral("VERDI")};
    QTest::newRow("1 MB line") << QByteArray(
        fixedLine("ROSSI MARIO", QByteArray(1024 * 1024, '7')) + "\r\n" + fixedLine("VERDI LUCA", "06 2"))
                               << QStringList {QStringLiteral("ROSSI"), QStringLiteral("VERDI")};
    QTest::newRow("mixed line ends") << QByteArray(fixedLine("ROSSI MARIO", "1") + "\r\n"
        + fixedLine("VERDI LUCA", "2") + "\n" + fixedLine("NERI ANNA", "3") + "\r"
        + fixedLine("BIANCHI ADA", "4") + "\n\r\n")
                                     << QStringList {QStringLiteral("ROSSI"), QStringLiteral("VERDI"),
                                            QStringLiteral("NERI"), QStringLiteral("BIANCHI")};
    QTest::newRow("invalid UTF-8") << QByteArray(
        fixedLine("ROSSI \xc3( \xff\xfe", "1") + "\r\n" + fixedLine("VERDI \xe0", "2"))
                                   << QStringList {QStringLiteral("ROSSI"), QStringLiteral("VERDI")};
}

// The import neither stops nor crashes on such a file; every record it adds is whole and within its
// fields, and the names come through.
void TestHostile::firstVersionFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lastNames);
    TestStore test;
    const QString path = test.directory() + QStringLiteral("/NUMBO.TXT");
    QVERIFY(writeFile(path, bytes));
    const ImportOutcome outcome = importFirstVersionFile(path, test.store());
    QVERIFY2(outcome.ok(), qPrintable(importFailureMessage(outcome)));
    QCOMPARE(outcome.added, lastNames.size());
    std::vector<ContactRecord> rows = test.store().readAll();
    std::sort(rows.begin(), rows.end(), [](const auto &a, const auto &b) { return a.id < b.id; });
    QCOMPARE(rows.size(), size_t(lastNames.size()));
    for (size_t i = 0; i < rows.size(); ++i) {
        QVERIFY2(rows[i].text(Field::LastName).startsWith(lastNames.at(qsizetype(i))),
            qPrintable(rows[i].text(Field::LastName)));
        QVERIFY(rows[i].text(Field::WorkPhone).size() <= 15);
    }
    QCOMPARE(integrityCheck(test.path()), QStringLiteral("ok"));
}

// Binary garbage reads as lines of text; saving the options keeps every line that is not one of the
// two keys byte for byte, and the keys read back.
void TestHostile::optionsFileOfGarbage()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(optionsFileName());
    QByteArray garbage;
    QRandomGenerator random(20240611);
    for (int i = 0; i < 64 * 1024; ++i)
        garbage.append(char(random.bounded(256)));
    garbage.replace("\r", "").replace("\n", ""); // one line: its bytes must survive the rewrite exactly
    QVERIFY(writeFile(path, garbage + "\r\nPrefissoLocale=06\r\n"));

    const OptionsFileRead read = readOptionsFile(path);
    QVERIFY(read.ok && read.exists);
    QCOMPARE(read.text.lines.size(), 2);
    QVERIFY(saveDialOptions(path, QStringLiteral("02"), QStringLiteral("0"), 1, [] {}));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), garbage + "\r\nPrefissoLocale=02\r\n");
}

QTEST_GUILESS_MAIN(TestHostile)
#include "test_hostile.moc"
