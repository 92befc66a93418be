// Editing a contact through the main window: the new, save and delete flows with their checks and
// questions, what marks the card as changed, and leaving the window with changes pending.
#include "PhoneFixture.h"

#include <QClipboard>
#include <QGuiApplication>

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
    void onlyTheUsersEditsMark_data();
    void onlyTheUsersEditsMark();
    void firstContactOnAnEmptyAgenda();
    void largeIdsAreRemembered();
    void refusedWriteKeepsWhatWasTyped();
    void repaintStartsNothing();
    void leavingSavesPendingChangesFirst_data();
    void leavingSavesPendingChangesFirst();
    void leavingWithARefusedSaveStays_data();
    void leavingWithARefusedSaveStays();

private:
    std::unique_ptr<PhoneFixture> f;
};

void TestPhoneEditing::newRecordFlow()
{
    f->test.add(QStringLiteral("Bianchi"), QStringLiteral("Anna"));
    f->load();
    f->click(QStringLiteral("cNew"));
    QCOMPARE(f->caption(), QStringLiteral("Nuovo Record"));
    QVERIFY(f->text(QStringLiteral("tLName")).isEmpty());
    QVERIFY(f->phone->hasPendingEdit());
    for (const char *off : {"Data1", "cNew", "cDelete", "FileNuovo", "FileCancella"})
        QVERIFY2(!f->enabled(QString::fromLatin1(off)), off);
    QVERIFY(f->enabled(QStringLiteral("cUpdate")) && f->enabled(QStringLiteral("FileAggiorna")));
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
    f->newContact(lastName, firstName);
    f->save();
    QCOMPARE(f->platform.messages.size(), 1); // the save question, or the check's message instead
    if (message.isEmpty()) {
        QCOMPARE(f->test.store().readAll().at(0).text(Field::LastName), lastName);
    } else {
        QCOMPARE(f->platform.messages[0].text, message);
        QCOMPARE(f->platform.messages[0].icon, MessageIcon::None);
        QCOMPARE(f->test.store().count(), 0);
    }
    QCOMPARE(f->phone->hasPendingEdit(), !message.isEmpty());
    if (!focus.isEmpty())
        QTRY_COMPARE(PhoneFixture::focusName(), focus);
}

// Apostrophes and accented letters come through the name cleaning; the tree gets the new line.
void TestPhoneEditing::savedNewContactIsShownAndIndexed()
{
    f->test.add(QStringLiteral("Verdi"), QStringLiteral("Luca"));
    f->load();
    f->newContact(QStringLiteral("D'Amico"), QStringLiteral("Nicolò"));
    f->click(QStringLiteral("Command3d1"));
    f->type(QStringLiteral("tCity_1"), QStringLiteral("Forlì"));
    f->save();
    const MessageRequest question = f->platform.messages.value(0);
    QCOMPARE(question.text, QStringLiteral("Vuoi salvare le modifiche apportate?"));
    QCOMPARE(question.buttons, MessageButtons::YesNo);
    QCOMPARE(question.icon, MessageIcon::Exclamation);
    QCOMPARE(question.defaultAnswer, MessageAnswer::Yes);
    QCOMPARE(f->caption(), QStringLiteral("D'Amico, Nicolò"));
    QCOMPARE(f->data().field(Field::HomeCity), FieldValue(QStringLiteral("Forlì")));
    QVERIFY(f->tree().findLine(QStringLiteral("D'Amico, Nicolò")) > 0);
    QVERIFY(!f->phone->hasPendingEdit());
}

void TestPhoneEditing::noToTheQuestion_data()
{
    QTest::addColumn<bool>("newRecord");
    QTest::newRow("new record") << true;
    QTest::newRow("existing contact") << false;
}

