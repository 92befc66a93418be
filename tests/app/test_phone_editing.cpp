// Record editing through the main window: the edit state, the new, save and delete flows with
// their checks and questions, change marking and name cleaning.
#include "tests/support/Typing.h"
#include "PhoneFixture.h"

#include "ui/controls/Outline.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QToolButton>

class TestPhoneEditing : public QObject
{
    Q_OBJECT
private slots:
    void init() { f = std::make_unique<PhoneFixture>(); }
    void cleanup() { f.reset(); }
    void newRecordFlow();
    void nameChecks_data();
    void nameChecks();
    void savedNewContactIsShownAndIndexed();
    void noToTheQuestion_data();
    void noToTheQuestion();
    void editedContactIsWrittenWithBothPages();
    void deleteFlow_data();
    void deleteFlow();
    void deleteOnAnEmptyTableAsksNothing();
    void onlyTheUsersEditsMark_data();
    void onlyTheUsersEditsMark();
    void namesKeepTheirApostrophes();
    void firstContactOnAnEmptyAgenda();
    void largeIdsAreRemembered();
    void refusedWriteKeepsWhatWasTyped();
    void repaintStartsNothing();
    void exitSavesPendingChangesFirst();
    void closeBoxValidatesPendingChanges();
    void leavingWithARefusedSaveStays_data();
    void leavingWithARefusedSaveStays();
    void agendaPrintoutAsksBeforeItWrites();

private:
    bool changed() const { return !f->phone->FileNuovo->isEnabled(); }
    std::unique_ptr<PhoneFixture> f;
};


void TestPhoneEditing::newRecordFlow()
{
    const qint64 bianchi = f->test.add(QStringLiteral("Bianchi"), QStringLiteral("Anna"));
    f->load();
    f->phone->activateWindow();
    f->phone->cNew_Click();
    QCOMPARE(f->phone->Data1->Caption(), QStringLiteral("Nuovo Record"));
    QCOMPARE(f->phone->RememberedID, bianchi);
    QVERIFY(f->phone->tLName->text().isEmpty());
    QVERIFY(changed());
    QVERIFY(!f->phone->Data1->isEnabled() && !f->phone->cNew->isEnabled() && !f->phone->cDelete->isEnabled());
    QVERIFY(f->phone->cUpdate->isEnabled() && f->phone->FileAggiorna->isEnabled() && !f->phone->FileCancella->isEnabled());
    QTRY_COMPARE(PhoneFixture::focusName(), QStringLiteral("tLName"));
}

void TestPhoneEditing::nameChecks_data()
{
    QTest::addColumn<QString>("lastName");
    QTest::addColumn<QString>("firstName");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");
    QTest::newRow("digit in first name") << "Rossi" << "1Mario" << "Primo carattere del nome non Ammesso" << "tFName";
    QTest::newRow("first name before last name") << "[x" << "1Mario" << "Primo carattere del nome non Ammesso" << "tFName";
    QTest::newRow("bracket in last name") << "[Rossi" << "Mario" << "Primo carattere del cognome non Ammesso" << "tLName";
    QTest::newRow("accented last name") << "Élan" << "Mario" << "Primo carattere del cognome non Ammesso" << "tLName";
    QTest::newRow("blank last name") << " Rossi" << "Mario" << "Primo carattere del cognome non Ammesso" << "tLName";
    QTest::newRow("empty first name") << "Rossi" << "" << "Il cognome ed il nome devono essere riempiti!" << "";
    QTest::newRow("lower case passes") << "rossi" << "mario" << "" << "Outline1";
}

void TestPhoneEditing::nameChecks()
{
    QFETCH(QString, lastName);
    QFETCH(QString, firstName);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    f->load();
    f->phone->activateWindow();
    f->phone->cNew_Click();
    typeInto(f->phone->tLName, lastName);
    typeInto(f->phone->tFName, firstName);
    f->platform.messageAnswers.enqueue(MessageAnswer::Yes);
    f->phone->cUpdate_Click();
    if (message.isEmpty()) {
        QCOMPARE(f->platform.messages.size(), 1); // only the save question
        QCOMPARE(f->test.store().readAll().at(0).text(Field::LastName), lastName);
        QVERIFY(!changed());
    } else {
        QCOMPARE(f->platform.messages.size(), 1);
        QCOMPARE(f->platform.messages[0].text, message);
        QCOMPARE(f->platform.messages[0].icon, MessageIcon::None);
        QCOMPARE(f->test.store().count(), 0);
        QVERIFY(changed());
    }
    if (!focus.isEmpty())
        QTRY_COMPARE(PhoneFixture::focusName(), focus);
}

