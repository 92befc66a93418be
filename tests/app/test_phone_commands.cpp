// The commands of the main window's menus: the printouts and the copy, the import and the dial
// dialog; what reaches the recording printer, the clipboard, the store and the dialer, the save that
// comes first, and each command stopped or failed. The rules they call have tests of their own.
#include "PhoneFixture.h"

#include "backup/BackupShelf.h"
#include "exchange/ContactExport.h"

#include "tests/support/TestFiles.h"
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

#include "ui/forms/Form1.h"

#include <QLabel>
#include <QPushButton>
#include <QSettings>

namespace {

// The name column of every agenda row of every document, "|" between documents.
QString agendaNames(const QList<ScriptedUiPlatform::Document> &documents)
{
    QStringList parts;
    for (const ScriptedUiPlatform::Document &document : documents) {
        QStringList names;
        for (const QString &row : document.mid(4))
            names.append(row.left(26).trimmed());
        parts.append(names.join(u','));
    }
    return parts.join(u'|');
}

} // namespace

class TestPhoneCommands : public PhoneTest
{
    Q_OBJECT
private slots:
    void init()
    {
        f = std::make_unique<PhoneFixture>();
        // No last import from another run; a home and a data folder of its own for every case.
        QSettings().remove(LastPath);
        qputenv("HOME", QFile::encodeName(f->test.directory()));
        qputenv("XDG_DATA_HOME", QFile::encodeName(f->test.directory() + "/data"));
        writeBytes(f->test.directory() + "/numbo.txt",
            QByteArray("Verdi Luca Via Po 3").leftJustified(54, ' ') + "011 556677\r\n"
                + QByteArray("Nicol\xF2 Anna").leftJustified(54, ' ') + "\r\n");
    }
    void cleanupTestCase() { QSettings().remove(LastPath); }

    void cardPrintout_data()
    {
        QTest::addColumn<MessageAnswer>("answer");
        QTest::addColumn<bool>("printerChosen");
        QTest::addColumn<QString>("failure");
        QTest::newRow("printed") << MessageAnswer::Ok << true << "";
        QTest::newRow("Annulla to the question") << MessageAnswer::Cancel << true << "";
        QTest::newRow("printer dialog cancelled") << MessageAnswer::Ok << false << "";
        QTest::newRow("printer failure") << MessageAnswer::Ok << true << "la stampante è spenta.";
    }
    // Printed, both blocks as the boxes hold them, compared whole with the golden printout; printing
    // writes nothing.
    void cardPrintout()
    {
        QFETCH(MessageAnswer, answer);
        QFETCH(bool, printerChosen);
        QFETCH(QString, failure);
        const qint64 id = addRossi();
        f->load();
        f->act(u"Command3d1"_s);
        f->type(u"tPhone_1"_s, u" 2"_s);
        f->platform.messageAnswers.enqueue(answer);
        f->platform.printerChosen = printerChosen;
        f->platform.printFailure = failure;
        f->act(u"FileStampaMaschera"_s);
        QCOMPARE(f->platform.printJobs.size(), answer == MessageAnswer::Ok ? 1 : 0);
        QCOMPARE(f->platform.messages.size(), failure.isEmpty() ? 1 : 2);
        QVERIFY(f->platform.messages.last().text.contains(failure.isEmpty() ? u"scheda"_s : failure));
        QCOMPARE(f->stored(id, Field::HomePhone), u"039 111"_s);
        const bool printed = answer == MessageAnswer::Ok && printerChosen && failure.isEmpty();
        QCOMPARE(f->platform.documents.size(), printed ? 1 : 0);
        if (!printed)
            return;
        const QString golden = u"" RUBRELLO_TEST_DATA "/app/card_rossi.txt"_s;
        QCOMPARE(f->platform.documents.first().join(u'\n') + u'\n', QString::fromUtf8(fileBytes(golden)));
    }

