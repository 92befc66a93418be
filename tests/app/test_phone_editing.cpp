// Editing a contact through the main window: the new, save and delete flows with their checks and
// questions, what marks the card as changed, and leaving the window with changes pending.
#include "PhoneFixture.h"

#include <QClipboard>
#include <QGuiApplication>

class TestPhoneEditing : public PhoneTest
{
    Q_OBJECT
private slots:
    void newRecordFlow()
    {
        f->test.add("Bianchi", "Anna");
        f->load();
        f->act(u"cNew"_s);
        QCOMPARE(f->caption(), u"Nuovo Record"_s);
        QVERIFY(f->text(u"tLName"_s).isEmpty() && f->phone->hasPendingEdit());
        for (const char *off : {"Data1", "cNew", "cDelete", "FileNuovo", "FileCancella"})
            QVERIFY2(!f->enabled(QString::fromLatin1(off)), off);
        QVERIFY(f->enabled(u"cUpdate"_s) && f->enabled(u"FileAggiorna"_s));
        QTRY_COMPARE(PhoneFixture::focusName(), u"tLName"_s);
    }

    void nameChecks_data()
    {
        QTest::addColumn<QString>("lastName");
        QTest::addColumn<QString>("firstName");
        QTest::addColumn<QString>("focus"); // Outline1 once saved; empty: not checked
        QTest::newRow("digit in first name") << "Rossi"
                                             << "1Mario"
                                             << "tFName";
        QTest::newRow("first name checked first") << "[x"
                                                  << "1Mario"
                                                  << "tFName";
        QTest::newRow("bracket in last name") << "[Rossi"
                                              << "Mario"
                                              << "tLName";
        QTest::newRow("accented last name") << "Élan"
                                            << "Mario"
                                            << "tLName";
        QTest::newRow("blank last name") << " Rossi"
                                         << "Mario"
                                         << "tLName";
        QTest::newRow("empty first name") << "Rossi"
                                          << ""
                                          << "";
        QTest::newRow("lower case passes") << "rossi"
                                           << "mario"
                                           << "Outline1";
    }
    void nameChecks()
    {
        QFETCH(QString, lastName);
        QFETCH(QString, firstName);
        QFETCH(QString, focus);
        f->load();
        f->newContact(lastName, firstName);
        f->save();
        QCOMPARE(f->platform.messages.size(), 1); // the save question, or the check's message instead
        const bool saved = focus == "Outline1";
        QCOMPARE(f->test.store().count(), saved ? 1 : 0);
        QCOMPARE(f->phone->hasPendingEdit(), !saved);
        if (!saved)
            QVERIFY(f->platform.messages[0].text.contains(firstName.isEmpty() ? "riempiti" : "non Ammesso"));
        if (!focus.isEmpty())
            QTRY_COMPARE(PhoneFixture::focusName(), focus);
    }

    // Typing on the empty agenda's card begins the first contact; the tree has its letters only.
    void firstContactOnAnEmptyAgenda()
    {
        f->load();
        QCOMPARE(f->tree().ListCount(), 26);
        QCOMPARE(f->caption(), u"Nessun record trovato!"_s);
        f->type(u"tLName"_s, u"Rossi"_s);
        QCOMPARE(f->caption(), u"Nuovo Record"_s);
        f->type(u"tFName"_s, u"Mario"_s);
        f->save();
        QCOMPARE(f->test.store().count(), 1);
        QCOMPARE(f->caption(), u"Rossi, Mario"_s);
        QVERIFY(f->tree().findLine(u"Rossi, Mario"_s) >= 0);
    }

    // A field of the Casa page goes with the new contact; apostrophes and accents come through the
    // name cleaning; the saved contact is found again by an id that does not fit in 32 bits.
    void savedNewContactIsShownAndIndexed()
    {
        f->test.add("Verdi", "Luca");
        runSqlElsewhere(f->test.path(), {u"UPDATE sqlite_sequence SET seq = 5000000000"_s});
        f->load();
        f->newContact(u"D'Amico"_s, u"Nicolò"_s);
        f->act(u"Command3d1"_s);
        f->type(u"tCity_1"_s, u"Forlì"_s);
        f->save();
        QCOMPARE(f->platform.messages.size(), 1);
        QCOMPARE(f->data().currentId(), qint64(5000000001));
        QCOMPARE(f->caption(), u"D'Amico, Nicolò"_s);
        QCOMPARE(f->stored(5000000001, Field::HomeCity), u"Forlì"_s);
        QVERIFY(f->tree().findLine(u"D'Amico, Nicolò"_s) > 0);
        QVERIFY(!f->phone->hasPendingEdit());
    }

