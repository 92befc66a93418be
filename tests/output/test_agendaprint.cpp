// The printed agenda: heading and rows in fixed columns, the letter selection, and the walk that
// opens a print document per letter section, on a recording printer.
#include "output/AgendaLayout.h"
#include "output/AgendaPrint.h"
#include "tests/support/ScriptedPlatform.h"
#include "tests/support/TestStore.h"

#include <QTest>

namespace {

// Contact i of the list gets the first name "i", so every printed row can be told apart.
std::vector<ContactRecord> contactsNamed(const QStringList &lastNames)
{
    std::vector<ContactRecord> contacts;
    for (qsizetype i = 0; i < lastNames.size(); ++i)
        contacts.push_back(
            makeRecord({{Field::LastName, lastNames.at(i)}, {Field::FirstName, QString::number(i)}}));
    return contacts;
}

// A document as "letter:row name,row name", after checking that it opens with a whole heading.
QString describe(const ScriptedPlatform::Document &document)
{
    if (document.size() < 4)
        return QStringLiteral("<short document>");
    const QString first = document.at(0);
    const QString prefix = QStringLiteral("Agenda telefonica - Rubrello") + QString(35, QLatin1Char(' '))
        + QStringLiteral("Lettera (");
    if (!first.startsWith(prefix) || !first.endsWith(QLatin1Char(')')))
        return QStringLiteral("<bad heading>");
    const QString letter = first.mid(prefix.size(), first.size() - prefix.size() - 1);
    if (document.mid(1, 3) != agendaHeading(letter).mid(1, 3))
        return QStringLiteral("<bad heading>");
    QStringList names;
    for (const QString &row : document.mid(4))
        names.append(row.left(26).trimmed());
    return letter + QLatin1Char(':') + names.join(QLatin1Char(','));
}

} // namespace

class TestAgendaPrint : public QObject
{
    Q_OBJECT
private slots:
    void heading();
    void row_data();
    void row();
    void selection_data();
    void selection();
    void walk_data();
    void walk();
    void nothingSelected();
};

void TestAgendaPrint::heading()
{
    const QStringList lines = agendaHeading(QStringLiteral("R"));
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines.at(0),
        QStringLiteral("Agenda telefonica - Rubrello                                   Lettera (R)"));
    QCOMPARE(lines.at(1), QString(78, QLatin1Char('-')));
    QCOMPARE(lines.at(3), QString(78, QLatin1Char('-')));
    const QString labels = lines.at(2);
    QCOMPARE(labels.size(), 78);
    QCOMPARE(labels.indexOf(QStringLiteral("Cognome e Nome")), 0);
    QCOMPARE(labels.indexOf(QStringLiteral("Tel. Lavoro")), 26);
    QCOMPARE(labels.indexOf(QStringLiteral("Tel. Casa")), 39);
    QCOMPARE(labels.indexOf(QStringLiteral("Fax Lavoro")), 52);
    QCOMPARE(labels.indexOf(QStringLiteral("Cellulare")), 65);
    QVERIFY(agendaHeading(QString()).at(0).endsWith(QStringLiteral("Lettera ()")));
}