    void agendaPrintout_data()
    {
        QTest::addColumn<QString>("letters");
        QTest::addColumn<QString>("printed");
        QTest::addColumn<QString>("newContact"); // the answer to the save question, when one is typed
        QTest::newRow("Annulla") << "" << QString() << "";
        QTest::newRow("no contact under the letters") << "xyz" << QString() << "";
        QTest::newRow("letters chosen") << "r" << QString("Rossi Mario") << "";
        QTest::newRow("new contact saved") << "*" << QString("Alberti Anna|Bassi Bea|Rossi Mario") << "yes";
        QTest::newRow("new contact not saved") << "*" << QString("Alberti Anna|Rossi Mario") << "no";
    }
    // The letters reach the printout, which is made from the store after the save question: a new
    // contact is printed, where the order puts it, only once saved. Nothing to print asks for no
    // printer; a printout that went ahead loads the window again, back on the first contact.
    void agendaPrintout()
    {
        QFETCH(QString, letters);
        QFETCH(QString, printed);
        QFETCH(QString, newContact);
        f->test.add("Alberti", "Anna");
        f->test.add("Rossi", "Mario");
        f->load();
        f->act(u"Data1_last"_s);
        const qint64 shown = f->data().currentId();
        if (!newContact.isEmpty())
            f->newContact(u"Bassi"_s, u"Bea"_s);
        f->platform.messageAnswers.enqueue(newContact == "yes" ? MessageAnswer::Yes : MessageAnswer::No);
        f->platform.inputAnswers.enqueue(letters);
        f->act(u"FileStampaAgenda"_s);
        QCOMPARE(f->platform.inputs.size(), 1);
        QCOMPARE(f->platform.messages.size(), newContact.isEmpty() ? 0 : 1);
        QCOMPARE(f->platform.printJobs.size(), printed.isEmpty() ? 0 : 1);
        QCOMPARE(agendaNames(f->platform.documents), printed);
        QCOMPARE(f->data().currentId() == shown, letters.isEmpty());
        QVERIFY(!f->phone->hasPendingEdit());
    }

    void copyTakesThePageOnView_data()
    {
        QTest::addColumn<QStringList>("pages"); // the page buttons clicked, in order
        QTest::addColumn<QString>("expected");
        const QString work = u"Perù S.r.l.\r\nRossi Mario\r\nVia Roma 1\r\n20100 Milano MI "_s;
        const QString home = u"Rossi Mario\r\nCorso Italia 5\r\n20900 Monza MB "_s;
        QTest::newRow("Casa") << QStringList{"Command3d1"} << home;
        QTest::newRow("Note after Casa") << QStringList{"Command3d1", "Command3d3"} << home;
        QTest::newRow("Note after Lavoro") << QStringList{"Command3d1", "Command3d2", "Command3d3"} << work;
        QTest::newRow("no clipboard") << QStringList{} << "";
    }
    void copyTakesThePageOnView()
    {
        QFETCH(QStringList, pages);
        QFETCH(QString, expected);
        addRossi();
        f->load();
        for (const QString &page : pages)
            f->act(page);
        f->platform.clipboardAvailable = !expected.isEmpty();
        f->act(expected.isEmpty() ? u"FileCopia"_s : u"CmdCopia"_s);
        QCOMPARE(f->platform.clipboard, expected);
        QCOMPARE(f->platform.messages.size(), 1);
        QCOMPARE(f->platform.messages.first().text.contains("copiato nella clipboard"), !expected.isEmpty());
    }

    // Home is offered first, then the file last read, never one that could not be read; a failure
    // asks again with the path typed; a name typed over the offer is looked for at home.
    void importQuestion()
    {
        const QString home = f->test.directory();
        f->load();
        f->platform.inputs.clear();
        f->platform.inputAnswers.append({home + "/manca.txt", QString(), u"~/numbo.txt"_s, u"numbo.txt"_s});
        for (int i = 0; i < 3; ++i)
            f->act(u"FileImporta"_s);
        QStringList offered;
        for (const InputRequest &input : std::as_const(f->platform.inputs))
            offered.append(input.defaultText);
        QCOMPARE(offered, (QStringList{home + u'/', home + "/manca.txt", home + u'/', home + "/numbo.txt"}));
        QCOMPARE(f->platform.messages.size(), 3);
        QVERIFY(f->platform.messages[0].text.contains("non trovato"));
        QCOMPARE(f->test.store().count(), 4);
    }