    void noToTheQuestion_data()
    {
        QTest::addColumn<bool>("newRecord");
        QTest::newRow("new record") << true;
        QTest::newRow("existing contact") << false;
    }
    // No puts back the contact shown before: the one the new record began from, or the edited one.
    void noToTheQuestion()
    {
        QFETCH(bool, newRecord);
        const qint64 id = f->test.add("Bianchi", "Anna");
        f->load();
        if (newRecord)
            f->newContact(u"Neri"_s, u"Ugo"_s);
        else
            f->type(u"tFName"_s, u"lisa"_s);
        f->save(MessageAnswer::No);
        QCOMPARE(f->test.store().count(), 1);
        QCOMPARE(f->stored(id, Field::FirstName), u"Anna"_s);
        QCOMPARE(f->text(u"tLName"_s) + f->text(u"tFName"_s), u"BianchiAnna"_s);
        QVERIFY(!f->phone->hasPendingEdit());
        QTRY_COMPARE(PhoneFixture::focusName(), u"Outline1"_s);
    }

    void editedContactIsWrittenWithBothPages()
    {
        const qint64 id = f->test.add("Rossi", "Mario", {{Field::Note, "vecchia"}});
        f->load();
        f->type(u"tCity_0"_s, u"Bologna"_s);
        f->act(u"Command3d1"_s);
        f->type(u"tProv_1"_s, u"BO"_s);
        f->act(u"Command3d3"_s);
        f->type(u"tNotes"_s, u" nota"_s);
        f->save();
        QCOMPARE(f->stored(id, Field::WorkCity), u"Bologna"_s);
        QCOMPARE(f->stored(id, Field::HomeProv), u"BO"_s);
        QCOMPARE(f->stored(id, Field::Note), u"vecchia nota"_s);
        QCOMPARE(f->data().currentId(), id);
    }

    void deleteFlow_data()
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
    void deleteFlow()
    {
        QFETCH(int, contacts);
        QFETCH(MessageAnswer, answer);
        QFETCH(int, shownBefore);
        QFETCH(QString, shownAfter);
        for (const char *name : QList<const char *>{"Bianchi", "Bruni", "Verdi"}.first(contacts))
            f->test.add(QString::fromLatin1(name), u"Anna"_s);
        f->load();
        for (int i = 0; i < shownBefore; ++i)
            f->act(u"Data1_next"_s);
        const QString deleted = f->caption();
        f->platform.messageAnswers.enqueue(answer);
        f->act(u"FileCancella"_s);
        QCOMPARE(f->platform.messages.size(), 1);
        QCOMPARE(f->test.store().count(), contacts - (answer == MessageAnswer::Ok ? 1 : 0));
        QCOMPARE(f->text(u"tLName"_s), shownAfter);
        QCOMPARE(f->tree().findLine(deleted) >= 0, answer == MessageAnswer::Cancel);
        QVERIFY(!f->phone->hasPendingEdit());
        // Nothing left to delete: nothing is asked.
        f->act(u"cDelete"_s);
        QCOMPARE(f->platform.messages.size(), f->test.store().count() ? 2 : 1);
    }

