// The main window as the user meets it: its size and the card's boxes, the card pages and the Altri
// dati of the Note page, the index tree and the data control in step, what a run remembers for the
// next, and what every load resets.
#include "PhoneFixture.h"

#include "exchange/CardProperties.h"
#include "search/SearchState.h"
#include "vcard/VCardLine.h"

#include <QLabel>
#include <QSettings>
#include <QTreeWidget>

class TestPhoneWindow : public PhoneTest
{
    Q_OBJECT
private slots:
    void pageButtons_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("shown"); // the card (K), the Casa (C), Lavoro (L) boxes, the notes (N)
        QTest::addColumn<QString>("marked"); // the page button the marker stands over
        // Each control is clicked on the Note page, with the Casa boxes visible before it.
        const auto row = [](const char *name, const char *control, const char *shown, const char *marked) {
            QTest::newRow(name) << QString(control) << QString(shown) << QString(marked);
        };
        row("Casa", "Command3d1", "KC", "Command3d1");
        row("Lavoro", "Command3d2", "KL", "Command3d2");
        row("Note", "Command3d3", "CN", "Command3d3");
        row("Cellulare label", "Label1", "L", "Command3d3");
        row("E-Mail label", "Label2", "C", "Command3d3");
    }
    // The pages only show and hide: the boxes keep the contact, the card is not changed.
    void pageButtons()
    {
        QFETCH(QString, control);
        QFETCH(QString, shown);
        QFETCH(QString, marked);
        f->test.add("Rossi", "Mario", {{Field::WorkCity, "Bologna"}, {Field::HomeCity, "Imola"}});
        f->load();
        for (const QString &name : {u"Command3d1"_s, u"Command3d3"_s, control})
            f->act(name);
        QCOMPARE(!f->find(u"Picture1"_s)->isHidden(), shown.contains(u'K'));
        for (const char *box : {"tPhone", "tAddress", "tCity", "tProv", "tPost", "tFax"}) {
            QCOMPARE(!f->find(QString::fromLatin1(box) + "_0")->isHidden(), shown.contains(u'L'));
            QCOMPARE(!f->find(QString::fromLatin1(box) + "_1")->isHidden(), shown.contains(u'C'));
        }
        QCOMPARE(!f->find(u"tNotes"_s)->isHidden(), shown.contains(u'N'));
        const QRect button = f->find(marked)->geometry();
        const int marker = f->find(u"Image1"_s)->geometry().center().x();
        QVERIFY2(marker > button.left() && marker < button.right(), qPrintable(QString::number(marker)));
        QCOMPARE(f->text(u"tCity_0"_s) + f->text(u"tCity_1"_s), u"BolognaImola"_s);
        QVERIFY(!f->phone->hasPendingEdit());
    }

    void choosingALineShowsTheContact()
    {
        f->test.add("Bianchi", "Anna");
        f->test.add("D'Angelo", "Nicolò");
        f->load();
        Outline &tree = f->tree();
        f->clickLine(u"D'Angelo, Nicolò"_s);
        QCOMPARE(f->caption(), u"D'Angelo, Nicolò"_s);
        // A letter line only changes the selection.
        f->clickLine(u"A"_s);
        QCOMPARE(f->text(u"tLName"_s), u"D'Angelo"_s);

        // Of two equal names the upper line and the first contact are chosen.
        const qint64 first = f->test.add("Rossi", "Mario");
        f->test.add("Rossi", "Mario");
        f->phone->Form_Load();
        const int r = tree.findLine(u"R"_s);
        tree.setExpand(r, true);
        tree.setListIndex(r + 2);
        QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, tree.visualRect(tree.currentIndex()).center());
        QCOMPARE(f->data().currentId(), first);
        QCOMPARE(tree.ListIndex(), r + 1);

        // The data control's moves select the contact's line, or its letter while that is closed.
        f->act(u"Data1_first"_s);
        QCOMPARE(tree.List(tree.ListIndex()), u"B"_s);
        tree.setExpand(tree.findLine(u"B"_s), true);
        f->act(u"Data1_next"_s);
        f->act(u"Data1_previous"_s);
        QCOMPARE(tree.List(tree.ListIndex()), u"Bianchi, Anna"_s);
        QVERIFY(!f->phone->hasPendingEdit());
    }

    void reachingAContactUnderItsLetter_data()
    {
        QTest::addColumn<QString>("surname"); // a null string stands for a Null surname
        QTest::addColumn<QString>("letter");
        QTest::newRow("accented capital") << u"Èrcole"_s << u"E"_s;
        QTest::newRow("sorted after Z") << u"Łoś"_s << u"L"_s;
        QTest::newRow("digit, sorted before A") << u"3M"_s << u"#"_s;
        QTest::newRow("quoted") << u"\"Nico\""_s << u"#"_s;
        QTest::newRow("empty") << u""_s << u"#"_s;
        QTest::newRow("Null") << QString() << u"#"_s;
    }
    // The card moving to the contact selects its letter while that is closed, its own line once it
    // is open; the line chosen shows the contact.
    void reachingAContactUnderItsLetter()
    {
        QFETCH(QString, surname);
        QFETCH(QString, letter);
        const qint64 other = f->test.add("Bianchi", "Anna");
        ContactRecord record = makeRecord({{Field::FirstName, u"Ada"_s}});
        if (!surname.isNull())
            record.setValue(Field::LastName, surname);
        const qint64 id = f->test.add(record);
        f->load();
        Outline &tree = f->tree();
        const QString line = surname + u", Ada"_s;
        QVERIFY(f->data().FindFirst(ById{id}));
        QCOMPARE(tree.List(tree.ListIndex()), letter);
        tree.setExpand(tree.ListIndex(), true);
        QVERIFY(f->data().FindFirst(ById{other}) && f->data().FindFirst(ById{id}));
        QCOMPARE(tree.List(tree.ListIndex()), line);

        f->data().FindFirst(ById{other});
        f->clickLine(line);
        QCOMPARE(f->data().currentId(), id);
    }

    // What a contact came with beyond the card is listed on the Note page, in the notes' place and
    // for the contact shown; the other pages, and a contact with nothing more, show no sign of it.
    void otherDataOnTheNotePage()
    {
        f->test.add("Bianchi", "Anna");
        const qint64 rossi = f->test.add("Rossi", "Mario", {{Field::Cellulare, u"333 1"_s}});
        sqlite3 *db = f->test.store().connection();
        QString error;
        const auto kept = [](CardRole role, const char *line) {
            return KeptProperty{role, *parseVCardLine(line)};
        };
        QVERIFY(ensureCardPropertiesTable(db, &error));
        QVERIFY2(CardPropertiesWriter(db).write(rossi,
                     preparedContact({{},
                         {kept(CardRole::Mobile, "TEL;TYPE=cell:333 1"),
                             kept(CardRole::None, "TEL;TYPE=cell:347 2"),
                             kept(CardRole::None, "BDAY:1980-05-03")}}),
                     &error),
            qPrintable(error));
        f->load();
        QVERIFY(f->data().FindFirst(ById{rossi}));
        auto *label = f->find<QLabel>(u"lblAltriDati"_s);
        auto *list = f->find<QTreeWidget>(u"lstAltriDati"_s);
        QWidget *notes = f->find(u"tNotes"_s);
        QVERIFY(label->isHidden());
        f->act(u"Command3d3"_s);
        QVERIFY(!label->isHidden());
        QCOMPARE(label->text(), u"Altri dati (2)"_s);

        f->act(u"lblAltriDati"_s);
        QVERIFY(!list->isHidden() && notes->isHidden());
        QCOMPARE(list->geometry(), notes->geometry());
        QCOMPARE(list->topLevelItem(1)->text(0) + u' ' + list->topLevelItem(1)->text(1),
            u"Compleanno 03/05/1980"_s);
        QCOMPARE(label->text(), u"Torna alle note"_s);

        // Another contact, with nothing more: the notes come back.
        f->act(u"Data1_first"_s);
        QVERIFY(label->isHidden() && list->isHidden() && !notes->isHidden());
        f->act(u"Data1_next"_s);
        f->act(u"lblAltriDati"_s);
        QCOMPARE(list->topLevelItemCount(), 2);
        f->act(u"Command3d2"_s);
        QVERIFY(label->isHidden() && list->isHidden() && notes->isHidden());
        f->act(u"Command3d3"_s);
        QVERIFY(!label->isHidden() && list->isHidden() && !notes->isHidden());
    }

    // The window opens at its designed size; the tree takes the room it grows by, the card
    // moves right. The exit button ends the program without a question; the next run opens with the
    // size and the contact this one ended with.
    void windowRemembersItsSizeAndContact()
    {
        f->test.add("Bianchi", "Anna");
        const qint64 verdi = f->test.add("Verdi", "Luca");
        f->test.add("Zanna", "Ugo");
        QSettings memory(f->test.directory() + "/memory.ini", QSettings::IniFormat);
        for (int run = 0; run < 2; ++run) {
            f->phone.reset();
            f->phone = std::make_unique<Phone>(f->platform, f->test.store(), f->test.directory());
            f->phone->rememberIn(&memory);
            f->phone->Form_Load();
            f->phone->show();
            if (run == 1)
                break;
            QCOMPARE(f->phone->centralWidget()->size(), QSize(591, 446));
            f->phone->resize(200, 150); // never smaller than designed
            QTRY_COMPARE(f->phone->centralWidget()->size(), QSize(591, 446));
            const QRect tree = f->find(u"Outline1"_s)->geometry();
            const QRect card = f->find(u"Picture1"_s)->geometry();
            f->act(u"Data1_next"_s);
            f->phone->resize(f->phone->size() + QSize(120, 80));
            QTRY_COMPARE(f->phone->centralWidget()->size(), QSize(591 + 120, 446 + 80));
            QCOMPARE(f->find(u"Outline1"_s)->geometry(), tree.adjusted(0, 0, 120, 80));
            QCOMPARE(f->find(u"Picture1"_s)->geometry(), card.translated(120, 0));
            f->act(u"BtnFine"_s);
            QVERIFY(f->platform.programEnded && f->platform.messages.isEmpty());
        }
        QTRY_COMPARE(f->phone->centralWidget()->size(), QSize(591 + 120, 446 + 80));
        QCOMPARE(f->data().currentId(), verdi);
    }

    // Loaded again, whatever the user was doing: every contact of the table as it is now under its
    // letter, all letters closed, the first line selected, browsing with the search state reset.
    void everyLoadEndsBrowsing()
    {
        for (const auto &[last, first] : {std::pair{"rossi", "Mario"}, {"Bianchi", "Anna"}, {"3M", "Servizi"},
                 {"Èrcole", "Ugo"}, {" Spazio", "Iniziale"}, {"Rossi", "Anna"}, {"Łoś", "Ada"}})
            f->test.add(QString::fromUtf8(last), QString::fromUtf8(first));
        f->test.add(makeRecord({{Field::FirstName, u"Senza cognome"_s}}));
        f->load();
        Outline &tree = f->tree();
        tree.setExpand(1, true);
        tree.RemoveItem(0); // a line the program took out is put back
        f->test.add("Zeta", "Zoe"); // written meanwhile by another window on the same store
        searchState().SearchText = u"rossi"_s;
        searchState().SearchScope = 3;
        searchState().IgnoreCase = false;
        f->act(u"cNew"_s);
        const qsizetype dialogs = f->platform.modalForms.size();
        f->phone->Form_Load();
        QCOMPARE(f->platform.modalForms.size(), dialogs); // the start-up search runs only once
        QString letters;
        QStringList lines;
        for (int i = 0; i < tree.ListCount(); ++i) {
            QCOMPARE(tree.IsItemVisible(i), tree.Indent(i) == 1);
            if (tree.Indent(i) == 1)
                letters += tree.List(i);
            else
                lines.append(tree.FullPath(i));
        }
        // An accented initial under its base letter, wherever the record order puts it; whatever begins
        // with no letter under "#" after Z, in record order (a Null surname first, a digit after a blank).
        QCOMPARE(letters, u"ABCDEFGHIJKLMNOPQRSTUVWXYZ#"_s);
        QCOMPARE(lines,
            (QStringList{"B\\Bianchi, Anna", "E\\Èrcole, Ugo", "L\\Łoś, Ada", "R\\Rossi, Anna",
                "R\\rossi, Mario", "Z\\Zeta, Zoe", "#\\, Senza cognome", "#\\ Spazio, Iniziale",
                "#\\3M, Servizi"}));
        QCOMPARE(tree.ListIndex(), 0);
        QCOMPARE(f->phone->findChildren<QWidget *>(u"tCity_1"_s).size(), 1); // no second Casa boxes
        QVERIFY(
            searchState().SearchText.isEmpty() && searchState().SearchScope == 0 && searchState().IgnoreCase);
        for (const char *on : {"Data1", "cNew", "cDelete", "FileNuovo", "FileCancella"})
            QVERIFY2(f->enabled(QString::fromLatin1(on)), on);
        QVERIFY(!f->enabled(u"cUpdate"_s) && !f->enabled(u"FileAggiorna"_s));
        QVERIFY(f->phone->isVisible() && f->phone->updatesEnabled() && !f->phone->hasPendingEdit());
    }
};

QTEST_MAIN(TestPhoneWindow)
#include "test_phone_window.moc"
