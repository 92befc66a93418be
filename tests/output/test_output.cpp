// The printed card, the printed agenda and the address text, for the contacts of a fixture, compared
// whole with a golden file; the notes wrapping and the walk of the agenda over letters and pages.
#include "output/AddressText.h"
#include "output/AgendaLayout.h"
#include "output/AgendaPrint.h"
#include "output/CardLayout.h"
#include "tests/support/ScriptedPlatform.h"
#include "tests/support/TestStore.h"
#include "tests/text/ContactTable.h"

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

} // namespace

class TestOutput : public QObject
{
    Q_OBJECT
private slots:
    void layoutsOfEveryContact()
    {
        QString printed = u"== agenda heading\n"_s + shown(agendaHeading(u"R"_s));
        for (const auto &[name, contact] : readContactTable("output/contacts.tsv")) {
            printed += "== " + name + "\n" + shown(cardLines(contact)) + "-- agenda row\n"
                + shown(agendaRow(contact)) + "-- Lavoro address\n" + shown({addressText(contact, true)})
                + "-- Casa address\n" + shown({addressText(contact, false)});
        }
        compareWithGolden(printed, "output/layouts.txt");
    }

    void wrapNotes_data() { addCaseRows("output/notes.tsv"); }
    void wrapNotes()
    {
        const auto [notes, lines] = caseValues<2>();
        QCOMPARE(::wrapNotes(utf8(notes)).join('|') + '|', utf8(lines));
    }

    void agendaWalk_data() { addCaseRows("output/agenda.tsv"); }
    void agendaWalk()
    {
        const auto [lastNames, answer, linesPerPage, documents] = caseValues<4>();
        ScriptedPlatform platform;
        platform.linesPerPage = linesPerPage.toInt();
        std::vector<ContactRecord> contacts;
        for (const QString &lastName : utf8(lastNames).split(','))
            contacts.push_back(makeRecord(
                {{Field::LastName, lastName}, {Field::FirstName, QString::number(contacts.size())}}));
        const QString selection = letterSelection(utf8(answer));
        QCOMPARE(agendaHasRows(contacts, selection), !documents.isEmpty());
        std::unique_ptr<PrintJob> job = platform.beginPrinting(u"Agenda"_s);
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
        QCOMPARE(printed.join(';'), utf8(documents));
    }
};

QTEST_GUILESS_MAIN(TestOutput)
#include "test_output.moc"
