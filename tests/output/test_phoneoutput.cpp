// The three output commands of the main window: what they ask, what reaches the recording printer
// and the clipboard, and the window's state afterwards.
#include "tests/support/Typing.h"
#include "tests/app/PhoneFixture.h"

#include "output/AddressText.h"
#include "output/AgendaLayout.h"
#include "output/CardLayout.h"

#include <QAction>
#include <QToolButton>

namespace {

const QString AgendaPrompt = QStringLiteral(
    "Controllare la stampante e cliccare su <OK> per stampare l'agenda telefonica, se si vogliono stampare "
    "solo alcune lettere (1 lettera = 1 o piu' pagine) digitarle nella riga di input (ad es. ABCZ, * = tutta "
    "l'agenda), cliccare su <Annulla> per NON stampare");

// The name column of every agenda row of every document, "|" between documents; the lines that
// carry on a long number have a blank name column and are left out.
QString agendaNames(const QList<ScriptedUiPlatform::Document> &documents)
{
    QStringList parts;
    for (const ScriptedUiPlatform::Document &document : documents) {
        QStringList names;
        for (const QString &row : document.mid(4)) {
            if (!row.left(26).trimmed().isEmpty())
                names.append(row.left(26).trimmed());
        }
        parts.append(names.join(QLatin1Char(',')));
    }
    return parts.join(QLatin1Char('|'));
}

} // namespace

class TestPhoneOutput : public QObject
{
    Q_OBJECT
private slots:
    void init() { f = std::make_unique<PhoneFixture>(); }
    void cleanup() { f.reset(); }

    void cardCancelPrintsNothing();
    void cardPrintsBothBlocksAsTyped();
    void cardPrinterDialogCancelled();
    void cardFailureIsReported();
    void agendaCancelChangesNothing();
    void agendaPrintsFromTheRecordsAndReloads();
    void agendaWritesPendingChangesFirst();
    void agendaPutsANewContactInTableOrder();
    void agendaOnAnEmptyTable();
    void agendaWithNoMatchAsksNoPrinter();
    void copyTakesThePageOnView_data();
    void copyTakesThePageOnView();
    void copyWithoutClipboard();

private:
    qint64 addRossi();
    std::unique_ptr<PhoneFixture> f;
};

qint64 TestPhoneOutput::addRossi()
{
    return f->test.add(QStringLiteral("Rossi"), QStringLiteral("Mario"),
        {{Field::Azienda, QStringLiteral("  Perù S.r.l. ")},
            {Field::WorkAddress, QStringLiteral("Via Roma 1")},
            {Field::WorkPostalCode, QStringLiteral("20100")}, {Field::WorkCity, QStringLiteral("Milano")},
            {Field::WorkProv, QStringLiteral("MI")}, {Field::WorkPhone, QStringLiteral("02 1234")},
            {Field::HomeAddress, QStringLiteral("Corso Italia 5")},
            {Field::HomePostalCode, QStringLiteral("20900")}, {Field::HomeCity, QStringLiteral("Monza")},
            {Field::HomeProv, QStringLiteral("MB")}, {Field::HomePhone, QStringLiteral("039 111")},
            {Field::Note, QStringLiteral("Nota")}});
}

void TestPhoneOutput::cardCancelPrintsNothing()
{
    addRossi();
    f->load();
    f->platform.messageAnswers.enqueue(MessageAnswer::Cancel);
    f->phone->FileStampaMaschera->trigger();
    QCOMPARE(f->platform.messages.size(), 1);
    const MessageRequest &asked = f->platform.messages.first();
    QCOMPARE(asked.text,
        QStringLiteral("Controllare la stampante e premere <OK> per stampare la scheda corrente, "
                       "premere <Annulla> per NON stampare"));
    QCOMPARE(asked.buttons, MessageButtons::OkCancel);
    QCOMPARE(asked.icon, MessageIcon::None);
    QCOMPARE(asked.defaultAnswer, MessageAnswer::Ok);
    QVERIFY(asked.title.isEmpty());
    QVERIFY(f->platform.printJobs.isEmpty());
    QVERIFY(f->platform.documents.isEmpty());
}