// No puts back the contact shown before: the one the new record began from, or the edited one.
void TestPhoneEditing::noToTheQuestion()
{
    QFETCH(bool, newRecord);
    f->test.add(QStringLiteral("Bianchi"), QStringLiteral("Anna"));
    f->load();
    if (newRecord)
        f->newContact(QStringLiteral("Neri"), QStringLiteral("Ugo"));
    else
        f->type(QStringLiteral("tFName"), QStringLiteral("lisa"));
    f->save(MessageAnswer::No);
    QCOMPARE(f->test.store().count(), 1);
    QCOMPARE(f->test.store().readAll()[0].text(Field::FirstName), QStringLiteral("Anna"));
    QCOMPARE(f->text(QStringLiteral("tFName")), QStringLiteral("Anna"));
    QCOMPARE(f->text(QStringLiteral("tLName")), QStringLiteral("Bianchi"));
    QVERIFY(!f->phone->hasPendingEdit());
    QTRY_COMPARE(PhoneFixture::focusName(), QStringLiteral("Outline1"));
}

void TestPhoneEditing::editedContactIsWrittenWithBothPages()
{
    const qint64 id = f->test.add(QStringLiteral("Rossi"), QStringLiteral("Mario"), {{Field::Note, "vecchia"}});
    f->load();
    f->type(QStringLiteral("tCity_0"), QStringLiteral("Bologna"));
    f->click(QStringLiteral("Command3d1"));
    f->type(QStringLiteral("tProv_1"), QStringLiteral("BO"));
    f->click(QStringLiteral("Command3d3"));
    f->type(QStringLiteral("tNotes"), QStringLiteral(" nota"));
    f->save();
    const ContactRecord stored = *f->test.store().read(id);
    QCOMPARE(stored.text(Field::WorkCity), QStringLiteral("Bologna"));
    QCOMPARE(stored.text(Field::HomeProv), QStringLiteral("BO"));
    QCOMPARE(stored.text(Field::Note), QStringLiteral("vecchia nota"));
    QCOMPARE(f->data().currentId(), id);
}

void TestPhoneEditing::deleteFlow_data()
{
    QTest::addColumn<int>("contacts");
    QTest::addColumn<MessageAnswer>("answer");
    QTest::addColumn<int>("shownBefore");
    QTest::addColumn<QString>("shownAfter");
    QTest::newRow("cancel") << 3 << MessageAnswer::Cancel << 1 << "Bruni";
    QTest::newRow("middle contact") << 3 << MessageAnswer::Ok << 1 << "Verdi";
    QTest::newRow("last in the order") << 3 << MessageAnswer::Ok << 2 << "Bruni";
    QTest::newRow("the only contact") << 1 << MessageAnswer::Ok << 0 << "";
}

void TestPhoneEditing::deleteFlow()
{
    QFETCH(int, contacts);
    QFETCH(MessageAnswer, answer);
    QFETCH(int, shownBefore);
    QFETCH(QString, shownAfter);
    const QStringList names = {"Bianchi", "Bruni", "Verdi"};
    for (int i = 0; i < contacts; ++i)
        f->test.add(names[i], QStringLiteral("Anna"));
    f->load();
    for (int i = 0; i < shownBefore; ++i)
        f->click(QStringLiteral("Data1_next"));
    const QString deleted = f->caption();
    f->platform.messageAnswers.enqueue(answer);
    f->trigger(QStringLiteral("FileCancella"));
    QCOMPARE(f->platform.messages[0].text, QStringLiteral("Vuoi veramente cancellare il record visualizzato?"));
    QCOMPARE(f->platform.messages[0].title, QStringLiteral("Rubrello"));
    QCOMPARE(f->platform.messages[0].buttons, MessageButtons::OkCancel);
    QCOMPARE(f->test.store().count(), contacts - (answer == MessageAnswer::Ok ? 1 : 0));
    QCOMPARE(f->text(QStringLiteral("tLName")), shownAfter);
    QCOMPARE(f->tree().findLine(deleted) >= 0, answer == MessageAnswer::Cancel);
    QVERIFY(!f->phone->hasPendingEdit());
    if (f->test.store().count() == 0) {
        // Nothing left to delete: nothing is asked.
        QCOMPARE(f->caption(), QStringLiteral("Nessun record trovato!"));
        f->platform.messages.clear();
        f->click(QStringLiteral("cDelete"));
        QVERIFY(f->platform.messages.isEmpty());
    }
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
    QWidget *box = words.size() > 1 ? f->find(words[1]) : nullptr;
    if (box)
        box->setFocus();
    if (words[0] == QLatin1String("type")) {
        if (words[1] == QLatin1String("tNotes"))
            f->click(QStringLiteral("Command3d3"));
        f->type(words[1], QStringLiteral("x"));
    } else if (words[0] == QLatin1String("delete")) {
        QTest::keyClick(box, Qt::Key_Home);
        QTest::keyClick(box, Qt::Key_Delete);
    } else if (words[0] == QLatin1String("paste")) {
        QGuiApplication::clipboard()->setText(QStringLiteral("nuovo@posta.it"));
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    } else if (words[0] == QLatin1String("arrow")) {
        QTest::keyClick(box, Qt::Key_Right);
    } else {
        f->click(QStringLiteral("Data1_next"));
    }
    QCOMPARE(f->phone->hasPendingEdit(), marks);
}

