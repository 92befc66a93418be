// The printed card, the printed agenda and the address text, for the contacts of a fixture, compared
// whole with a golden file; the notes wrapping and the walk of the agenda over letters and pages.
#include "output/AddressText.h"
#include "output/AgendaLayout.h"
#include "output/AgendaPrint.h"
#include "output/CardLayout.h"
#include "tests/support/ScriptedPlatform.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestStore.h"
#include "tests/text/CaseTable.h"

using namespace Qt::StringLiterals;

namespace {

// Each line made visible: escapes for the control characters, a '|' after its last blank.
QString shown(const QStringList &lines)
{
    QString text;
    for (QString line : lines)
        text += line.replace('\\', "\\\\").replace('\r', "\\r").replace('\n', "\\n").replace('\t', "\\t")
            + "|\n";
    return text;
}

std::vector<ContactRecord> contactsNamed(const QStringList &lastNames)
{
    std::vector<ContactRecord> contacts;
    for (qsizetype i = 0; i < lastNames.size(); ++i)
        contacts.push_back(
            makeRecord({{Field::LastName, lastNames.at(i)}, {Field::FirstName, QString::number(i)}}));
    return contacts;
}

} // namespace

class TestOutput : public QObject
{
    Q_OBJECT
private slots:
    void layoutsOfEveryContact();
    void wrapNotes_data() { addCaseRows("output/notes.tsv", {"notes", "lines"}); }
    void wrapNotes();
    void agendaWalk_data();
    void agendaWalk();
};

void TestOutput::layoutsOfEveryContact()
{
    QFile fixture(QStringLiteral(RUBRELLO_TEST_DATA "/output/contacts.tsv"));
    QVERIFY(fixture.open(QIODevice::ReadOnly));
    QString printed = u"== agenda heading\n"_s + shown(agendaHeading(u"R"_s));
    while (!fixture.atEnd()) {
        const QList<QByteArray> values = fixture.readLine().chopped(1).split('\t');
        if (values.first().startsWith('#'))
            continue;
        QCOMPARE(values.size(), FieldCount);
        ContactRecord contact;
        for (int i = 1; i < FieldCount; ++i) {
            if (!values.at(i).isEmpty())
                contact.setValue(Field(i), utf8(unescapeCase(values.at(i))));
        }
        printed += "== " + utf8(values.first()) + "\n" + shown(cardLines(contact)) + "-- agenda row\n"
            + shown(agendaRow(contact)) + "-- Lavoro address\n" + shown({addressText(contact, true)})
            + "-- Casa address\n" + shown({addressText(contact, false)});
    }
    const QString goldenPath = QStringLiteral(RUBRELLO_TEST_DATA "/output/layouts.txt");
    if (qEnvironmentVariableIsSet("RUBRELLO_WRITE_GOLDEN"))
        writeBytes(goldenPath, printed.toUtf8());
    QCOMPARE(printed.split('\n'), QString::fromUtf8(fileBytes(goldenPath)).split('\n'));
}

void TestOutput::wrapNotes()
{
    QFETCH(QByteArray, notes);
    QFETCH(QByteArray, lines);
    QCOMPARE(::wrapNotes(utf8(notes)).join('|') + '|', utf8(lines));
}

void TestOutput::agendaWalk_data()
{
    QTest::addColumn<QStringList>("lastNames");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("linesPerPage");
    QTest::addColumn<QStringList>("documents");
    const auto row = [](const char *name, const QStringList &lastNames, const char *answer, int lines,
                         const QStringList &documents) {
        QTest::newRow(name) << lastNames << QString::fromUtf8(answer) << lines << documents;
    };
    row("letters in table order, one document each", {"Alberti", "Amato", "Bruni", "Conti"}, "*", 60,
        {"A:Alberti 0,Amato 1", "B:Bruni 2", "C:Conti 3"});
    row("star leaves out digits, accents, lower case and signs",
        {"3M", "Alberti", "Èrcole", "bianchi", "Bruni", "_x"}, "*", 60, {"A:Alberti 1", "B:Bruni 4"});
    row("rossini is skipped but parts the Rs", {"Rossi", "rossini", "Russo"}, "R", 60,
        {"R:Rossi 0", "R:Russo 2"});
    row("lower-case answer prints as capitals", {"Alberti", "Bruni", "Conti", "Zanetti"}, "ab z", 60,
        {"A:Alberti 0", "B:Bruni 1", "Z:Zanetti 3"});
    row("A and a star", {"*Stella", "Alberti", "Bruni"}, "A*", 60, {"*:*Stella 0", "A:Alberti 1"});
    row("two stars are no alphabet", {"*Stella", "Alberti"}, "**", 60, {"*:*Stella 0"});
    row("accented letters upper-cased", {"èrcole", "Èrcole"}, "è", 60, {"È:Èrcole 1"});
    row("empty last names print under any selection, in one section", {"", "", "Bruni"}, "Z", 60, {":0,1"});
    row("a full page opens a new section with the same heading",
        {"Abate", "Acerbi", "Adami", "Agnelli", "Alberti", "Bruni"}, "*", 6,
        {"A:Abate 0,Acerbi 1", "A:Adami 2,Agnelli 3", "A:Alberti 4", "B:Bruni 5"});
    row("a row that does not fit whole goes under the next heading",
        {"Abate", "Acerbi Buonarroti Simoni", "Adami", "Bruni"}, "*", 6,
        {"A:Abate 0", "A:Acerbi Buonarroti Simoni,1", "A:Adami 2", "B:Bruni 3"});
    row("nothing selected prints nothing", {"Alberti", "bianchi"}, "XYZ", 60, {});
}

void TestOutput::agendaWalk()
{
    QFETCH(QStringList, lastNames);
    QFETCH(QString, answer);
    QFETCH(int, linesPerPage);
    QFETCH(QStringList, documents);
    ScriptedPlatform platform;
    platform.linesPerPage = linesPerPage;
    const std::vector<ContactRecord> contacts = contactsNamed(lastNames);
    const QString selection = letterSelection(answer);
    QCOMPARE(agendaHasRows(contacts, selection), !documents.isEmpty());
    std::unique_ptr<PrintJob> job = platform.beginPrinting(u"Agenda"_s);
    QVERIFY(job);
    printAgenda(contacts, selection, *job);
    QCOMPARE(job->finish(), QString());
    // Each document as "letter:row name,row name", once its heading is found whole.
    QStringList printed;
    for (const ScriptedPlatform::Document &document : platform.documents) {
        const QString letter = document.value(0).section('(', -1).chopped(1);
        QCOMPARE(document.mid(0, 4), agendaHeading(letter));
        QStringList names;
        for (const QString &line : document.mid(4))
            names.append(line.left(26).trimmed());
        printed.append(letter + ':' + names.join(','));
    }
    QCOMPARE(printed, documents);
}

QTEST_GUILESS_MAIN(TestOutput)
#include "test_output.moc"
