#include "import/FirstVersionLine.h"

#include <QTest>

Q_DECLARE_METATYPE(FirstVersionContact)

namespace {

// A line as the first version wrote it: the name part in the first 54 columns, the phone after.
QString fixedLine(const QString &namePart, const QString &phonePart = {})
{
    return namePart.leftJustified(54, QLatin1Char(' ')) + phonePart;
}

FirstVersionContact contact(
    const QString &last, const QString &first, const QString &address = {}, const QString &phone = {})
{
    return {last, first, address, phone};
}

} // namespace

class TestFirstVersionLine : public QObject
{
    Q_OBJECT
private slots:
    void cleanImportName_data();
    void cleanImportName();
    void parseLine_data();
    void parseLine();
    void lineWithoutName_data();
    void lineWithoutName();
};

void TestFirstVersionLine::cleanImportName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("cleaned");

    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("apostrophe inside kept") << "D'Angelo"
                                            << "D'Angelo";
    QTest::newRow("leading digit") << "3Rossi"
                                   << "Rossi";
    QTest::newRow("only digits") << "123" << QString();
    QTest::newRow("lower case kept") << "de"
                                     << "de";
    QTest::newRow("leading accented capital") << QString::fromUtf8("Èrcole") << "rcole";
    QTest::newRow("leading accented small") << QString::fromUtf8("àlberto") << "lberto";
    QTest::newRow("leading apostrophe and digit dropped, inner apostrophe kept") << "'9O'Neri"
                                                                                 << "O'Neri";
    QTest::newRow("accent inside kept") << QString::fromUtf8("Nicolò") << QString::fromUtf8("Nicolò");
    QTest::newRow("sharp s does not upper-case to one letter") << QString::fromUtf8("ßa") << "a";
    QTest::newRow("tab is no letter") << "\tRossi"
                                      << "Rossi";
    QTest::newRow("nothing but punctuation") << "-.'" << QString();
}

void TestFirstVersionLine::cleanImportName()
{
    QFETCH(QString, name);
    QFETCH(QString, cleaned);
    QCOMPARE(CleanImportName(name), cleaned);
}

void TestFirstVersionLine::parseLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<FirstVersionContact>("expected");

    QTest::newRow("full line") << fixedLine("Rossi Mario Via Roma 1", "051 123456")
                               << contact("Rossi", "Mario", "Via Roma 1", "051 123456");
    QTest::newRow("single word") << fixedLine("Rossi") << contact("Rossi", "Rossi");
    QTest::newRow("three blanks between the names")
        << fixedLine("Rossi   Mario") << contact("Rossi", "Mario");
    QTest::newRow("blanks before the rest dropped, inner blanks kept")
        << fixedLine("  Rossi Mario    Via  Roma,  1  ") << contact("Rossi", "Mario", "Via  Roma,  1");
    QTest::newRow("apostrophes kept in the names and the rest")
        << fixedLine("D'Angelo Rosa Via dell'Orto 2") << contact("D'Angelo", "Rosa", "Via dell'Orto 2");
    QTest::newRow("digits before the last name") << fixedLine("3Rossi Mario") << contact("Rossi", "Mario");
    QTest::newRow("last name cleans to nothing") << fixedLine("123 Bianchi") << contact("Bianchi", "Bianchi");
    QTest::newRow("first name cleans to nothing") << fixedLine("Verdi 42") << contact("Verdi", "Verdi");
    QTest::newRow("lower case surname") << fixedLine("de Luca") << contact("de", "Luca");
    QTest::newRow("accented first letter lost")
        << fixedLine(QString::fromUtf8("Èrcoli Òscar")) << contact("rcoli", "scar");
    QTest::newRow("phone trimmed") << fixedLine("Rossi Mario", "   051 123456   ")
                                   << contact("Rossi", "Mario", {}, "051 123456");
    QTest::newRow("20-character phone cut to 15") << fixedLine("Rossi Mario", "01234567890123456789")
                                                  << contact("Rossi", "Mario", {}, "012345678901234");
    QTest::newRow("line of 54 characters has no phone")
        << QString("Rossi Mario").leftJustified(54, QLatin1Char(' ')) << contact("Rossi", "Mario");
    QTest::newRow("short line") << "Rossi Mario" << contact("Rossi", "Mario");
    // Character 54 belongs to neither part.
    QTest::newRow("character 54 never read") << QString("Rossi Mario").leftJustified(53, QLatin1Char(' '))
            + "X051" << contact("Rossi", "Mario", {}, "051");
    QTest::newRow("name part ends at character 53")
        << QString("Rossi Mario ").leftJustified(52, QLatin1Char('a')) + "bc"
        << contact("Rossi", "Mario", QString(40, QLatin1Char('a')) + "b", "");
    QTest::newRow("tab is not a separator")
        << fixedLine("Rossi\tMario Via") << contact("Rossi\tMario", "Via");
    QTest::newRow("long names cut to 20")
        << fixedLine("Abcdefghijklmnopqrstuvwxyz Zyxwvutsrqponmlkjihgfedcba")
        << contact("Abcdefghijklmnopqrst", "Zyxwvutsrqponmlkjihg");
    QTest::newRow("names cut after cleaning") << fixedLine("12345Abcdefghijklmnopqrstuvwxyz")
                                              << contact("Abcdefghijklmnopqrst", "Abcdefghijklmnopqrst");
}

void TestFirstVersionLine::parseLine()
{
    QFETCH(QString, line);
    QFETCH(FirstVersionContact, expected);
    const std::optional<FirstVersionContact> parsed = parseFirstVersionLine(line);
    QVERIFY(parsed.has_value());
    QCOMPARE(parsed->lastName, expected.lastName);
    QCOMPARE(parsed->firstName, expected.firstName);
    QCOMPARE(parsed->workAddress, expected.workAddress);
    QCOMPARE(parsed->workPhone, expected.workPhone);
}

void TestFirstVersionLine::lineWithoutName_data()
{
    QTest::addColumn<QString>("line");

    QTest::newRow("empty line") << QString();
    QTest::newRow("blank name part with a phone") << fixedLine(QString(), "051 123456");
    QTest::newRow("only blanks") << QString(80, QLatin1Char(' '));
    QTest::newRow("names clean to nothing") << fixedLine("123 456 Via Roma", "051");
    QTest::newRow("text only from column 55") << QString(54, QLatin1Char(' ')) + "Rossi";
}

void TestFirstVersionLine::lineWithoutName()
{
    QFETCH(QString, line);
    QVERIFY(!parseFirstVersionLine(line).has_value());
}

QTEST_GUILESS_MAIN(TestFirstVersionLine)
#include "tst_FirstVersionLine.moc"
