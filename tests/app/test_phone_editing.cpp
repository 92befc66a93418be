// Editing a contact through the main window: the new, save and delete flows with their checks and
// questions, what marks the card as changed, and leaving the window with changes pending.
#include "PhoneFixture.h"

#include <QDialog>
#include <QPushButton>
#include <QTableWidget>
#include <QTreeWidget>

class TestPhoneEditing : public PhoneTest
{
    Q_OBJECT
private slots:
    void nameChecks_data()
    {
        QTest::addColumn<QString>("lastName");
        QTest::addColumn<QString>("firstName");
        QTest::addColumn<QString>("focus"); // Outline1 once saved; empty: not checked
        const auto row
            = [](const char *name, const char *lastName, const char *firstName, const char *focus) {
                  QTest::newRow(name)
                      << QString::fromUtf8(lastName) << QString::fromUtf8(firstName) << QString(focus);
              };
        row("first name checked first", "[x", "1Mario", "tFName");
        row("bracket in last name", "[Rossi", "Mario", "tLName");
        row("accented last name", "Élan", "Mario", "tLName");
        row("blank last name", " Rossi", "Mario", "tLName");
        row("empty first name", "Rossi", "", "");
        row("lower case passes", "rossi", "mario", "Outline1");
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

    // Typing on the empty agenda's card begins the first contact, with a field of the Casa page;
    // apostrophes and accents come through the name cleaning; the tree gets the line; the contact
    // is found again by an id that does not fit in 32 bits.
    void firstContactOnAnEmptyAgenda()
    {
        runSqlElsewhere(f->test.path(), {u"INSERT INTO sqlite_sequence VALUES ('PhoneList', 5000000000)"_s});
        f->load();
        QCOMPARE(f->tree().ListCount(), 26);
        QCOMPARE(f->caption(), u"Nessun record trovato!"_s);
        f->type(u"tLName"_s, u"D'Amico"_s);
        QCOMPARE(f->caption(), u"Nuovo Record"_s);
        f->type(u"tFName"_s, u"Nicolò"_s);
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
    // A new record empties the card and allows only its save. No to the save question puts back the
    // contact shown before: the one the new record began from, or the edited one.
    void noToTheQuestion()
    {
        QFETCH(bool, newRecord);
        const qint64 id = f->test.add("Bianchi", "Anna");
        f->load();
        if (newRecord) {
            f->act(u"cNew"_s);
            QCOMPARE(f->caption(), u"Nuovo Record"_s);
            QVERIFY(f->text(u"tLName"_s).isEmpty() && f->phone->hasPendingEdit());
            for (const char *off : {"Data1", "cNew", "cDelete", "FileNuovo", "FileCancella"})
                QVERIFY2(!f->enabled(QString::fromLatin1(off)), off);
            QVERIFY(f->enabled(u"cUpdate"_s) && f->enabled(u"FileAggiorna"_s));
            QTRY_COMPARE(PhoneFixture::focusName(), u"tLName"_s);
            f->type(u"tLName"_s, u"Neri"_s);
            f->type(u"tFName"_s, u"Ugo"_s);
        } else
            f->type(u"tFName"_s, u"lisa"_s);
        f->save(MessageAnswer::No);
        QCOMPARE(f->test.store().count(), 1);
        QCOMPARE(f->stored(id, Field::FirstName), u"Anna"_s);
        QCOMPARE(f->text(u"tLName"_s) + f->text(u"tFName"_s), u"BianchiAnna"_s);
        QVERIFY(!f->phone->hasPendingEdit());
        QTRY_COMPARE(PhoneFixture::focusName(), u"Outline1"_s);
    }

    // Every box of the card marks it as changed when typed in, and the save writes it to its field,
    // whichever page shows it.
    void everyBoxIsWatchedAndWritten()
    {
        const qint64 id = f->test.add("Rossi", "Mario", {{Field::Note, "vecchia"}});
        f->load();
        QSet<QWidget *> typed;
        for (const QString &page : {u"Command3d2"_s, u"Command3d1"_s, u"Command3d3"_s}) {
            f->act(page);
            for (QWidget *box : f->phone->findChildren<QWidget *>()) {
                if (!box->isVisible() || !dynamic_cast<BoundBox *>(box) || typed.contains(box))
                    continue;
                typed.insert(box);
                f->type(box->objectName(), u"x"_s);
                QVERIFY2(f->phone->hasPendingEdit(), qPrintable(box->objectName()));
                f->save();
                QVERIFY2(!f->phone->hasPendingEdit(), qPrintable(box->objectName()));
            }
        }
        for (const FieldInfo &info : Fields)
            QVERIFY2(info.field == Field::ID || f->stored(id, info.field).endsWith(u'x'), info.name);
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

    // Ctrl+Z takes back a deletion and Ctrl+Shift+Z does it again, named in the Edit menu; while
    // a box holds typing, Ctrl+Z is the box's own. The trash gives a deleted contact back.
    void undoAndTrash()
    {
        f->test.add(u"Bianchi"_s, u"Anna"_s);
        f->test.add(u"Verdi"_s, u"Luca"_s);
        f->load();
        QVERIFY(!f->enabled(u"FileAnnulla"_s));
        QWidget *firstName = f->find(u"tFName"_s);
        firstName->setFocus();
        QTest::keyClick(firstName, Qt::Key_End);
        QTest::keyClick(firstName, Qt::Key_Y);
        QTest::keyClick(firstName, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f->text(u"tFName"_s), u"Anna"_s);
        QTest::keyClick(firstName, Qt::Key_X);
        QVERIFY(!f->enabled(u"FileAnnulla"_s));
        f->save();
        QCOMPARE(f->phone->findChild<QAction *>(u"FileAnnulla"_s)->text(),
            u"Ann&ulla le modifiche a Bianchi, Annax"_s);
        // A box without typing of its own leaves Ctrl+Z and Ctrl+Shift+Z to the menu.
        firstName->setFocus();
        QTest::keyClick(firstName, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f->text(u"tFName"_s), u"Anna"_s);
        QVERIFY(!f->phone->hasPendingEdit());
        firstName->setFocus();
        QTest::keyClick(firstName, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(f->text(u"tFName"_s), u"Annax"_s);

        f->platform.messageAnswers.enqueue(MessageAnswer::Ok);
        f->act(u"cDelete"_s);
        QCOMPARE(f->test.store().count(), 1);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f->caption(), u"Bianchi, Annax"_s);
        QVERIFY(f->tree().findLine(u"Bianchi, Annax"_s) >= 0);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f->text(u"tFName"_s), u"Anna"_s);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(f->test.store().count(), 1);

        f->platform.dialogScripts.enqueue([](QDialog &dialog) {
            auto *list = dialog.findChild<QTreeWidget *>(u"lstCestino"_s);
            QCOMPARE(list->topLevelItemCount(), 1);
            QCOMPARE(list->topLevelItem(0)->text(0), u"Bianchi, Annax"_s);
            dialog.findChild<QPushButton *>(u"cmdRipristina"_s)->click();
            QCOMPARE(list->topLevelItemCount(), 0);
            dialog.reject();
        });
        f->act(u"FileCestino"_s);
        QCOMPARE(f->caption(), u"Bianchi, Annax"_s);
        QCOMPARE(f->test.store().count(), 2);
    }

    void leaving_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("refused"); // the first name typed away, else a letter added to it
        for (const char *path : {"Outline1", "BtnCerca", "FileStampaAgenda", "BtnChiama", "BtnFine",
                 "FileEsci", "FileImporta", "close box", "saveBeforeLeaving"})
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
    // A save, a delete and their undo move only the lines they change; the tree, its open letters
    // and its selection are what a tree filled afresh shows. Equal names, a letter's first line, an
    // edit that keeps the name, with a contact under "#" (put there by another program) below them all.
    void savesShowWhatAFreshTreeShows()
    {
        for (const auto &[last, first] : {std::pair{"Rossi", "Mario"}, {"Rossi", "Mario"}, {"Rossi", "Mario"},
                 {"Rossi", "Maria"}, {"Bianchi", "Anna"}, {"Èrcole", "Luca"}, {"de Gasperi", "Alcide"},
                 {"Verdi", "Luca"}, {"Zeta", "Anna"}, {"3Rossi", "Anna"}})
            f->test.add(QString::fromUtf8(last), QString::fromUtf8(first));
        f->load();
        auto retype = [&](const QString &box, const QString &text) {
            f->find<QLineEdit>(box)->selectAll();
            typeInto(f->find(box), text);
        };
        auto edit = [&](const QString &line, const QString &last, const QString &first) {
            f->clickLine(line);
            retype(u"tLName"_s, last);
            retype(u"tFName"_s, first);
            f->save();
        };
        auto state = [&] {
            QStringList lines;
            for (int i = 0; i < f->tree().ListCount(); ++i)
                lines.append(QString::number(f->tree().Indent(i)) + (f->tree().Expand(i) ? u'+' : u' ')
                    + f->tree().List(i));
            return lines << QString::number(f->tree().ListIndex()) << f->phone->windowTitle() << f->caption();
        };
        auto fresh = [&] {
            const qint64 shown = f->data().currentId();
            f->phone->FillOutline();
            for (int line : f->tree().linesWithSubItems())
                f->tree().setExpand(line, false);
            f->data().FindFirst(ById{shown});
            return state();
        };
        auto check = [&](const char *step) {
            const QStringList kept = state();
            QVERIFY2(kept == fresh(), step);
        };

        edit(u"Rossi, Mario"_s, u"Bianchi"_s, u"Anna"_s);
        check("renamed into another letter, after an equal name");
        edit(u"Verdi, Luca"_s, u"Verdi"_s, u"Lucia"_s);
        edit(u"Rossi, Maria"_s, u"Abate"_s, u"Zoe"_s);
        check("two saves in a row, one to the first line of its letter");
        f->newContact(u"Rossi"_s, u"Mirko"_s);
        f->save();
        check("new contact after equal names");
        f->clickLine(u"Zeta, Anna"_s);
        f->platform.messageAnswers.enqueue(MessageAnswer::Ok);
        f->act(u"cDelete"_s);
        edit(u"Bianchi, Anna"_s, u"Zucca"_s, u"Anna"_s);
        check("a save after a delete");
        f->act(u"FileAnnulla"_s);
        check("undo of a save");
        f->act(u"FileRipeti"_s);
        check("redo");
        for (const MessageRequest &message : f->platform.messages)
            QVERIFY2(!message.text.startsWith(u"Impossibile"_s), qPrintable(message.text));
    }

    // Trova duplicati: a pair set aside is not proposed again; a group merged with values chosen
    // by clicking them and one contact left out is one step the Edit menu undoes, and the card shows
    // the contact kept.
    void duplicatesMergedAndUndone()
    {
        f->test.add(u"Rossi"_s, u"Mario"_s, {{Field::Cellulare, u"333 1234567"_s}});
        const qint64 kept = f->test.add(
            u"Mario"_s, u"Rossi"_s, {{Field::Cellulare, u"+39 333 1234567"_s}, {Field::Note, u"collega"_s}});
        f->test.add(u"Rossi"_s, u"Maria"_s);
        f->test.add(u"Bianchi"_s, u"Paola"_s, {{Field::HomePhone, u"06 7654321"_s}});
        f->test.add(u"Bianchi"_s, u"Paolo"_s, {{Field::HomePhone, u"0039 06 7654321"_s}});
        f->test.add(u"Verdi"_s, u"Luca"_s);
        f->load();
        f->platform.dialogScripts.enqueue([this, kept](QDialog &dialog) {
            auto *groups = dialog.findChild<QTreeWidget *>(u"lstGruppi"_s);
            QCOMPARE(groups->topLevelItemCount(), 2);
            QCOMPARE(groups->topLevelItem(0)->text(0), u"Bianchi, Paola · Bianchi, Paolo"_s);
            dialog.findChild<QPushButton *>(u"cmdNonDoppioni"_s)->click();
            QCOMPARE(groups->topLevelItemCount(), 1);
            auto *table = dialog.findChild<QTableWidget *>(u"tblConfronto"_s);
            QCOMPARE(table->horizontalHeaderItem(0)->text(), u"Resta (ID %1)"_s.arg(kept));
            const auto click = [table](int row, int column) {
                QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                    table->visualItemRect(table->item(row, column)).center());
            };
            click(0, 2); // Rossi, Maria left out
            click(1, 1); // the surname and the name as the second contact has them
            table->setCurrentCell(2, 1); // the name from the keyboard
            QTest::keyClick(table, Qt::Key_Space);
            QCOMPARE(table->item(1, 3)->text() + u", "_s + table->item(2, 3)->text(), u"Rossi, Mario"_s);
            f->platform.messageAnswers.enqueue(MessageAnswer::Ok);
            dialog.findChild<QPushButton *>(u"cmdUnisci"_s)->click();
            // The one left out is still like the merged contact.
            QCOMPARE(groups->topLevelItemCount(), 1);
            QCOMPARE(groups->topLevelItem(0)->text(0), u"Rossi, Maria · Rossi, Mario"_s);
        });
        f->act(u"FileDuplicati"_s);
        QCOMPARE(f->test.store().count(), 5);
        QCOMPARE(f->caption(), u"Rossi, Mario"_s);
        QCOMPARE(f->data().currentId(), kept);
        QCOMPARE(f->test.store().read(kept)->text(Field::Note), u"collega"_s);
        QCOMPARE(
            f->phone->findChild<QAction *>(u"FileAnnulla"_s)->text(), u"Ann&ulla l'unione di Rossi, Mario"_s);

        f->act(u"FileAnnulla"_s);
        QCOMPARE(f->test.store().count(), 6);
        QVERIFY(f->tree().findLine(u"Mario, Rossi"_s) >= 0);
        f->platform.dialogScripts.enqueue([](QDialog &dialog) {
            QCOMPARE(dialog.findChild<QTreeWidget *>(u"lstGruppi"_s)->topLevelItemCount(), 1);
        });
        f->act(u"FileDuplicati"_s);
        for (const MessageRequest &message : f->platform.messages)
            QVERIFY2(!message.text.startsWith(u"Impossibile"_s), qPrintable(message.text));
    }
};

QTEST_MAIN(TestPhoneEditing)
#include "test_phone_editing.moc"