void TestPhoneEditing::savedNewContactIsShownAndIndexed()
{
    f->test.add(QStringLiteral("Verdi"), QStringLiteral("Luca"));
    f->load();
    f->phone->cNew_Click();
    typeInto(f->phone->tLName, QStringLiteral("Bianchi"));
    typeInto(f->phone->tFName, QStringLiteral("Nicolò"));
    f->phone->Command3d1_Click();
    typeInto(f->phone->tCity[1], QStringLiteral("Forlì"));
    f->platform.messageAnswers.enqueue(MessageAnswer::Yes);
    f->phone->cUpdate_Click();
    const MessageRequest question = f->platform.messages.value(0);
    QCOMPARE(question.text, QStringLiteral("Vuoi salvare le modifiche apportate?"));
    QCOMPARE(question.buttons, MessageButtons::YesNo);
    QCOMPARE(question.icon, MessageIcon::Exclamation);
    QCOMPARE(question.defaultAnswer, MessageAnswer::Yes);
    QCOMPARE(f->phone->Data1->Caption(), QStringLiteral("Bianchi, Nicolò"));
    QCOMPARE(f->phone->Data1->field(Field::HomeCity), FieldValue(QStringLiteral("Forlì")));
    QVERIFY(f->phone->Outline1->findLine(QStringLiteral("Bianchi, Nicolò")) > 0);
    QVERIFY(!changed());
}

void TestPhoneEditing::noToTheQuestion_data()
{
    QTest::addColumn<bool>("newRecord");
    QTest::newRow("new record") << true;
    QTest::newRow("existing contact") << false;
}

void TestPhoneEditing::noToTheQuestion()
{
    QFETCH(bool, newRecord);
    f->test.add(QStringLiteral("Bianchi"), QStringLiteral("Anna"));
    f->load();
    f->phone->activateWindow();
    if (newRecord) {
        f->phone->cNew_Click();
        typeInto(f->phone->tLName, QStringLiteral("Neri"));
        typeInto(f->phone->tFName, QStringLiteral("Ugo"));
    } else {
        typeInto(f->phone->tFName, QStringLiteral("lisa"));
    }
    f->platform.messageAnswers.enqueue(MessageAnswer::No);
    f->phone->cUpdate_Click();
    QCOMPARE(f->test.store().count(), 1);
    QCOMPARE(f->test.store().readAll()[0].text(Field::FirstName), QStringLiteral("Anna"));
    QCOMPARE(f->phone->tFName->text(), QStringLiteral("Anna"));
    QCOMPARE(f->phone->tLName->text(), QStringLiteral("Bianchi"));
    QVERIFY(!changed());
    QTRY_COMPARE(PhoneFixture::focusName(), QStringLiteral("Outline1"));
}

void TestPhoneEditing::editedContactIsWrittenWithBothPages()
{
    const qint64 id = f->test.add(QStringLiteral("Rossi"), QStringLiteral("Mario"), {{Field::Note, "vecchia"}});
    f->load();
    typeInto(f->phone->tCity[0], QStringLiteral("Bologna"));
    f->phone->Command3d1_Click();
    typeInto(f->phone->tProv[1], QStringLiteral("BO"));
    f->phone->Command3d3_Click();
    QTest::keyClick(f->phone->tNotes, Qt::Key_End);
    typeInto(f->phone->tNotes, QStringLiteral(" nota"));
    f->platform.messageAnswers.enqueue(MessageAnswer::Yes);
    f->phone->cUpdate_Click();
    const ContactRecord stored = *f->test.store().read(id);
    QCOMPARE(stored.text(Field::WorkCity), QStringLiteral("Bologna"));
    QCOMPARE(stored.text(Field::HomeProv), QStringLiteral("BO"));
    QCOMPARE(stored.text(Field::Note), QStringLiteral("vecchia nota"));
    QCOMPARE(f->phone->RememberedID, id);
}

void TestPhoneEditing::deleteFlow_data()
{
    QTest::addColumn<MessageAnswer>("answer");
    QTest::addColumn<int>("shownBefore");
    QTest::addColumn<QString>("shownAfter");
    QTest::addColumn<int>("left");
    QTest::newRow("cancel") << MessageAnswer::Cancel << 1 << "Bruni" << 3;
    QTest::newRow("middle contact") << MessageAnswer::Ok << 1 << "Verdi" << 2;
    QTest::newRow("last in the order") << MessageAnswer::Ok << 2 << "Bruni" << 2;
}