void TestPhoneOutput::cardPrintsBothBlocksAsTyped()
{
    const qint64 id = addRossi();
    f->load();
    f->phone->Command3d1_Click(); // Casa page on view
    f->phone->tPhone[1]->end(false);
    typeInto(f->phone->tPhone[1], QStringLiteral(" 2"));
    f->phone->FileStampaMaschera_Click();

    QCOMPARE(f->platform.printJobs.size(), 1);
    QCOMPARE(f->platform.documents.size(), 1);
    const QStringList lines = f->platform.documents.first();
    QCOMPARE(lines.mid(0, 2),
        (QStringList {QStringLiteral("----------------------------------"),
            QStringLiteral("Agenda telefonica  - Rubrello     ")}));
    QCOMPARE(lines.at(4), QStringLiteral("Scheda personale di : Rossi Mario"));
    QCOMPARE(lines.at(6), QStringLiteral("Lavoro:    Perù S.r.l. "));
    QCOMPARE(lines.at(8), QStringLiteral("20100 Milano MI"));
    QCOMPARE(lines.at(9), QStringLiteral("Tel.lavoro : 02 1234"));
    QCOMPARE(lines.at(16), QStringLiteral("20900 Monza MB"));
    QCOMPARE(lines.at(18), QStringLiteral("Tel.casa : 039 111 2"));
    QCOMPARE(lines.mid(21), (QStringList {QStringLiteral("Note:"), QStringLiteral("Nota")}));
    // Printing writes nothing: the stored record still holds the old number.
    QCOMPARE(f->test.store().read(id)->text(Field::HomePhone), QStringLiteral("039 111"));
}

void TestPhoneOutput::cardPrinterDialogCancelled()
{
    addRossi();
    f->load();
    f->platform.printerChosen = false;
    f->phone->FileStampaMaschera_Click();
    QCOMPARE(f->platform.printJobs.size(), 1);
    QVERIFY(f->platform.documents.isEmpty());
    QCOMPARE(f->platform.messages.size(), 1); // the confirmation only
}

void TestPhoneOutput::cardFailureIsReported()
{
    addRossi();
    f->load();
    f->platform.printFailure = QStringLiteral("la stampante è spenta.");
    f->phone->FileStampaMaschera_Click();
    QCOMPARE(f->platform.messages.size(), 2);
    QVERIFY2(f->platform.messages.last().text.contains(QStringLiteral("la stampante è spenta.")),
        qPrintable(f->platform.messages.last().text));
}

void TestPhoneOutput::agendaCancelChangesNothing()
{
    f->test.add(QStringLiteral("Alberti"), QStringLiteral("Anna"));
    const qint64 bruni = f->test.add(QStringLiteral("Bruni"), QStringLiteral("Bruno"));
    f->load();
    QVERIFY(f->phone->Data1->FindFirst(ById {bruni}));
    f->platform.inputAnswers.enqueue(QString());
    f->phone->FileStampaAgenda->trigger();
    QCOMPARE(f->platform.inputs.size(), 1);
    QCOMPARE(f->platform.inputs.first().prompt, AgendaPrompt);
    QCOMPARE(f->platform.inputs.first().defaultText, QStringLiteral("*"));
    QVERIFY(f->platform.inputs.first().title.isEmpty());
    QVERIFY(f->platform.printJobs.isEmpty());
    QCOMPARE(f->phone->Data1->currentId(), bruni);
}

void TestPhoneOutput::agendaPrintsFromTheRecordsAndReloads()
{
    const qint64 first = f->test.add(
        QStringLiteral("Rossi"), QStringLiteral("Mario"), {{Field::WorkPhone, QStringLiteral("02 1")}});
    f->test.add(QStringLiteral("rossini"), QStringLiteral("Gino"));
    const qint64 russo = f->test.add(QStringLiteral("Russo"), QStringLiteral("Ugo"),
        {{Field::Cellulare, QStringLiteral("3331234567890123")}});
    f->test.add(QStringLiteral("Alberti"), QStringLiteral("Anna"));
    f->load();
    QVERIFY(f->phone->Data1->FindFirst(ById {russo}));
    f->platform.inputAnswers.enqueue(QStringLiteral("r"));
    f->phone->FileStampaAgenda_Click();

    QCOMPARE(f->platform.printJobs.size(), 1);
    QCOMPARE(agendaNames(f->platform.documents), QStringLiteral("Rossi Mario|Russo Ugo"));
    QCOMPARE(f->platform.documents.at(0).mid(0, 4), agendaHeading(QStringLiteral("R")));
    QCOMPARE(f->platform.documents.at(1).mid(4).size(), 2);
    QCOMPARE(f->platform.documents.at(1).at(4).right(13), QStringLiteral("3331234567890"));
    QCOMPARE(f->platform.documents.at(1).at(5).right(13), QStringLiteral("          123"));
    // Form_Load has run: the window is back on the first contact of the table.
    QCOMPARE(f->phone->Data1->currentId(), f->phone->Data1->Clone().rows().front().id);
    QVERIFY(f->phone->Data1->currentId() != russo);
    Q_UNUSED(first);
}

