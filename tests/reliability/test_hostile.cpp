// Hostile and odd input: values that look like SQL, control characters, emoji, right-to-left text,
// huge notes, a first-version file with a 1 MB line. Everything comes back as it went in.
#include "tests/support/TestFiles.h"
#include "tests/support/TestStore.h"

#include "import/FirstVersionImport.h"
#include "output/CardLayout.h"
#include "search/SearchEngine.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestHostile : public QObject
{
    Q_OBJECT
private slots:
    void valuesRoundTrip_data();
    void valuesRoundTrip();
    void firstVersionFileWithAHugeLine();
};

void TestHostile::valuesRoundTrip_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("quotes, wildcards and SQL")
        << u"O'Brien \"Bob\" 100% _x_ [a-z] x'); DROP TABLE PhoneList; -- OR ''=''"_s;
    QTest::newRow("control characters and NUL") << u"a\x01\x1b[31m\tb\r\nc\x7f"_s + QChar(0) + u"dopo"_s;
    QTest::newRow("emoji and right to left")
        << QStringLiteral("Rossi 😀👨‍👩‍👧 🇮🇹 \u202Eolleh \u05E9\u05DC\u05D5\u05DD "
                          "\u0645\u0631\u062D\u0628\u0627");
    QTest::newRow("10 MB note") << u"Nota, con 'apici'; "_s.repeated(10 * 1024 * 1024 / 19);
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

    QVERIFY(recordMatches(record, searchQuery(value.right(20), false, 0)));
    cardLines(record);
    QCOMPARE(wrapNotes(value).join(QString()), value);
}

// A line of a megabyte: the import neither stops nor crashes, the names come through and the phone is
// cut to its field.
void TestHostile::firstVersionFileWithAHugeLine()
{
    TestStore test;
    const QString path = test.directory() + u"/NUMBO.TXT"_s;
    writeBytes(
        path, QByteArray("ROSSI MARIO").leftJustified(54) + QByteArray(1024 * 1024, '7') + "\r\nVERDI");
    const ImportOutcome outcome = importFirstVersionFile(path, test.store());
    QVERIFY2(outcome.ok(), qPrintable(importFailureMessage(outcome)));
    QCOMPARE(outcome.added, 2);
    std::vector<ContactRecord> rows = test.store().readAll();
    std::sort(rows.begin(), rows.end(), [](const auto &a, const auto &b) { return a.id < b.id; });
    QCOMPARE(rows.size(), size_t(2));
    QCOMPARE(rows[0].text(Field::LastName), u"ROSSI"_s);
    QCOMPARE(rows[0].text(Field::WorkPhone), QString(15, u'7'));
    QCOMPARE(rows[1].text(Field::LastName), u"VERDI"_s);
}

QTEST_GUILESS_MAIN(TestHostile)
#include "test_hostile.moc"