void TestPhoneEditing::deleteFlow()
{
    QFETCH(MessageAnswer, answer);
    QFETCH(int, shownBefore);
    QFETCH(QString, shownAfter);
    QFETCH(int, left);
    f->test.add(QStringLiteral("Bianchi"), QStringLiteral("Anna"));
    f->test.add(QStringLiteral("Bruni"), QStringLiteral("Bruno"));
    f->test.add(QStringLiteral("Verdi"), QStringLiteral("Luca"));
    f->load();
    for (int i = 0; i < shownBefore; ++i)
        f->phone->Data1->MoveNext();
    const QString deleted = f->phone->Data1->Caption();
    f->platform.messageAnswers.enqueue(answer);
    f->phone->cDelete_Click();
    QCOMPARE(f->platform.messages[0].text, QStringLiteral("Vuoi veramente cancellare il record visualizzato?"));
    QCOMPARE(f->platform.messages[0].title, QStringLiteral("Rubrello"));
    QCOMPARE(f->platform.messages[0].buttons, MessageButtons::OkCancel);
    QCOMPARE(f->test.store().count(), left);
    QCOMPARE(f->phone->tLName->text(), shownAfter);
    QCOMPARE(f->phone->Outline1->findLine(deleted) >= 0, answer == MessageAnswer::Cancel);
    QVERIFY(!changed());
}

void TestPhoneEditing::deleteOnAnEmptyTableAsksNothing()
{
    f->test.add(QStringLiteral("Solo"), QStringLiteral("Uno"));
    f->load();
    f->platform.messageAnswers.enqueue(MessageAnswer::Ok);
    f->phone->FileCancella->trigger(); // the menu item deletes like the button
    QCOMPARE(f->test.store().count(), 0);
    QCOMPARE(f->phone->Data1->Caption(), QStringLiteral("Nessun record trovato!"));
    f->platform.messages.clear();
    f->phone->cDelete_Click();
    QVERIFY(f->platform.messages.isEmpty());
}

void TestPhoneEditing::onlyTheUsersEditsMark_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<bool>("marks");
    QTest::newRow("typing in the mobile box") << "type Text1" << true;
    QTest::newRow("typing in the province") << "type tProv_0" << true;
    QTest::newRow("typing in the notes") << "type tNotes" << true;
    QTest::newRow("Delete key") << "delete tCity_0" << true;
    QTest::newRow("pasting") << "paste tInternet" << true;
    QTest::newRow("showing another contact") << "move" << false;
    QTest::newRow("arrow keys") << "arrow tLName" << false;
}

void TestPhoneEditing::onlyTheUsersEditsMark()
{
    QFETCH(QString, edit);
    QFETCH(bool, marks);
    f->test.add(QStringLiteral("Bianchi"), QStringLiteral("Anna"),
               {{Field::Cellulare, "333"}, {Field::WorkCity, "Roma"}, {Field::www, "a.it"}});
    f->test.add(QStringLiteral("Verdi"), QStringLiteral("Luca"), {{Field::Cellulare, "347"}, {Field::www, "b.it"}});
    f->load();
    const QStringList words = edit.split(QLatin1Char(' '));
    QWidget *box = words.size() > 1 ? f->find(words[1].toLatin1().constData()) : nullptr;
    if (words[0] == QLatin1String("type")) {
        if (box == f->phone->tNotes)
            f->phone->Command3d3_Click();
        typeInto(box, QStringLiteral("x"));
    } else if (words[0] == QLatin1String("delete")) {
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Home);
        QTest::keyClick(box, Qt::Key_Delete);
    } else if (words[0] == QLatin1String("paste")) {
        QGuiApplication::clipboard()->setText(QStringLiteral("nuovo@posta.it"));
        box->setFocus();
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    } else if (words[0] == QLatin1String("arrow")) {
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Right);
    } else {
        f->phone->Data1->MoveNext();
    }
    QCOMPARE(changed(), marks);
}

void TestPhoneEditing::namesKeepTheirApostrophes()
{
    f->load();
    f->phone->cNew_Click();
    typeInto(f->phone->tLName, QStringLiteral("D'Amico"));
    typeInto(f->phone->tFName, QStringLiteral("Dell'Acqua"));
    f->phone->tCountry->setFocus();
    QCOMPARE(f->phone->tLName->text(), QStringLiteral("D'Amico"));
    f->platform.messageAnswers.enqueue(MessageAnswer::Yes);
    f->phone->cUpdate_Click();
    QCOMPARE(f->phone->Data1->Caption(), QStringLiteral("D'Amico, Dell'Acqua"));
    QVERIFY(f->phone->Outline1->findLine(QStringLiteral("D'Amico, Dell'Acqua")) >= 0);
}