void TestPhoneOutput::agendaWritesPendingChangesFirst()
{
    const qint64 bruni = f->test.add(QStringLiteral("Bruni"), QStringLiteral("Bruno"));
    f->test.add(QStringLiteral("Alberti"), QStringLiteral("Anna"));
    f->load();
    QVERIFY(f->phone->Data1->FindFirst(ById {bruni}));
    f->phone->Label1_Click();
    typeInto(f->phone->tPhone[0], QStringLiteral("0612"));
    f->platform.inputAnswers.enqueue(QStringLiteral("*"));
    f->phone->FileStampaAgenda_Click();

    QCOMPARE(f->test.store().read(bruni)->text(Field::WorkPhone), QStringLiteral("0612"));
    QCOMPARE(f->platform.documents.size(), 2);
    QCOMPARE(f->platform.documents.at(1).at(4).mid(26, 13), QStringLiteral("         0612"));
}

void TestPhoneOutput::agendaPutsANewContactInTableOrder()
{
    f->test.add(QStringLiteral("Bruni"), QStringLiteral("Bruno"));
    f->test.add(QStringLiteral("Conti"), QStringLiteral("Carla"));
    f->load();
    f->phone->cNew_Click();
    typeInto(f->phone->tLName, QStringLiteral("Bassi"));
    typeInto(f->phone->tFName, QStringLiteral("Bea"));
    f->platform.inputAnswers.enqueue(QStringLiteral("*"));
    f->phone->FileStampaAgenda_Click();
    // Written by the first move, the new contact is printed where the table order puts it.
    QCOMPARE(agendaNames(f->platform.documents), QStringLiteral("Bassi Bea,Bruni Bruno|Conti Carla"));
}

void TestPhoneOutput::agendaOnAnEmptyTable()
{
    f->load();
    f->platform.inputAnswers.enqueue(QStringLiteral("*"));
    f->phone->FileStampaAgenda_Click();
    QVERIFY(f->platform.printJobs.isEmpty());
    QVERIFY(f->platform.documents.isEmpty());
    QVERIFY(f->platform.messages.isEmpty());
    QVERIFY(!f->phone->Data1->hasCurrent());
}

void TestPhoneOutput::agendaWithNoMatchAsksNoPrinter()
{
    f->test.add(QStringLiteral("Alberti"), QStringLiteral("Anna"));
    const qint64 bruni = f->test.add(QStringLiteral("Bruni"), QStringLiteral("Bruno"));
    f->load();
    QVERIFY(f->phone->Data1->FindFirst(ById {bruni}));
    f->platform.inputAnswers.enqueue(QStringLiteral("xyz"));
    f->phone->FileStampaAgenda_Click();
    QVERIFY(f->platform.printJobs.isEmpty());
    QVERIFY(f->phone->Data1->currentId() != bruni); // reloaded all the same
}

void TestPhoneOutput::copyTakesThePageOnView_data()
{
    QTest::addColumn<QString>("pages"); // the page buttons clicked, in order
    QTest::addColumn<QString>("expected");
    const QString work = QStringLiteral("Perù S.r.l.\r\nRossi Mario\r\nVia Roma 1\r\n20100 Milano MI ");
    const QString home = QStringLiteral("Rossi Mario\r\nCorso Italia 5\r\n20900 Monza MB ");
    QTest::newRow("Lavoro") << "L" << work;
    QTest::newRow("Casa") << "C" << home;
    QTest::newRow("Note after Casa") << "CN" << home;
    QTest::newRow("Note after Lavoro") << "CLN" << work;
}

void TestPhoneOutput::copyTakesThePageOnView()
{
    QFETCH(QString, pages);
    QFETCH(QString, expected);
    addRossi();
    f->load();
    for (const QChar page : pages) {
        if (page == QLatin1Char('L'))
            f->phone->Command3d2_Click();
        else if (page == QLatin1Char('C'))
            f->phone->Command3d1_Click();
        else
            f->phone->Command3d3_Click();
    }
    f->phone->CmdCopia->click();
    QCOMPARE(f->platform.clipboard, expected);
    QCOMPARE(f->platform.messages.size(), 1);
    QCOMPARE(f->platform.messages.first().text,
        expected
            + QStringLiteral("\r\rIl nome completo di indirizzo è stato copiato nella clipboard ed è "
                             "'incollabile' da un'altro applicativo Windows (ad es. Wordpad o Word ecc.)"));
    QCOMPARE(f->platform.messages.first().icon, MessageIcon::Information);
    QVERIFY(f->platform.messages.first().title.isEmpty());
}

void TestPhoneOutput::copyWithoutClipboard()
{
    addRossi();
    f->load();
    f->platform.clipboardAvailable = false;
    f->phone->FileCopia->trigger();
    QVERIFY(f->platform.clipboard.isEmpty());
    QCOMPARE(f->platform.messages.size(), 1);
    QVERIFY(!f->platform.messages.first().text.contains(QStringLiteral("è stato copiato nella clipboard")));
    QCOMPARE(f->platform.messages.first().icon, MessageIcon::Exclamation);
}

QTEST_MAIN(TestPhoneOutput)
#include "test_phoneoutput.moc"