void TestAgendaPrint::row_data()
{
    QTest::addColumn<QString>("lastName");
    QTest::addColumn<QString>("firstName");
    QTest::addColumn<QString>("workPhone");
    QTest::addColumn<QString>("homePhone");
    QTest::addColumn<QString>("workFax");
    QTest::addColumn<QString>("mobile");
    QTest::addColumn<QStringList>("expected");

    const QString blanks13(13, QLatin1Char(' '));
    const QString blanks26(26, QLatin1Char(' '));
    QTest::newRow("short values right-aligned")
        << "Rossi"
        << "Mario"
        << "02 1234"
        << "039 99"
        << "02 5555"
        << "333 1"
        << QStringList {QStringLiteral("Rossi Mario               ") + QStringLiteral("      02 1234")
               + QStringLiteral("       039 99") + QStringLiteral("      02 5555")
               + QStringLiteral("        333 1")};
    QTest::newRow("numbers over 13 go on under their column, broken at a blank where there is one")
        << "Bianchi"
        << "Anna"
        << "+39 0544 818573"
        << "0212345678901234"
        << "0212345678901"
        << "+39 335 1234567"
        << QStringList {QStringLiteral("Bianchi Anna              ") + QStringLiteral("     +39 0544")
                   + QStringLiteral("0212345678901") + QStringLiteral("0212345678901")
                   + QStringLiteral("      +39 335"),
               blanks26 + QStringLiteral("       818573") + QStringLiteral("          234") + blanks13
                   + QStringLiteral("      1234567")};
    QTest::newRow("empty numbers are 13 blanks each")
        << "Verdi"
        << "Gino"
        << ""
        << ""
        << ""
        << ""
        << QStringList {
               QStringLiteral("Verdi Gino                ") + blanks13 + blanks13 + blanks13 + blanks13};
    QTest::newRow("name over 25 characters goes on in the name column")
        << "Buonarroti Simoni"
        << "Michelangelo"
        << "1"
        << ""
        << ""
        << ""
        << QStringList {QStringLiteral("Buonarroti Simoni         ") + QStringLiteral("            1")
                   + blanks13 + blanks13 + blanks13,
               QStringLiteral("Michelangelo              ") + blanks13 + blanks13 + blanks13 + blanks13};
    QTest::newRow("a line break in a value stays in its column")
        << "Verdi"
        << "Gino"
        << "02 1234\r\n02 5678"
        << ""
        << ""
        << ""
        << QStringList {QStringLiteral("Verdi Gino                ") + QStringLiteral("      02 1234")
                   + blanks13 + blanks13 + blanks13,
               blanks26 + QStringLiteral("      02 5678") + blanks13 + blanks13 + blanks13};
    QTest::newRow("name of exactly 25 characters fits")
        << "Abcdefghijklmnopqrst"
        << "Luig"
        << ""
        << ""
        << ""
        << ""
        << QStringList {
               QStringLiteral("Abcdefghijklmnopqrst Luig ") + blanks13 + blanks13 + blanks13 + blanks13};
    QTest::newRow("empty last name starts with the blank")
        << ""
        << "Mario"
        << ""
        << ""
        << ""
        << "1"
        << QStringList {QStringLiteral(" Mario                    ") + blanks13 + blanks13 + blanks13
               + QStringLiteral("            1")};
    QTest::newRow("accented letters count as one column")
        << "Perù"
        << "Nicolò"
        << ""
        << ""
        << ""
        << ""
        << QStringList {
               QStringLiteral("Perù Nicolò               ") + blanks13 + blanks13 + blanks13 + blanks13};
}

void TestAgendaPrint::row()
{
    QFETCH(QString, lastName);
    QFETCH(QString, firstName);
    QFETCH(QString, workPhone);
    QFETCH(QString, homePhone);
    QFETCH(QString, workFax);
    QFETCH(QString, mobile);
    QFETCH(QStringList, expected);
    const ContactRecord contact = makeRecord(
        {{Field::LastName, lastName}, {Field::FirstName, firstName}, {Field::WorkPhone, workPhone},
            {Field::HomePhone, homePhone}, {Field::WorkFax, workFax}, {Field::Cellulare, mobile}});
    QCOMPARE(agendaRow(contact), expected);
}

void TestAgendaPrint::selection_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("selection");
    QTest::newRow("star is the whole alphabet") << "*"
                                                << "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    QTest::newRow("lower case with a blank") << "ab z"
                                             << "AB Z";
    QTest::newRow("a star among letters stays") << "A*"
                                                << "A*";
    QTest::newRow("two stars are not the alphabet") << "**"
                                                    << "**";
    QTest::newRow("accented letters are upper-cased too") << "èz1"
                                                          << "ÈZ1";
}