    void importedContacts_data()
    {
        QTest::addColumn<bool>("empty"); // nothing typed, nothing checked: the table is read again
        QTest::addColumn<bool>("typed"); // a change on the card, saved first
        QTest::newRow("a contact shown") << false << false;
        QTest::newRow("empty table") << true << false;
        QTest::newRow("saved first") << false << true;
    }
    // The imported contacts get their lines at once; the contact shown stays shown.
    void importedContacts()
    {
        QFETCH(bool, empty);
        QFETCH(bool, typed);
        const qint64 rossi = empty ? 0 : f->test.add("Rossi", "Mario");
        f->load();
        if (typed)
            f->type(u"tLName"_s, u"ni"_s);
        f->platform.inputAnswers.enqueue(f->test.directory() + "/numbo.txt");
        f->act(u"FileImporta"_s);
        QCOMPARE(f->platform.messages.size(), typed ? 2 : 1);
        QCOMPARE(f->test.store().count(), empty ? 2 : 3);
        QVERIFY(f->tree().findLine(u"Verdi, Luca"_s) > 0 && f->tree().findLine(u"Nicolò, Anna"_s) > 0);
        QVERIFY(!f->phone->hasPendingEdit());
        if (!empty)
            QCOMPARE(f->stored(rossi, Field::LastName) + f->text(u"tLName"_s),
                typed ? u"RossiniRossini"_s : u"RossiRossi"_s);
    }

    // A vCard file comes in after its preview and shows in the tree; a second time its contact is
    // already there and is not doubled; the agenda goes out as CSV and the CSV's columns come back.
    void contactsInAndOut()
    {
        const QString vcf = QStringLiteral(RUBRELLO_TEST_DATA "/vcard/gmail-single.vcf");
        f->test.add(u"Rossi"_s, u"Mario"_s, {{Field::Cellulare, u"333 1111111"_s}});
        f->load();
        const int before = f->test.store().count();
        f->platform.inputAnswers.enqueue(vcf);
        f->platform.messageAnswers.enqueue(MessageAnswer::Ok);
        f->act(u"FileImportaContatti"_s);
        QVERIFY2(f->platform.messages.value(0).text.startsWith(u"1 contatto nuovo, 0 già presenti."_s),
            qPrintable(f->platform.messages.value(0).text));
        QCOMPARE(f->test.store().count(), before + 1);
        QVERIFY(f->tree().findLine(u"Dartmouth, Greg"_s) > 0);

        f->platform.inputAnswers.enqueue(vcf);
        f->platform.messageAnswers.enqueue(MessageAnswer::No);
        f->act(u"FileImportaContatti"_s);
        QCOMPARE(f->platform.messages.value(2).buttons, MessageButtons::YesNoCancel);
        QVERIFY(f->platform.messages.value(3).text.contains(u"saltato 1 già presente"_s));
        QCOMPARE(f->test.store().count(), before + 1);

        const QString csv = f->test.directory() + u"/agenda.csv"_s;
        f->platform.dialogScripts.enqueue([&](QDialog &dialog) {
            auto *format = dialog.findChild<QComboBox *>(u"cboFormat"_s);
            format->setCurrentIndex(format->findData(int(ExportFormat::Csv)));
            dialog.findChild<QLineEdit *>(u"txtFile"_s)->setText(csv);
            dialog.findChild<QPushButton *>(u"cmdOK"_s)->click();
        });
        f->act(u"FileEsportaContatti"_s);
        QCOMPARE(f->platform.messages.last().text, u"Esportati %1 contatti."_s.arg(before + 1));

        // The CSV's own header is recognised: every contact is already there, and Annulla leaves it so.
        f->platform.inputAnswers.enqueue(csv);
        f->platform.dialogScripts.enqueue(
            [](QDialog &dialog) { dialog.findChild<QPushButton *>(u"cmdOK"_s)->click(); });
        f->platform.messageAnswers.enqueue(MessageAnswer::Cancel);
        f->act(u"FileImportaContatti"_s);
        QVERIFY2(f->platform.messages.last().text.startsWith(
                     u"0 contatti nuovi, %1 già presenti."_s.arg(before + 1)),
            qPrintable(f->platform.messages.last().text));
        QCOMPARE(f->platform.modalForms.mid(f->platform.modalForms.size() - 2),
            (QStringList{u"ExportDialog"_s, u"CsvImportDialog"_s}));
        QCOMPARE(f->test.store().count(), before + 1);
    }