void TestPhoneEditing::firstContactOnAnEmptyAgenda()
{
    f->load();
    QVERIFY(!f->phone->Data1->hasCurrent());
    typeInto(f->phone->tLName, QStringLiteral("Rossi"));
    QCOMPARE(f->phone->Data1->Caption(), QStringLiteral("Nuovo Record"));
    QCOMPARE(f->phone->tLName->text(), QStringLiteral("Rossi"));
    typeInto(f->phone->tFName, QStringLiteral("Mario"));
    typeInto(f->phone->tPhone[0], QStringLiteral("02 1234567"));
    QVERIFY(changed());
    f->platform.messageAnswers.enqueue(MessageAnswer::Yes);
    f->phone->cUpdate_Click();
    QCOMPARE(f->platform.messages.size(), 1); // the question, no failure
    QCOMPARE(f->test.store().count(), 1);
    QVERIFY(!changed());
    QCOMPARE(f->phone->Data1->Caption(), QStringLiteral("Rossi, Mario"));
    QCOMPARE(f->phone->tPhone[0]->text(), QStringLiteral("02 1234567"));
    QVERIFY(f->phone->Outline1->findLine(QStringLiteral("Rossi, Mario")) >= 0);
}

void TestPhoneEditing::largeIdsAreRemembered()
{
    f->test.add(QStringLiteral("Bianchi"), QStringLiteral("Anna"));
    runSqlElsewhere(f->test.path(), {QStringLiteral("UPDATE sqlite_sequence SET seq = 5000000000 WHERE name = 'PhoneList'")});
    f->load();
    f->phone->cNew_Click();
    typeInto(f->phone->tLName, QStringLiteral("Zanna"));
    typeInto(f->phone->tFName, QStringLiteral("Ugo"));
    f->platform.messageAnswers.enqueue(MessageAnswer::Yes);
    f->phone->cUpdate_Click();
    QCOMPARE(f->phone->RememberedID, qint64(5000000001));
    QCOMPARE(f->phone->Data1->Caption(), QStringLiteral("Zanna, Ugo"));
}

void TestPhoneEditing::refusedWriteKeepsWhatWasTyped()
{
    f->load();
    runSqlElsewhere(f->test.path(), {QStringLiteral("CREATE TRIGGER full BEFORE INSERT ON PhoneList "
                                               "BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END")});
    f->phone->cNew_Click();
    typeInto(f->phone->tLName, QStringLiteral("Rossi"));
    typeInto(f->phone->tFName, QStringLiteral("Mario"));
    f->platform.messageAnswers.enqueue(MessageAnswer::Yes);
    f->phone->cUpdate_Click();
    QCOMPARE(f->platform.messages.size(), 2);
    QVERIFY2(f->platform.messages[1].text.contains(QStringLiteral("disk is full")), qPrintable(f->platform.messages[1].text));
    QCOMPARE(f->phone->tLName->text(), QStringLiteral("Rossi"));
    QCOMPARE(f->phone->tFName->text(), QStringLiteral("Mario"));
    QVERIFY(changed());
    QCOMPARE(f->test.store().count(), 0);
    // Once the disk has room again the same save goes through.
    runSqlElsewhere(f->test.path(), {QStringLiteral("DROP TRIGGER full")});
    f->platform.messageAnswers.enqueue(MessageAnswer::Yes);
    f->phone->cUpdate_Click();
    QCOMPARE(f->test.store().count(), 1);
    QVERIFY(!changed());
}

void TestPhoneEditing::repaintStartsNothing()
{
    f->test.add(QStringLiteral("Bianchi"), QStringLiteral("Anna"));
    f->load();
    f->phone->Outline1->Clear();
    f->phone->Outline1->AddItem(QStringLiteral("B"));
    typeInto(f->phone->tFName, QStringLiteral("x"));
    f->phone->repaint();
    QCoreApplication::processEvents();
    QVERIFY(f->platform.messages.isEmpty());
    QCOMPARE(f->phone->Outline1->ListCount(), 1);
    QVERIFY(changed());
}

