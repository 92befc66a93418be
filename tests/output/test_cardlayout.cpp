// The printed card: its fixed lines, the values as typed, and the notes cut into lines.
#include "output/CardLayout.h"
#include "tests/support/TestStore.h"

#include <QTest>

class TestCardLayout : public QObject
{
    Q_OBJECT
private slots:
    void wrapNotes_data();
    void wrapNotes();
    void wholeCard();
    void emptyContact();
};

void TestCardLayout::wrapNotes_data()
{
    QTest::addColumn<QString>("notes");
    QTest::addColumn<QStringList>("lines");

    const QString a59(59, QLatin1Char('a'));
    const QString a71(71, QLatin1Char('a'));
    const QString b70(70, QLatin1Char('b'));

    QTest::newRow("empty notes give one empty line") << QString() << QStringList {QString()};
    QTest::newRow("shorter than 60, blanks or not")
        << QStringLiteral("una nota breve con qualche blank ")
        << QStringList {QStringLiteral("una nota breve con qualche blank ")};
    QTest::newRow("blank at 60: first line exactly 60")
        << a59 + QStringLiteral(" resto") << QStringList {a59 + QLatin1Char(' '), QStringLiteral("resto")};
    QTest::newRow("blank at 60 as the last character: no empty line after")
        << a59 + QLatin1Char(' ') << QStringList {a59 + QLatin1Char(' ')};
    QTest::newRow("blanks before 60 are no break")
        << QStringLiteral("a b ") + QString(56, QLatin1Char('c'))
        << QStringList {QStringLiteral("a b ") + QString(56, QLatin1Char('c'))};
    QTest::newRow("first blank from 60 on at 72; the rest is searched from its own 60th")
        << QStringLiteral("ab ") + QString(68, QLatin1Char('x')) + QLatin1Char(' ') + b70
            + QStringLiteral(" fine")
        << QStringList {QStringLiteral("ab ") + QString(68, QLatin1Char('x')) + QLatin1Char(' '),
               b70 + QLatin1Char(' '), QStringLiteral("fine")};
    QTest::newRow("the rest of a 72 break starts with character 73")
        << a71 + QStringLiteral(" Zeta") << QStringList {a71 + QLatin1Char(' '), QStringLiteral("Zeta")};
    QTest::newRow("200 characters with no blank from 60 on: one line")
        << QStringLiteral("a b ") + QString(196, QLatin1Char('z'))
        << QStringList {QStringLiteral("a b ") + QString(196, QLatin1Char('z'))};
    QTest::newRow("a line end starts the count again")
        << QString(57, QLatin1Char('n')) + QStringLiteral("\r\nCompleanno: 14 marzo")
        << QStringList {QString(57, QLatin1Char('n')) + QStringLiteral("\r\n"),
               QStringLiteral("Compleanno: 14 marzo")};
    QTest::newRow("a line after a line end is wrapped from its own 60th")
        << QStringLiteral("x\n") + a59 + QStringLiteral(" y z")
        << QStringList {QStringLiteral("x\n"), a59 + QLatin1Char(' '), QStringLiteral("y z")};
    QTest::newRow("LF, CR and CR LF each end a line; empty lines stay")
        << QStringLiteral("uno\ndue\rtre\r\n\r\nquattro\r\n")
        << QStringList {"uno\n", "due\r", "tre\r\n", "\r\n", "quattro\r\n"};
    QTest::newRow("a blank at 60 just before a line end leaves no empty line")
        << a59 + QStringLiteral(" \r\nb") << QStringList {a59 + QStringLiteral(" \r\n"), QStringLiteral("b")};
}

void TestCardLayout::wrapNotes()
{
    QFETCH(QString, notes);
    QFETCH(QStringList, lines);
    QCOMPARE(::wrapNotes(notes), lines);
}

void TestCardLayout::wholeCard()
{
    const ContactRecord contact = makeRecord({
        {Field::LastName, QStringLiteral("De Luca ")},
        {Field::FirstName, QStringLiteral("Nicolò")},
        {Field::Azienda, QStringLiteral("  Perù S.p.A.")},
        {Field::Cellulare, QStringLiteral("333 1234567")},
        {Field::Internet, QStringLiteral("nicolo@example.it")},
        {Field::www, QStringLiteral("www.example.it")},
        {Field::Note, QStringLiteral("Chiamare la sera\r\nCompleanno: 14 marzo\n")},
        {Field::WorkAddress, QStringLiteral("Via Roma 1\r\nScala B")},
        {Field::WorkCity, QStringLiteral("Milano")},
        {Field::WorkProv, QStringLiteral("MI")},
        {Field::WorkPostalCode, QStringLiteral("20100")},
        {Field::WorkPhone, QStringLiteral("02 123456")},
        {Field::WorkFax, QStringLiteral("02 654321")},
        {Field::HomeAddress, QStringLiteral("Piazza Duomo 2")},
        {Field::HomeCity, QStringLiteral("Monza")},
        {Field::HomeProv, QStringLiteral("MB")},
        {Field::HomePostalCode, QStringLiteral("20900")},
        {Field::HomePhone, QStringLiteral("039 111")},
        {Field::HomeFax, QStringLiteral("039 222")},
    });
    const QStringList expected {
        QStringLiteral("----------------------------------"),
        QStringLiteral("Agenda telefonica  - Rubrello     "),
        QStringLiteral("----------------------------------"),
        QString(),
        QStringLiteral("Scheda personale di : De Luca  Nicolò"),
        QString(),
        QStringLiteral("Lavoro:    Perù S.p.A."),
        QStringLiteral("Via Roma 1\r\nScala B"),
        QStringLiteral("20100 Milano MI"),
        QStringLiteral("Tel.lavoro : 02 123456"),
        QStringLiteral("Fax lavoro : 02 654321"),
        QStringLiteral("Cellulare  : 333 1234567"),
        QStringLiteral("E-Mail     : nicolo@example.it"),
        QStringLiteral("Home Page  : www.example.it"),
        QString(),
        QStringLiteral("Casa :  "),
        QStringLiteral("20900 Monza MB"),
        QStringLiteral("Piazza Duomo 2"),
        QStringLiteral("Tel.casa : 039 111"),
        QStringLiteral("Fax casa : 039 222"),
        QString(),
        QStringLiteral("Note:"),
        QStringLiteral("Chiamare la sera"),
        QStringLiteral("Compleanno: 14 marzo"),
    };
    QCOMPARE(cardLines(contact), expected);
}

void TestCardLayout::emptyContact()
{
    // Labels alone on their lines; the two town lines are the two separating blanks.
    const QStringList lines = cardLines(ContactRecord());
    QCOMPARE(lines.mid(4),
        (QStringList {"Scheda personale di :  ", "", "Lavoro:  ", "", "  ",
            "Tel.lavoro : ", "Fax lavoro : ", "Cellulare  : ", "E-Mail     : ", "Home Page  : ", "",
            "Casa :  ", "  ", "", "Tel.casa : ", "Fax casa : ", "", "Note:", ""}));
}

QTEST_GUILESS_MAIN(TestCardLayout)
#include "test_cardlayout.moc"