    void onlyTheUsersEditsMark_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<bool>("marks");
        QTest::newRow("typing in the mobile box") << "type Text1" << true;
        QTest::newRow("typing in the province") << "type tProv_0" << true;
        QTest::newRow("typing in the notes") << "type tNotes" << true;
        QTest::newRow("Delete key") << "delete tCity_0" << true;
        QTest::newRow("pasting") << "paste tInternet" << true;
        QTest::newRow("showing another contact") << "move Data1_next" << false;
        QTest::newRow("arrow keys") << "arrow tLName" << false;
    }
    void onlyTheUsersEditsMark()
    {
        QFETCH(QString, edit);
        QFETCH(bool, marks);
        f->test.add("Bianchi", "Anna", {{Field::Cellulare, "333"}, {Field::WorkCity, "Roma"}});
        f->test.add("Verdi", "Luca", {{Field::Cellulare, "347"}});
        f->load();
        const QString how = edit.section(u' ', 0, 0);
        QWidget *box = f->find(edit.section(u' ', 1));
        box->setFocus();
        QGuiApplication::clipboard()->setText(u"nuovo@posta.it"_s);
        if (how == "type" && box->objectName() == "tNotes")
            f->act(u"Command3d3"_s);
        if (how == "type")
            f->type(box->objectName(), u"x"_s);
        else if (how == "move")
            f->act(box->objectName());
        if (how == "delete")
            QTest::keyClick(box, Qt::Key_Home);
        if (how != "type" && how != "move")
            QTest::keyClick(box,
                how == "paste"       ? Qt::Key_V
                    : how == "arrow" ? Qt::Key_Right
                                     : Qt::Key_Delete,
                how == "paste" ? Qt::ControlModifier : Qt::NoModifier);
        QCOMPARE(f->phone->hasPendingEdit(), marks);
    }

    void refusedWriteKeepsWhatWasTyped()
    {
        f->load();
        runSqlElsewhere(f->test.path(),
            {u"CREATE TRIGGER full BEFORE INSERT ON PhoneList BEGIN SELECT RAISE(ABORT, 'disk is full'); END"_s});
        f->newContact(u"Rossi"_s, u"Mario"_s);
        f->save();
        QCOMPARE(f->platform.messages.size(), 2);
        QVERIFY2(
            f->platform.messages[1].text.contains("disk is full"), qPrintable(f->platform.messages[1].text));
        QCOMPARE(f->text(u"tLName"_s) + f->text(u"tFName"_s), u"RossiMario"_s);
        QVERIFY(f->phone->hasPendingEdit());
        QCOMPARE(f->test.store().count(), 0);
        // Once the disk has room again the same save goes through.
        runSqlElsewhere(f->test.path(), {u"DROP TRIGGER full"_s});
        f->save();
        QCOMPARE(f->test.store().count(), 1);
        QVERIFY(!f->phone->hasPendingEdit());
    }

    // Painting the window runs no handler: no question, the tree as it was.
    void repaintStartsNothing()
    {
        f->test.add("Bianchi", "Anna");
        f->load();
        f->tree().Clear();
        f->type(u"tFName"_s, u"x"_s);
        f->phone->repaint();
        QCoreApplication::processEvents();
        QVERIFY(f->platform.messages.isEmpty());
        QCOMPARE(f->tree().ListCount(), 0);
    }

    void leaving_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("refused"); // the first name typed away, else a letter added to it
        for (const char *path : {"Outline1", "BtnCerca", "FileStampaAgenda", "BtnChiama", "BtnFine",
                 "FileEsci", "close box", "saveBeforeLeaving"})
            QTest::newRow(path) << QString::fromLatin1(path) << true;
        QTest::newRow("FileEsci saves first") << "FileEsci" << false;
        QTest::newRow("close box saves first") << "close box" << false;
    }
    // The save flow runs first, whoever leaves the card; a refused save keeps the window as it was.
    void leaving()
    {
        QFETCH(QString, path);
        QFETCH(bool, refused);
        const qint64 id = f->test.add("Agostini", "Anna");
        f->test.add("Verdi", "Luca");
        f->load();
        QWidget *firstName = f->find(u"tFName"_s);
        firstName->setFocus();
        QTest::keyClick(firstName, Qt::Key_End);
        for (int i = 0; i < 4; ++i)
            QTest::keyClick(firstName, refused ? Qt::Key_Backspace : Qt::Key_X);
        f->platform.messageAnswers.enqueue(MessageAnswer::Yes);
        f->platform.inputAnswers.enqueue(u"*"_s);
        const qsizetype forms = f->platform.modalForms.size();
        if (path == "Outline1")
            f->clickLine(u"Verdi, Luca"_s);
        else if (path == "close box")
            QCOMPARE(f->phone->close(), !refused);
        else if (path == "saveBeforeLeaving")
            QVERIFY(!f->phone->saveBeforeLeaving());
        else
            f->act(path);
        QCOMPARE(f->stored(id, Field::FirstName), refused ? u"Anna"_s : u"Annaxxxx"_s);
        QCOMPARE(f->platform.programEnded, !refused);
        if (!refused)
            return;
        QVERIFY(f->platform.messages.last().text.contains("riempiti"));
        QVERIFY(f->phone->hasPendingEdit());
        QCOMPARE(f->text(u"tLName"_s) + f->text(u"tFName"_s), u"Agostini"_s);
        QVERIFY(f->platform.printJobs.isEmpty());
        QCOMPARE(f->platform.modalForms.size(), forms);
        QVERIFY(!f->phone->findChild<QWidget *>(u"Form1"_s));
    }
};

QTEST_MAIN(TestPhoneEditing)
#include "test_phone_editing.moc"
