// The three output commands of the main window: what they ask, what reaches the recording printer
// and the clipboard, and the window's state afterwards.
#include "PhoneFixture.h"
#include "tests/support/TestFiles.h"

#include "output/AgendaLayout.h"

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

    void cardPrintoutStopped_data();
    void cardPrintoutStopped();
    void cardPrintsBothBlocksAsTyped();
    void agendaPrintsNothing_data();
    void agendaPrintsNothing();
    void agendaPrintsFromTheRecordsAndReloads();
    void agendaAsksBeforeItWrites_data();
    void agendaAsksBeforeItWrites();
    void agendaPutsANewContactInTableOrder();
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

void TestPhoneOutput::cardPrintoutStopped_data()
{
    QTest::addColumn<MessageAnswer>("answer");
    QTest::addColumn<bool>("printerChosen");
    QTest::addColumn<QString>("failure");
    QTest::addColumn<int>("jobs");
    QTest::newRow("Annulla to the question") << MessageAnswer::Cancel << true << "" << 0;
    QTest::newRow("printer dialog cancelled") << MessageAnswer::Ok << false << "" << 1;
    QTest::newRow("printer failure") << MessageAnswer::Ok << true << "la stampante è spenta." << 1;
}

void TestPhoneOutput::cardPrintoutStopped()
{
    QFETCH(MessageAnswer, answer);
    QFETCH(bool, printerChosen);
    QFETCH(QString, failure);
    QFETCH(int, jobs);
    addRossi();
    f->load();
    f->platform.messageAnswers.enqueue(answer);
    f->platform.printerChosen = printerChosen;
    f->platform.printFailure = failure;
    f->trigger(QStringLiteral("FileStampaMaschera"));
    const MessageRequest &asked = f->platform.messages.first();
    QCOMPARE(asked.text, QStringLiteral("Controllare la stampante e premere <OK> per stampare la scheda corrente, "
                                        "premere <Annulla> per NON stampare"));
    QCOMPARE(asked.buttons, MessageButtons::OkCancel);
    QCOMPARE(asked.defaultAnswer, MessageAnswer::Ok);
    QCOMPARE(f->platform.printJobs.size(), jobs);
    QCOMPARE(f->platform.messages.size(), failure.isEmpty() ? 1 : 2);
    if (!failure.isEmpty())
        QVERIFY2(f->platform.messages.last().text.contains(failure), qPrintable(f->platform.messages.last().text));
    else
        QVERIFY(f->platform.documents.isEmpty());
}

// Both blocks of the card as the boxes hold them, compared whole with the golden printout.
void TestPhoneOutput::cardPrintsBothBlocksAsTyped()
{
    const qint64 id = addRossi();
    f->load();
    f->click(QStringLiteral("Command3d1"));
    f->type(QStringLiteral("tPhone_1"), QStringLiteral(" 2"));
    f->trigger(QStringLiteral("FileStampaMaschera"));
    QCOMPARE(f->platform.documents.size(), 1);
    const QString golden = QStringLiteral(RUBRELLO_TEST_DATA "/app/card_rossi.txt");
    QVERIFY2(QFile::exists(golden), qPrintable(golden));
    QCOMPARE(f->platform.documents.first().join(u'\n') + u'\n', QString::fromUtf8(fileBytes(golden)));
    // Printing writes nothing: the stored record still holds the old number.
    QCOMPARE(f->test.store().read(id)->text(Field::HomePhone), QStringLiteral("039 111"));
}

void TestPhoneOutput::agendaPrintsNothing_data()
{
    QTest::addColumn<bool>("empty");
    QTest::addColumn<QString>("letters");
    QTest::addColumn<bool>("reloaded");
    QTest::newRow("Annulla") << false << "" << false;
    QTest::newRow("no contact under the letters") << false << "xyz" << true;
    QTest::newRow("empty table") << true << "*" << true;
}

