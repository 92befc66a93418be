// The number as it is dialled: cleaned, without the local prefix, after the outside line code.
#include "dial/NumberRules.h"
#include "tests/text/CaseTable.h"

class TestNumberRules : public QObject
{
    Q_OBJECT
private slots:
    void dialString_data()
    {
        addCaseRows("dial/numbers.tsv", {"number", "prefix", "outsideLine", "dialled"});
    }
    void dialString()
    {
        QFETCH(QByteArray, number);
        QFETCH(QByteArray, prefix);
        QFETCH(QByteArray, outsideLine);
        QFETCH(QByteArray, dialled);
        QCOMPARE(::dialString(utf8(number), utf8(prefix), utf8(outsideLine)), utf8(dialled));
    }
};

QTEST_APPLESS_MAIN(TestNumberRules)
#include "test_numberrules.moc"