    // A copy saved where the user says; a copy among the automatic ones put back in the agenda's place
    // after the agenda as it was is kept; damage found by the check offers the newest good copy.
    void backupsInTheWindow()
    {
        f->test.add("Rossi", "Mario");
        f->test.add("Verdi", "Luca");
        f->load();
        const QString copy = f->test.directory() + u"/copia.MDB"_s;
        f->platform.inputAnswers.enqueue(copy);
        f->act(u"FileSalvaCopia"_s);
        QCOMPARE(f->platform.messages.last().text, u"Copia dell'agenda salvata in \"%1\"."_s.arg(copy));
        const QString folder = backupFolderFor(f->test.path());
        QVERIFY(QFile::copy(copy, folder + u'/' + dailyBackupName(QDate::currentDate().addDays(-1))));
        f->platform.messageAnswers.enqueue(MessageAnswer::Ok);
        f->act(u"cDelete"_s);
        QCOMPARE(f->test.store().count(), 1);

        f->platform.dialogScripts.enqueue(
            [](QDialog &dialog) { dialog.findChild<QPushButton *>(u"cmdRipristina"_s)->click(); });
        f->platform.messageAnswers.enqueue(MessageAnswer::Yes);
        f->act(u"FileRipristina"_s);
        QCOMPARE(f->test.store().count(), 2);
        QVERIFY(f->tree().findLine(u"Rossi, Mario"_s) >= 0 || f->caption() == u"Rossi, Mario"_s);
        QVERIFY2(f->platform.messages.last().text.startsWith(u"Ripristinata"_s),
            qPrintable(f->platform.messages.last().text));
        QCOMPARE(listBackups(folder, Thoroughness::Quick).size(), size_t(2));

        f->platform.messageAnswers.enqueue(MessageAnswer::No);
        f->phone->storeDamaged(u"L'archivio è danneggiato: prova."_s);
        const QString offer = f->platform.messages.last().text;
        QVERIFY2(
            offer.startsWith(u"L'archivio è danneggiato: prova."_s) && offer.contains(u"con 1 contatto?"_s),
            qPrintable(offer));
        QCOMPARE(f->test.store().count(), 2);
    }

    void dialNumbers_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("the Dial button saves first") << "BtnChiama";
        QTest::newRow("the menu item does not save") << "FileChiama";
    }
    // Either way the dialog takes the card's numbers as the boxes hold them, and its dialer is the
    // one beside the program.
    void dialNumbers()
    {
        QFETCH(QString, command);
        const qint64 rossi = f->test.add("Rossi", "Mario",
            {{Field::WorkPhone, "02/1234567"}, {Field::HomePhone, "06 555"}, {Field::WorkFax, "02-999"},
                {Field::HomeFax, "fax?"}, {Field::Cellulare, "0335 1234567"}});
        f->load();
        f->type(u"tPhone_0"_s, u"8"_s);
        f->platform.messageAnswers.enqueue(MessageAnswer::Yes); // the save flow's question
        f->act(command);
        const bool saved = command == "BtnChiama";
        QCOMPARE(f->stored(rossi, Field::WorkPhone), saved ? u"02/12345678"_s : u"02/1234567"_s);
        QCOMPARE(f->phone->hasPendingEdit(), !saved);
        auto *form = qobject_cast<Form1 *>(QApplication::activeModalWidget());
        QVERIFY(form);
        QStringList numbers;
        for (int k = 0; k < DialEntryCount; ++k)
            numbers.append(form->Panel3D1[k]->text());
        QCOMPARE(numbers, (QStringList{"0212345678", "06 555", "02999", "", "0335 1234567"}));
        QTest::mouseClick(form->Command3D1[0], Qt::LeftButton);
        QCOMPARE(f->platform.startedPrograms.size(), 1);
        QCOMPARE(f->platform.startedPrograms[0].program, f->test.directory() + "/rubrello-dialer");
        QCOMPARE(f->platform.startedPrograms[0].arguments, QStringList{u"0212345678"_s});
    }

private:
    static inline const QString LastPath = u"import/lastPath"_s;

    qint64 addRossi()
    {
        return f->test.add("Rossi", "Mario",
            {{Field::Azienda, "  Perù S.r.l. "}, {Field::WorkAddress, "Via Roma 1"},
                {Field::WorkPostalCode, "20100"}, {Field::WorkCity, "Milano"}, {Field::WorkProv, "MI"},
                {Field::WorkPhone, "02 1234"}, {Field::HomeAddress, "Corso Italia 5"},
                {Field::HomePostalCode, "20900"}, {Field::HomeCity, "Monza"}, {Field::HomeProv, "MB"},
                {Field::HomePhone, "039 111"}, {Field::Note, "Nota"}});
    }
};

QTEST_MAIN(TestPhoneCommands)
#include "test_phone_commands.moc"