// Typing on the empty agenda's card begins the first contact; the tree has its letters only.
void TestPhoneEditing::firstContactOnAnEmptyAgenda()
{
    f->load();
    QCOMPARE(f->tree().ListCount(), 26);
    QCOMPARE(f->caption(), QStringLiteral("Nessun record trovato!"));
    f->type(QStringLiteral("tLName"), QStringLiteral("Rossi"));
    QCOMPARE(f->caption(), QStringLiteral("Nuovo Record"));
    QCOMPARE(f->text(QStringLiteral("tLName")), QStringLiteral("Rossi"));
    f->type(QStringLiteral("tFName"), QStringLiteral("Mario"));
    f->type(QStringLiteral("tPhone_0"), QStringLiteral("02 1234567"));
    QVERIFY(f->phone->hasPendingEdit());
    f->save();
    QCOMPARE(f->platform.messages.size(), 1); // the question, no failure
    QCOMPARE(f->test.store().count(), 1);
    QVERIFY(!f->phone->hasPendingEdit());
    QCOMPARE(f->caption(), QStringLiteral("Rossi, Mario"));
    QCOMPARE(f->text(QStringLiteral("tPhone_0")), QStringLiteral("02 1234567"));
    QVERIFY(f->tree().findLine(QStringLiteral("Rossi, Mario")) >= 0);
}

// The saved contact is found again by its id, which may not fit in 32 bits.
void TestPhoneEditing::largeIdsAreRemembered()
{
    f->test.add(QStringLiteral("Bianchi"), QStringLiteral("Anna"));
    runSqlElsewhere(f->test.path(), {QStringLiteral("UPDATE sqlite_sequence SET seq = 5000000000 WHERE name = 'PhoneList'")});
    f->load();
    f->newContact(QStringLiteral("Zanna"), QStringLiteral("Ugo"));
    f->save();
    QCOMPARE(f->data().currentId(), qint64(5000000001));
    QCOMPARE(f->caption(), QStringLiteral("Zanna, Ugo"));
}

void TestPhoneEditing::refusedWriteKeepsWhatWasTyped()
{
    f->load();
    runSqlElsewhere(f->test.path(), {QStringLiteral("CREATE TRIGGER full BEFORE INSERT ON PhoneList "
                                                    "BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END")});
    f->newContact(QStringLiteral("Rossi"), QStringLiteral("Mario"));
    f->save();
    QCOMPARE(f->platform.messages.size(), 2);
    QVERIFY2(f->platform.messages[1].text.contains(QStringLiteral("disk is full")), qPrintable(f->platform.messages[1].text));
    QCOMPARE(f->text(QStringLiteral("tLName")), QStringLiteral("Rossi"));
    QCOMPARE(f->text(QStringLiteral("tFName")), QStringLiteral("Mario"));
    QVERIFY(f->phone->hasPendingEdit());
    QCOMPARE(f->test.store().count(), 0);
    // Once the disk has room again the same save goes through.
    runSqlElsewhere(f->test.path(), {QStringLiteral("DROP TRIGGER full")});
    f->save();
    QCOMPARE(f->test.store().count(), 1);
    QVERIFY(!f->phone->hasPendingEdit());
}