// No printer is asked for and nothing printed; a printout that went ahead reloads the window.
void TestPhoneOutput::agendaPrintsNothing()
{
    QFETCH(bool, empty);
    QFETCH(QString, letters);
    QFETCH(bool, reloaded);
    const qint64 bruni = empty ? 0 : f->test.add(QStringLiteral("Bruni"), QStringLiteral("Bruno"));
    if (!empty)
        f->test.add(QStringLiteral("Alberti"), QStringLiteral("Anna"));
    f->load();
    if (!empty)
        QVERIFY(f->data().FindFirst(ById{bruni}));
    f->platform.inputAnswers.enqueue(letters);
    f->trigger(QStringLiteral("FileStampaAgenda"));
    QCOMPARE(f->platform.inputs.size(), 1);
    QCOMPARE(f->platform.inputs.first().prompt, AgendaPrompt);
    QCOMPARE(f->platform.inputs.first().defaultText, QStringLiteral("*"));
    QVERIFY(f->platform.inputs.first().title.isEmpty());
    QVERIFY(f->platform.printJobs.isEmpty() && f->platform.messages.isEmpty());
    if (!empty)
        QCOMPARE(f->data().currentId() == bruni, !reloaded);
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
    QVERIFY(f->data().FindFirst(ById {russo}));
    f->platform.inputAnswers.enqueue(QStringLiteral("r"));
    f->trigger(QStringLiteral("FileStampaAgenda"));

    QCOMPARE(f->platform.printJobs.size(), 1);
    QCOMPARE(agendaNames(f->platform.documents), QStringLiteral("Rossi Mario|Russo Ugo"));
    QCOMPARE(f->platform.documents.at(0).mid(0, 4), agendaHeading(QStringLiteral("R")));
    QCOMPARE(f->platform.documents.at(1).mid(4).size(), 2);
    QCOMPARE(f->platform.documents.at(1).at(4).right(13), QStringLiteral("3331234567890"));
    QCOMPARE(f->platform.documents.at(1).at(5).right(13), QStringLiteral("          123"));
    // Form_Load has run: the window is back on the first contact of the table.
    QCOMPARE(f->data().currentId(), f->data().Clone().rows().front().id);
    QVERIFY(f->data().currentId() != russo);
    Q_UNUSED(first);
}

void TestPhoneOutput::agendaAsksBeforeItWrites_data()
{
    QTest::addColumn<MessageAnswer>("answer");
    QTest::addColumn<QString>("printed");
    QTest::newRow("yes: printed as saved") << MessageAnswer::Yes << "         0612";
    QTest::newRow("no: printed as stored") << MessageAnswer::No << "          061";
}

void TestPhoneOutput::agendaAsksBeforeItWrites()
{
    QFETCH(MessageAnswer, answer);
    QFETCH(QString, printed);
    const qint64 bruni = f->test.add(QStringLiteral("Bruni"), QStringLiteral("Bruno"), {{Field::WorkPhone, "061"}});
    f->test.add(QStringLiteral("Alberti"), QStringLiteral("Anna"));
    f->load();
    QVERIFY(f->data().FindFirst(ById{bruni}));
    f->click(QStringLiteral("Label1"));
    f->type(QStringLiteral("tPhone_0"), QStringLiteral("2"));
    f->platform.messageAnswers.enqueue(answer);
    f->platform.inputAnswers.enqueue(QStringLiteral("*"));
    f->trigger(QStringLiteral("FileStampaAgenda"));
    QCOMPARE(f->platform.messages.first().text, QStringLiteral("Vuoi salvare le modifiche apportate?"));
    QCOMPARE(f->test.store().read(bruni)->text(Field::WorkPhone), answer == MessageAnswer::Yes ? "0612" : "061");
    QCOMPARE(f->platform.documents.size(), 2);
    QCOMPARE(f->platform.documents.at(1).at(4).mid(26, 13), printed);
    QVERIFY(!f->phone->hasPendingEdit());
}

void TestPhoneOutput::agendaPutsANewContactInTableOrder()
{
    f->test.add(QStringLiteral("Bruni"), QStringLiteral("Bruno"));
    f->test.add(QStringLiteral("Conti"), QStringLiteral("Carla"));
    f->load();
    f->newContact(QStringLiteral("Bassi"), QStringLiteral("Bea"));
    f->platform.inputAnswers.enqueue(QStringLiteral("*"));
    f->trigger(QStringLiteral("FileStampaAgenda"));
    // Written by the first move, the new contact is printed where the table order puts it.
    QCOMPARE(agendaNames(f->platform.documents), QStringLiteral("Bassi Bea,Bruni Bruno|Conti Carla"));
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
        f->click(page == u'L' ? QStringLiteral("Command3d2") : page == u'C' ? QStringLiteral("Command3d1") : QStringLiteral("Command3d3"));
    }
    f->click(QStringLiteral("CmdCopia"));
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
    f->trigger(QStringLiteral("FileCopia"));
    QVERIFY(f->platform.clipboard.isEmpty());
    QCOMPARE(f->platform.messages.size(), 1);
    QVERIFY(!f->platform.messages.first().text.contains(QStringLiteral("è stato copiato nella clipboard")));
    QCOMPARE(f->platform.messages.first().icon, MessageIcon::Exclamation);
}

QTEST_MAIN(TestPhoneOutput)
#include "test_phone_output.moc"