void TestPhoneEditing::exitSavesPendingChangesFirst()
{
    const qint64 id = f->test.add(QStringLiteral("Bianchi"), QStringLiteral("Anna"));
    f->load();
    QTest::keyClick(f->phone->tFName, Qt::Key_End);
    typeInto(f->phone->tFName, QStringLiteral("lisa"));
    f->platform.messageAnswers.enqueue(MessageAnswer::Yes);
    f->phone->FileEsci->trigger();
    QVERIFY(f->platform.programEnded);
    QCOMPARE(f->test.store().read(id)->text(Field::FirstName), QStringLiteral("Annalisa"));
}

void TestPhoneEditing::closeBoxValidatesPendingChanges()
{
    const qint64 id = f->test.add(QStringLiteral("Bianchi"), QStringLiteral("Anna"));
    f->load();
    QTest::keyClick(f->phone->tFName, Qt::Key_End);
    typeInto(f->phone->tFName, QStringLiteral("maria"));
    f->platform.messageAnswers.enqueue(MessageAnswer::Yes);
    f->phone->close();
    QVERIFY(f->platform.programEnded);
    QCOMPARE(f->platform.messages.size(), 1);
    QCOMPARE(f->test.store().read(id)->text(Field::FirstName), QStringLiteral("Annamaria"));
}

void TestPhoneEditing::leavingWithARefusedSaveStays_data()
{
    QTest::addColumn<QString>("path");
    for (const char *path : {"tree click", "search", "agenda printout", "dial button", "exit button", "Esci",
                             "close box"})
        QTest::newRow(path) << QString::fromLatin1(path);
}

void TestPhoneEditing::leavingWithARefusedSaveStays()
{
    QFETCH(QString, path);
    const qint64 id = f->test.add(QStringLiteral("Agostini"), QStringLiteral("Anna"));
    f->test.add(QStringLiteral("Verdi"), QStringLiteral("Luca"));
    f->load();
    // The first name typed away: the save flow must refuse the record, whoever runs it.
    QTest::keyClick(f->phone->tFName, Qt::Key_End);
    for (int i = 0; i < 4; ++i)
        QTest::keyClick(f->phone->tFName, Qt::Key_Backspace);
    QVERIFY(changed());
    f->platform.inputAnswers.enqueue(QStringLiteral("*"));
    const qsizetype forms = f->platform.modalForms.size();
    if (path == "tree click") {
        Outline &tree = *f->phone->Outline1;
        tree.setExpand(tree.findLine(QStringLiteral("V")), true);
        tree.setListIndex(tree.findLine(QStringLiteral("Verdi, Luca")));
        f->phone->Outline1_Click();
    } else if (path == "search") {
        f->phone->BtnCerca_Click();
    } else if (path == "agenda printout") {
        f->phone->FileStampaAgenda_Click();
    } else if (path == "dial button") {
        f->phone->BtnChiama_Click();
    } else if (path == "exit button") {
        f->phone->BtnFine_Click();
    } else if (path == "Esci") {
        f->phone->FileEsci->trigger();
    } else {
        QVERIFY(!f->phone->close());
    }
    QCOMPARE(f->platform.messages.last().text, QStringLiteral("Il cognome ed il nome devono essere riempiti!"));
    QVERIFY(changed());
    QCOMPARE(f->phone->tLName->text(), QStringLiteral("Agostini"));
    QVERIFY(f->phone->tFName->text().isEmpty());
    QCOMPARE(f->test.store().read(id)->text(Field::FirstName), QStringLiteral("Anna"));
    QVERIFY(!f->platform.programEnded);
    QVERIFY(f->platform.printJobs.isEmpty());
    QCOMPARE(f->platform.modalForms.size(), forms);
    QVERIFY(!f->phone->findChild<QWidget *>(QStringLiteral("Form1")));
}

void TestPhoneEditing::agendaPrintoutAsksBeforeItWrites()
{
    const qint64 id = f->test.add(QStringLiteral("Agostini"), QStringLiteral("Anna"));
    f->load();
    QTest::keyClick(f->phone->tFName, Qt::Key_End);
    typeInto(f->phone->tFName, QStringLiteral("lisa"));
    f->platform.inputAnswers.enqueue(QStringLiteral("*"));
    f->platform.messageAnswers.enqueue(MessageAnswer::No);
    f->phone->FileStampaAgenda_Click();
    QCOMPARE(f->platform.messages.first().text, QStringLiteral("Vuoi salvare le modifiche apportate?"));
    QCOMPARE(f->test.store().read(id)->text(Field::FirstName), QStringLiteral("Anna"));
    QCOMPARE(f->platform.printJobs.size(), 1);
    QVERIFY(!changed());
}

QTEST_MAIN(TestPhoneEditing)
#include "test_phone_editing.moc"