// Painting the window runs no handler: no question, the tree as it was.
void TestPhoneEditing::repaintStartsNothing()
{
    f->test.add(QStringLiteral("Bianchi"), QStringLiteral("Anna"));
    f->load();
    f->tree().Clear();
    f->tree().AddItem(QStringLiteral("B"));
    f->type(QStringLiteral("tFName"), QStringLiteral("x"));
    f->phone->repaint();
    QCoreApplication::processEvents();
    QVERIFY(f->platform.messages.isEmpty());
    QCOMPARE(f->tree().ListCount(), 1);
    QVERIFY(f->phone->hasPendingEdit());
}

void TestPhoneEditing::leavingSavesPendingChangesFirst_data()
{
    QTest::addColumn<QString>("way");
    QTest::newRow("Esci") << "FileEsci";
    QTest::newRow("close box") << "close";
}

void TestPhoneEditing::leavingSavesPendingChangesFirst()
{
    QFETCH(QString, way);
    const qint64 id = f->test.add(QStringLiteral("Bianchi"), QStringLiteral("Anna"));
    f->load();
    f->type(QStringLiteral("tFName"), QStringLiteral("lisa"));
    f->platform.messageAnswers.enqueue(MessageAnswer::Yes);
    if (way == QLatin1String("close"))
        f->phone->close();
    else
        f->trigger(way);
    QVERIFY(f->platform.programEnded);
    QCOMPARE(f->platform.messages.size(), 1);
    QCOMPARE(f->test.store().read(id)->text(Field::FirstName), QStringLiteral("Annalisa"));
}

void TestPhoneEditing::leavingWithARefusedSaveStays_data()
{
    QTest::addColumn<QString>("path");
    for (const char *path : {"tree click", "BtnCerca", "FileStampaAgenda", "BtnChiama", "BtnFine", "FileEsci",
                             "close box", "saveBeforeLeaving"})
        QTest::newRow(path) << QString::fromLatin1(path);
}

void TestPhoneEditing::leavingWithARefusedSaveStays()
{
    QFETCH(QString, path);
    const qint64 id = f->test.add(QStringLiteral("Agostini"), QStringLiteral("Anna"));
    f->test.add(QStringLiteral("Verdi"), QStringLiteral("Luca"));
    f->load();
    // The first name typed away: the save flow must refuse the record, whoever runs it.
    QWidget *firstName = f->find(QStringLiteral("tFName"));
    firstName->setFocus();
    QTest::keyClick(firstName, Qt::Key_End);
    for (int i = 0; i < 4; ++i)
        QTest::keyClick(firstName, Qt::Key_Backspace);
    QVERIFY(f->phone->hasPendingEdit());
    f->platform.inputAnswers.enqueue(QStringLiteral("*"));
    const qsizetype forms = f->platform.modalForms.size();
    if (path == QLatin1String("tree click"))
        f->clickLine(QStringLiteral("Verdi, Luca"));
    else if (path == QLatin1String("close box"))
        QVERIFY(!f->phone->close());
    else if (path == QLatin1String("saveBeforeLeaving"))
        QVERIFY(!f->phone->saveBeforeLeaving());
    else if (path.startsWith(QLatin1String("File")))
        f->trigger(path);
    else
        f->click(path);
    QCOMPARE(f->platform.messages.last().text, QStringLiteral("Il cognome ed il nome devono essere riempiti!"));
    QVERIFY(f->phone->hasPendingEdit());
    QCOMPARE(f->text(QStringLiteral("tLName")), QStringLiteral("Agostini"));
    QVERIFY(f->text(QStringLiteral("tFName")).isEmpty());
    QCOMPARE(f->test.store().read(id)->text(Field::FirstName), QStringLiteral("Anna"));
    QVERIFY(!f->platform.programEnded);
    QVERIFY(f->platform.printJobs.isEmpty());
    QCOMPARE(f->platform.modalForms.size(), forms);
    QVERIFY(!f->phone->findChild<QWidget *>(QStringLiteral("Form1")));
}

QTEST_MAIN(TestPhoneEditing)
#include "test_phone_editing.moc"
