// The address put on the clipboard: which lines, trimmed of blanks only, joined by CR LF.
#include "output/AddressText.h"
#include "tests/support/TestStore.h"

#include <QTest>

Q_DECLARE_METATYPE(ContactRecord)

class TestAddressText : public QObject
{
    Q_OBJECT
private slots:
    void addressText_data();
    void addressText();
};

void TestAddressText::addressText_data()
{
    QTest::addColumn<ContactRecord>("contact");
    QTest::addColumn<bool>("workAddress");
    QTest::addColumn<QString>("expected");

    const ContactRecord both = makeRecord({
        {Field::Azienda, QStringLiteral("  Perù S.r.l.  ")},
        {Field::LastName, QStringLiteral(" Rossi ")},
        {Field::FirstName, QStringLiteral("  Mario")},
        {Field::WorkAddress, QStringLiteral("Via Roma 1 ")},
        {Field::WorkPostalCode, QStringLiteral("20100")},
        {Field::WorkCity, QStringLiteral(" Milano ")},
        {Field::WorkProv, QStringLiteral("MI")},
        {Field::HomeAddress, QStringLiteral("  Corso Italia 5")},
        {Field::HomePostalCode, QStringLiteral("20900 ")},
        {Field::HomeCity, QStringLiteral("Monza")},
        {Field::HomeProv, QStringLiteral(" MB")},
    });
    QTest::newRow("Lavoro: company first, every piece trimmed")
        << both << true << QStringLiteral("Perù S.r.l.\r\nRossi Mario\r\nVia Roma 1\r\n20100 Milano MI ");
    QTest::newRow("Casa: no company line, home pieces")
        << both << false << QStringLiteral("Rossi Mario\r\nCorso Italia 5\r\n20900 Monza MB ");
    QTest::newRow("Lavoro with an empty company begins with a line break")
        << makeRecord(
               {{Field::LastName, QStringLiteral("Verdi")}, {Field::FirstName, QStringLiteral("Gino")}})
        << true << QStringLiteral("\r\nVerdi Gino\r\n\r\n   ");
    QTest::newRow("all empty, Casa") << ContactRecord() << false << QStringLiteral(" \r\n\r\n   ");
    QTest::newRow("all empty, Lavoro") << ContactRecord() << true << QStringLiteral("\r\n \r\n\r\n   ");
    QTest::newRow("two-line street keeps its inner break")
        << makeRecord({{Field::HomeAddress, QStringLiteral("  Via Po 3\r\nScala B  ")}}) << false
        << QStringLiteral(" \r\nVia Po 3\r\nScala B\r\n   ");
    QTest::newRow("only blanks are trimmed: tabs and line breaks at the ends stay")
        << makeRecord(
               {{Field::LastName, QStringLiteral("\tRossi ")}, {Field::FirstName, QStringLiteral("    ")},
                   {Field::HomeAddress, QStringLiteral(" \r\nVia Po 3\r\n ")},
                   {Field::HomeCity, QStringLiteral(" San  Donato ")}})
        << false << QStringLiteral("\tRossi \r\n\r\nVia Po 3\r\n\r\n San  Donato  ");
}

void TestAddressText::addressText()
{
    QFETCH(ContactRecord, contact);
    QFETCH(bool, workAddress);
    QFETCH(QString, expected);
    const QString text = ::addressText(contact, workAddress);
    QCOMPARE(text, expected);
    QVERIFY(text.endsWith(QLatin1Char(' ')));
}

QTEST_GUILESS_MAIN(TestAddressText)
#include "test_addresstext.moc"
