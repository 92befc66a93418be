// rubrello-cli as scripts run it: the real program on a store, its output, its errors and its exit
// statuses, also while another program is writing the store.
#include "contacts/SqliteRows.h"
#include "tests/support/TestStore.h"

#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

struct Run
{
    int status = -1;
    QString out;
    QString err;
};

Run cli(const QStringList &arguments)
{
    QProcess program;
    program.start(QStringLiteral(RUBRELLO_CLI), arguments);
    program.waitForFinished(20000);
    return {program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1,
        QString::fromUtf8(program.readAllStandardOutput()),
        QString::fromUtf8(program.readAllStandardError())};
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        files = std::make_unique<TestStore>();
        files->add("Rossi", "Mario", {{Field::WorkPhone, "02 1234567"}, {Field::Note, "amico di Anna"}});
        files->add("Bianchi", "Anna",
            {{Field::Cellulare, "+39 347-1234567"}, {Field::Internet, "anna@example.org"},
                {Field::Azienda, "ACME"}, {Field::HomeFax, "0039 02/1234567"}});
    }

    void commands_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out"); // the whole output
        QTest::addColumn<QString>("err"); // a part of the errors
        const auto row
            = [](const char *name, const QStringList &arguments, int status, const QString &out,
                  const QString &err = {}) { QTest::newRow(name) << arguments << status << out << err; };
        row("a number in every written form", {"who", "+39 02 1234567"}, 0,
            "Bianchi, Anna — Fax Casa\nRossi, Mario — Telefono Lavoro\n");
        row("a mobile without its prefix", {"who", "3471234567"}, 0, "Bianchi, Anna — Cellulare\n");
        row("another country's number is another number", {"who", "+44 347 1234567"}, 1, "",
            "Nessun contatto");
        row("no digits", {"who", "Rossi"}, 2, "", "cifre");
        row("a shared number makes a group", {"duplicates"}, 0,
            "Stesso numero +39 02 123 4567\n  2  Bianchi, Anna\n  1  Rossi, Mario\n");
        row("duplicates with an argument", {"duplicates", "x"}, 2, "", "argomenti");
        row("search in all fields, in the tree's order", {"search", "anna"}, 0,
            "Bianchi, Anna\nRossi, Mario\n");
        row("search without the notes", {"search", "--scope", "1", "anna"}, 0, "Bianchi, Anna\n");
        row("search with case", {"search", "--case", "Anna"}, 0, "Bianchi, Anna\nRossi, Mario\n");
        row("search with case, lower", {"search", "--case", "--scope", "2", "anna"}, 0, "Bianchi, Anna\n");
        row("the whole agenda", {"search", "*"}, 0, "Bianchi, Anna\nRossi, Mario\n");
        row("nothing found", {"search", "zzz"}, 1, "", "Nessun contatto");
        row("the mail client's query", {"search", "--format", "mutt", "anna"}, 0,
            "Rubrello: 1 indirizzo trovato\nanna@example.org\tAnna Bianchi\tACME\n");
        row("a card", {"show", "1"}, 0, "", "");
        row("no such card", {"show", "99"}, 1, "", "99");
        row("not an id", {"show", "uno"}, 2, "", "ID");
        row("no command", {}, 2, "", "manca il comando");
        row("unknown command", {"frob", "x"}, 2, "", "comando sconosciuto");
        row("scope out of range", {"search", "--scope", "4", "x"}, 2, "", "--scope");
        row("option of another command", {"who", "--case", "1"}, 2, "", "search");
        row("unknown format", {"search", "--format", "csv", "x"}, 2, "", "mutt");
        row("a dry run of a reading command", {"who", "--dry-run", "1"}, 2, "", "--dry-run");
        row("export in no format", {"export"}, 2, "", "--vcard oppure --csv");
        row("export in an unknown version", {"export", "--vcard", "--version", "2.1"}, 2, "", "--version");
        row("update for another command", {"search", "--update", "x"}, 2, "", "--update");
        row("a sync without an account", {"sync"}, 1, "", "rubrello-cli account");
        row("an account without its user", {"account", "--url", "dav.example.org"}, 2, "", "--user");
        row("an account option for another command", {"sync", "--url", "x"}, 2, "", "account");
        row("an interval out of range", {"account", "--interval", "-5"}, 2, "", "--interval");
        row("labels without their file", {"labels"}, 2, "", "labels vuole il file PDF");
        row("an unknown label sheet", {"labels", "--sheet", "9x9", "x.pdf"}, 2, "", "sconosciuto");
        row("a sheet measured off the paper", {"labels", "--sheet", "custom:3x8:70x37:0:10:70:37", "x.pdf"},
            2, "", "escono dal foglio");
        row("a start past the sheet's last label", {"labels", "--start", "25", "x.pdf"}, 2, "", "da 1 a 24");
        row("an envelope's option for labels", {"labels", "--c5", "x.pdf"}, 2, "", "envelope");
        row("a label sheet for another command", {"search", "--sheet", "3x8", "x"}, 2, "", "labels");
        row("an envelope without its file", {"envelope", "1"}, 2, "", "l'ID del contatto e il file");
        row("an envelope for no one", {"envelope", "99", "x.pdf"}, 1, "", "99");
        row("labels for an agenda without addresses", {"labels", "x.pdf"}, 1, "",
            "Saltati 2 contatti senza indirizzo di lavoro");
        row("the search's hits as vCard", {"export", "--vcard", "--search", "bianchi"}, 0,
            "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Anna Bianchi\r\nN:Bianchi;Anna;;;\r\nORG:ACME\r\n"
            "TEL;TYPE=cell:+39 347-1234567\r\nTEL;TYPE=home,fax:0039 02/1234567\r\nEMAIL:anna@example.org\r\n"
            "END:VCARD\r\n");
    }

    void commands()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, err);
        const Run run = cli(QStringList{"--store", files->path()} + arguments);
        QCOMPARE(run.status, status);
        if (arguments.value(0) == u"show"_s && status == 0)
            QVERIFY2(
                run.out.contains(u"Scheda personale di : Rossi Mario"_s) && run.out.contains(u"02 1234567"_s),
                qPrintable(run.out));
        else
            QCOMPARE(run.out, out);
        QVERIFY2(run.err.contains(err), qPrintable(run.err));
        QCOMPARE(run.err.isEmpty(), status == 0);
    }

    // Reading never makes an agenda; --help says how to use it, in Italian.
    void missingStoreAndHelp()
    {
        const QString missing = files->directory() + u"/altra.MDB"_s;
        const Run run = cli({"--store", missing, "who", "021234567"});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(u"non esiste"_s), qPrintable(run.err));
        QVERIFY(!QFile::exists(missing));
        // A question leaves the agenda as it was, even one without the program's lookup tables.
        QCOMPARE(cli({"--store", files->path(), "who", "021234567"}).status, 0);
        SqliteRows tables(files->store().connection(), "SELECT count(*) FROM sqlite_master");
        QVERIFY(tables.next() && tables.integer(0) == 2); // PhoneList and its sequence
        const Run help = cli({"--help"});
        QCOMPARE(help.status, 0);
        QVERIFY(help.out.startsWith(u"Uso: rubrello-cli"_s) && help.err.isEmpty());
    }

    // A vCard file comes in once: a second import finds its contact already there; a first-version
    // file given to import goes the way of import-first-version.
    void importsByContent()
    {
        const QString vcf = QStringLiteral(RUBRELLO_TEST_DATA "/vcard/gmail-single.vcf");
        QCOMPARE(cli({"--store", files->path(), "import", "--dry-run", vcf}).out,
            u"1 contatto nuovo, 0 già presenti.\nProva: l'agenda non è stata modificata.\n"_s);
        QCOMPARE(cli({"--store", files->path(), "import", vcf}).status, 0);
        const Run again = cli({"--store", files->path(), "import", vcf});
        QCOMPARE(again.out, u"Importati 0 contatti, aggiornati 0, saltato 1 già presente.\n"_s);
        // What fills no box (a nickname, a job title) is found by the searches that look everywhere.
        QCOMPARE(cli({"--store", files->path(), "search", "gman"}).out, u"Dartmouth, Greg\n"_s);
        QCOMPARE(
            cli({"--store", files->path(), "search", "--scope", "1", "THEJOB"}).out, u"Dartmouth, Greg\n"_s);
        QCOMPARE(cli({"--store", files->path(), "search", "--scope", "2", "thejob"}).status, 1);
        QCOMPARE(cli({"--store", files->path(), "search", "--case", "thejob"}).status, 1);
        QCOMPARE(files->store().count(), 3);
        const QString text = files->directory() + u"/NUMBO.TXT"_s;
        QFile file(text);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("Neri Ugo").leftJustified(54) + "06 7654321\r\n");
        file.close();
        QCOMPARE(cli({"--store", files->path(), "import", text}).out, u"Importato 1 contatto.\n"_s);
        const QString csv = files->directory() + u"/agenda.csv"_s;
        QCOMPARE(cli({"--store", files->path(), "export", "--csv", csv}).out, u"Esportati 4 contatti.\n"_s);
        QVERIFY(QFile(csv).size() > 0);
    }

    // Beside the window writing: a reader sees what is committed and is not held up; an import
    // waits for the window's write and then goes in.
    void besideAWritingWindow()
    {
        {
            ContactStore::Batch writing(files->store());
            files->add("Verdi", "Luca", {{Field::Cellulare, "333 1111111"}});
            QCOMPARE(cli({"--store", files->path(), "who", "3331111111"}).status, 1);
            QCOMPARE(cli({"--store", files->path(), "who", "021234567"}).status, 0);
            QVERIFY(writing.commit());
        }
        QCOMPARE(cli({"--store", files->path(), "who", "3331111111"}).out, u"Verdi, Luca — Cellulare\n"_s);

        const QString text = files->directory() + u"/NUMBO.TXT"_s;
        QFile file(text);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("Neri Ugo").leftJustified(54) + "06 7654321\r\n");
        file.close();
        {
            // The window holds the store longer than a writer waits for it: nothing goes in.
            ContactStore::Batch writing(files->store());
            files->add("Gialli", "Eva");
            const Run refused = cli({"--store", files->path(), "import-first-version", text});
            QCOMPARE(refused.status, 1);
            QVERIFY2(refused.err.contains(u"occupata"_s), qPrintable(refused.err));
        }
        const Run trial = cli({"--store", files->path(), "import-first-version", "--dry-run", text});
        QCOMPARE(trial.status, 0);
        QVERIFY2(trial.out.startsWith(u"Importato 1 contatto.\n"_s)
                && trial.out.contains(u"non è stata modificata"_s),
            qPrintable(trial.out));
        QCOMPARE(files->store().count(), 3);
        const Run import = cli({"--store", files->path(), "import-first-version", text});
        QCOMPARE(import.status, 0);
        QCOMPARE(import.out, u"Importato 1 contatto.\n"_s);
        QCOMPARE(files->store().count(), 4);
        // The import left the lookup tables made and up to date: the answers come from them now.
        SqliteRows waiting(files->store().connection(), "SELECT count(*) FROM RubrelloChanged");
        QVERIFY(waiting.next() && waiting.integer(0) == 0);
        QCOMPARE(cli({"--store", files->path(), "who", "067654321"}).out, u"Neri, Ugo — Telefono Lavoro\n"_s);
        QCOMPARE(cli({"--store", files->path(), "search", "--case", "Anna"}).out,
            u"Bianchi, Anna\nRossi, Mario\n"_s);
    }

    // Labels and an envelope as PDF files: what they print, read back by pdftotext, and what the
    // command says of the contacts left out and of an address too long for its label.
    void printouts()
    {
        const qint64 verdi = files->add("Verdi", "Luca",
            {{Field::Azienda, "Verdi & C."}, {Field::WorkAddress, "Via Nicolò Tommaseo 3\r\nScala B"},
                {Field::WorkPostalCode, "35131"}, {Field::WorkCity, "Padova"}, {Field::WorkProv, "pd"}});
        files->add("Gialli", "Eva",
            {{Field::WorkAddress, "Strada Provinciale della Valle del Fiume Chiampo, 1234"}});
        const QString labels = files->directory() + u"/etichette.pdf"_s;
        const Run run = cli({"--store", files->path(), "labels", "--sheet", "4x10", "--start", "4", labels});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out,
            u"2 etichette su 1 foglio (4 × 10 (45,7 × 25,4 mm) Avery L7654) in \"%1\".\n"_s.arg(labels));
        QVERIFY2(run.err.contains(u"Saltati 2 contatti senza indirizzo di lavoro"_s), qPrintable(run.err));
        QVERIFY2(run.err.contains(u"1 indirizzo non sta nell'etichetta nemmeno a 6 punti ed esce dai bordi:\n"
                                  "  Gialli, Eva\n"_s),
            qPrintable(run.err));
        QVERIFY2(pdfText(labels).contains(
                     u"Verdi & C.\nLuca Verdi\nVia Nicolò Tommaseo 3\nScala B\n35131 Padova (PD)"_s),
            qPrintable(pdfText(labels)));

        const Run found = cli({"--store", files->path(), "labels", "--search", "padova", labels});
        QCOMPARE(found.status, 0);
        QVERIFY(found.out.startsWith(u"1 etichetta su 1 foglio (3 × 8 (70 × 37 mm)"_s));
        QCOMPARE(found.err, QString());

        const QString envelope = files->directory() + u"/busta.pdf"_s;
        const Run c5 = cli({"--store", files->path(), "envelope", QString::number(verdi), envelope, "--c5",
            "--sender", "Anna Bianchi | Via Po 1"});
        QCOMPARE(c5.status, 0);
        QCOMPARE(c5.out, u"Busta C5 per Verdi, Luca in \"%1\".\n"_s.arg(envelope));
        const QString text = pdfText(envelope);
        QVERIFY2(text.contains(u"Anna Bianchi\nVia Po 1"_s)
                && text.contains(u"Luca Verdi\nVia Nicolò Tommaseo 3"_s),
            qPrintable(text));
        const Run nowhere = cli({"--store", files->path(), "envelope", "1", envelope, "--home"});
        QCOMPARE(nowhere.status, 1);
        QVERIFY2(
            nowhere.err.contains(u"Rossi, Mario non ha un indirizzo di casa"_s), qPrintable(nowhere.err));
    }

private:
    static QString pdfText(const QString &pdf)
    {
        QProcess reader;
        reader.start(u"pdftotext"_s, {pdf, u"-"_s});
        reader.waitForFinished(20000);
        return QString::fromUtf8(reader.readAllStandardOutput());
    }

    std::unique_ptr<TestStore> files;
};

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
