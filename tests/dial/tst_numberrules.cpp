#include "dial/NumberRules.h"

#include <QTest>

class NumberRulesTest : public QObject
{
    Q_OBJECT
private slots:
    void cleanNumber_data();
    void cleanNumber();
    void dialString_data();
    void dialString();
};

void NumberRulesTest::cleanNumber_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("cleaned");
    QTest::newRow("slash") << "02/1234567"
                           << "021234567";
    QTest::newRow("international form") << "+39 (02) 1234-567"
                                        << "39 02 1234567";
    QTest::newRow("comma kept") << "0,1234"
                                << "0,1234";
    QTest::newRow("letters and punctuation only") << "Mario.Rossi!"
                                                  << "";
    QTest::newRow("tab and line break dropped") << "02\t12\r\n34"
                                                << "021234";
    QTest::newRow("accented letters dropped") << "è3ù4"
                                              << "34";
    QTest::newRow("keystroke descriptions dropped") << "{ENTER}~+^%5"
                                                    << "5";
}

void NumberRulesTest::cleanNumber()
{
    QFETCH(QString, number);
    QFETCH(QString, cleaned);
    QCOMPARE(CleanNumber(number), cleaned);
}

void NumberRulesTest::dialString_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("outsideLine");
    QTest::addColumn<QString>("dialled");
    QTest::newRow("prefix dropped, outside line") << "02/1234567"
                                                  << "02"
                                                  << "0"
                                                  << "0,1234567";
    QTest::newRow("no outside line") << "02/1234567"
                                     << "02"
                                     << ""
                                     << "1234567";
    QTest::newRow("other prefix") << "02/1234567"
                                  << "06"
                                  << ""
                                  << "021234567";
    QTest::newRow("other prefix, outside line") << "02/1234567"
                                                << "06"
                                                << "0"
                                                << "0,021234567";
    QTest::newRow("does not begin with the prefix") << "+39 (02) 1234-567"
                                                    << "02"
                                                    << ""
                                                    << "39 02 1234567";
    QTest::newRow("mobile with its prefix") << "0335 1234567"
                                            << "0335"
                                            << ""
                                            << "1234567";
    QTest::newRow("prefix box with blanks") << "02 1234567"
                                            << "  02 "
                                            << ""
                                            << "1234567";
    QTest::newRow("empty prefix drops leading blanks") << "  1234567"
                                                       << ""
                                                       << ""
                                                       << "1234567";
    QTest::newRow("tab in prefix is not a blank") << "021234567"
                                                  << "\t02"
                                                  << ""
                                                  << "021234567";
    QTest::newRow("number shorter than prefix") << "0"
                                                << "02"
                                                << ""
                                                << "0";
    QTest::newRow("outside line of blanks only") << "02/1234567"
                                                 << "02"
                                                 << "   "
                                                 << ",1234567";
    QTest::newRow("outside line of letters only") << "02/1234567"
                                                  << "02"
                                                  << "abc"
                                                  << ",1234567";
    QTest::newRow("outside line trimmed and cleaned") << "1234567"
                                                      << ""
                                                      << " 0-9 "
                                                      << "09,1234567";
    QTest::newRow("number of letters only") << "nessuno"
                                            << "02"
                                            << "0"
                                            << "";
    QTest::newRow("empty number") << ""
                                  << ""
                                  << "0"
                                  << "";
}

void NumberRulesTest::dialString()
{
    QFETCH(QString, number);
    QFETCH(QString, prefix);
    QFETCH(QString, outsideLine);
    QFETCH(QString, dialled);
    QCOMPARE(::dialString(number, prefix, outsideLine), dialled);
}

QTEST_APPLESS_MAIN(NumberRulesTest)
#include "tst_numberrules.moc"