void TestAgendaPrint::selection()
{
    QFETCH(QString, answer);
    QFETCH(QString, selection);
    QCOMPARE(letterSelection(answer), selection);
}

void TestAgendaPrint::walk_data()
{
    QTest::addColumn<QStringList>("lastNames");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("linesPerPage");
    QTest::addColumn<QStringList>("documents");

    QTest::newRow("letters in table order, one document each") << QStringList {"Alberti", "Amato", "Bruni",
        "Conti"} << "*" << 60 << QStringList {"A:Alberti 0,Amato 1", "B:Bruni 2", "C:Conti 3"};
    QTest::newRow("star leaves out digits, accents, lower case and signs") << QStringList {"3M", "Alberti",
        "Èrcole", "bianchi", "Bruni", "_x"} << "*" << 60 << QStringList {"A:Alberti 1", "B:Bruni 4"};
    QTest::newRow("Rossi, rossini, Russo: rossini is skipped but parts the Rs")
        << QStringList {"Rossi", "rossini", "Russo"} << "R" << 60 << QStringList {"R:Rossi 0", "R:Russo 2"};
    QTest::newRow("lower-case answer prints as capitals") << QStringList {"Alberti", "Bruni", "Conti",
        "Zanetti"} << "ab z" << 60 << QStringList {"A:Alberti 0", "B:Bruni 1", "Z:Zanetti 3"};
    QTest::newRow("A and a star") << QStringList {"*Stella", "Alberti", "Bruni"} << "A*" << 60
                                  << QStringList {"*:*Stella 0", "A:Alberti 1"};
    QTest::newRow("empty last names print under any selection and share a section")
        << QStringList {"", "", "Bruni"} << "Z" << 60 << QStringList {":0,1"};
    QTest::newRow("a full page opens a new section with the same heading")
        << QStringList {"Abate", "Acerbi", "Adami", "Agnelli", "Alberti", "Bruni"} << "*" << 6
        << QStringList {"A:Abate 0,Acerbi 1", "A:Adami 2,Agnelli 3", "A:Alberti 4", "B:Bruni 5"};
    QTest::newRow("a row that does not fit whole goes under the next heading")
        << QStringList {"Abate", "Acerbi Buonarroti Simoni", "Adami", "Bruni"} << "*" << 6
        << QStringList {"A:Abate 0", "A:Acerbi Buonarroti Simoni,1", "A:Adami 2", "B:Bruni 3"};
}

void TestAgendaPrint::walk()
{
    QFETCH(QStringList, lastNames);
    QFETCH(QString, answer);
    QFETCH(int, linesPerPage);
    QFETCH(QStringList, documents);

    ScriptedPlatform platform;
    platform.linesPerPage = linesPerPage;
    const std::vector<ContactRecord> contacts = contactsNamed(lastNames);
    const QString selection = letterSelection(answer);
    QVERIFY(agendaHasRows(contacts, selection));
    std::unique_ptr<PrintJob> job = platform.beginPrinting(QStringLiteral("Agenda"));
    QVERIFY(job);
    printAgenda(contacts, selection, *job);
    QCOMPARE(job->finish(), QString());

    QStringList printed;
    for (const ScriptedPlatform::Document &document : platform.documents)
        printed.append(describe(document));
    QCOMPARE(printed, documents);
}

void TestAgendaPrint::nothingSelected()
{
    ScriptedPlatform platform;
    const std::vector<ContactRecord> contacts = contactsNamed({"Alberti", "bianchi"});
    QVERIFY(!agendaHasRows(contacts, QStringLiteral("XYZ")));
    QVERIFY(!agendaHasRows({}, QStringLiteral("ABC")));
    std::unique_ptr<PrintJob> job = platform.beginPrinting(QStringLiteral("Agenda"));
    printAgenda(contacts, QStringLiteral("XYZ"), *job);
    QCOMPARE(job->finish(), QString());
    QVERIFY(platform.documents.isEmpty());
}

QTEST_GUILESS_MAIN(TestAgendaPrint)
#include "test_agendaprint.moc"
