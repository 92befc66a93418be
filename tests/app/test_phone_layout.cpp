// The main window as designed: every control at its place with its caption and tooltip, the tab
// order, the menus and their shortcuts, and the state every load leaves behind.
#include "PhoneFixture.h"

#include "ui/controls/Outline.h"
#include "search/SearchState.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>

class TestPhoneLayout : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void controlsStandAtTheirPlaces_data();
    void controlsStandAtTheirPlaces();
    void windowGrowsAroundTheCard();
    void windowRemembersItsPlaceAndContact();
    void tabOrderFollowsTheDesign();
    void menuItems_data();
    void menuItems();
    void menuShortcutWinsInsideABox();
    void casaInstancesCopyTheirLavoroTwins_data();
    void casaInstancesCopyTheirLavoroTwins();
    void everyLoadEndsBrowsingWithTheSearchStateReset();
    void exitEndsTheProgram();

private:
    std::unique_ptr<PhoneFixture> f;
};

void TestPhoneLayout::init()
{
    f = std::make_unique<PhoneFixture>();
    f->load();
}

void TestPhoneLayout::controlsStandAtTheirPlaces_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("tooltip");
    auto row = [](const char *name, QRect g, const char *caption = "", const char *tip = "") {
        QTest::newRow(name) << QString::fromLatin1(name) << g << QString::fromUtf8(caption) << QString::fromUtf8(tip);
    };
    row("cNew", {0, 8, 77, 55}, "Nuovo", "Nuovo record");
    row("cDelete", {77, 8, 77, 55}, "Cancella", "Cancella record");
    row("cUpdate", {154, 8, 77, 55}, "Aggiorna");
    row("BtnCerca", {231, 8, 77, 55}, "&Cerca", "Nuova ricerca");
    row("CmdCopia", {308, 8, 77, 55}, "C&opia", "Copia nella clipboard");
    row("BtnChiama", {385, 8, 77, 55}, "&Dial", "Chiama col modem ");
    row("BtnFine", {462, 8, 77, 55}, "&Uscita", "Va be' se proprio devi ...");
    row("Outline1", {3, 69, 191, 360});
    row("Picture1", {208, 72, 370, 238});
    row("tNotes", {208, 80, 366, 231});
    row("Data1", {195, 312, 382, 21});
    row("Image1", {248, 328, 33, 32});
    row("Command3d2", {200, 360, 120, 65}, "&Lavoro");
    row("Command3d1", {320, 360, 128, 65}, "&Casa");
    row("Command3d3", {448, 360, 136, 65}, "No&te");
    // Inside the card
    row("Label4", {3, 3, 59, 17}, "Cogno&me:");
    row("tLName", {60, 0, 143, 19});
    row("Label8", {213, 3, 37, 17}, "Nome:");
    row("tFName", {249, 0, 115, 19});
    row("Label10", {9, 30, 49, 16}, "Azienda:");
    row("tCountry", {60, 27, 305, 19});
    row("Label6", {9, 52, 49, 17}, "Indirizzo:");
    row("tAddress_0", {60, 55, 304, 39});
    row("tAddress_1", {60, 55, 304, 39});
    row("Label9", {27, 103, 32, 16}, "Città:");
    row("tCity_0", {60, 100, 199, 19});
    row("Label7", {270, 103, 57, 17}, "Provincia:");
    row("tProv_1", {330, 100, 34, 19});
    row("Label11", {30, 130, 28, 16}, "CAP:");
    row("tPost_0", {60, 127, 79, 19});
    row("Label5", {183, 130, 54, 17}, "Telefono:");
    row("tPhone_1", {240, 127, 124, 19});
    row("Label12", {33, 157, 32, 13}, "Fax:");
    row("tFax_0", {60, 154, 116, 19});
    row("Label1", {186, 157, 54, 17}, "Cellulare:");
    row("Text1", {240, 154, 124, 19});
    row("Label2", {12, 178, 49, 28}, "E-Mail Internet:");
    row("tInternet", {60, 181, 273, 19});
    row("Command1", {344, 184, 25, 17}, ">", "Manda una mail");
    row("Label3", {0, 208, 65, 20}, "Home Page");
    row("tHomepage", {60, 208, 273, 19});
    row("Command2", {344, 211, 25, 17}, ">", "Visita Home page");
}

void TestPhoneLayout::controlsStandAtTheirPlaces()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, caption);
    QFETCH(QString, tooltip);
    QWidget *control = f->phone->findChild<QWidget *>(name);
    QVERIFY2(control, qPrintable(name));
    QCOMPARE(control->geometry(), geometry);
    QCOMPARE(control->toolTip(), tooltip);
    if (auto *button = qobject_cast<QAbstractButton *>(control))
        QCOMPARE(button->text(), caption);
    else if (auto *label = qobject_cast<QLabel *>(control); label && !caption.isEmpty())
        QCOMPARE(label->text(), caption);
}

void TestPhoneLayout::windowGrowsAroundTheCard()
{
    Phone &p = *f->phone;
    QWidget *client = p.centralWidget();
    QCOMPARE(client->size(), QSize(591, 446));
    // The design's caption; the start-up search then names what is shown.
    Phone fresh(f->platform, f->test.store(), f->test.directory());
    QCOMPARE(fresh.windowTitle(), QStringLiteral("Rubrello"));
    QCOMPARE(p.windowTitle(), QStringLiteral("Rubrello - Tutta l'agenda"));

    const QRect tree = p.Outline1->geometry();
    const QRect card = p.Picture1->geometry();
    const QRect casa = p.Command3d1->geometry();
    const QRect exit = p.BtnFine->geometry();
    p.resize(p.size() + QSize(200, 150));
    QTRY_COMPARE(client->size(), QSize(791, 596));
    QCOMPARE(p.Outline1->geometry(), tree.adjusted(0, 0, 200, 150));
    QCOMPARE(p.Picture1->geometry(), card.translated(200, 0));
    QCOMPARE(p.Command3d1->geometry(), casa.translated(200, 0));
    QCOMPARE(p.BtnFine->geometry(), exit);
    // Never smaller than designed.
    p.resize(300, 200);
    QTRY_COMPARE(client->size(), QSize(591, 446));
    QCOMPARE(p.Outline1->geometry(), tree);
}

void TestPhoneLayout::windowRemembersItsPlaceAndContact()
{
    f->test.add(QStringLiteral("Bianchi"), QStringLiteral("Anna"));
    const qint64 verdi = f->test.add(QStringLiteral("Verdi"), QStringLiteral("Luca"));
    f->test.add(QStringLiteral("Zanna"), QStringLiteral("Ugo"));
    QSettings memory(f->test.directory() + QStringLiteral("/memory.ini"), QSettings::IniFormat);
    {
        Phone first(f->platform, f->test.store(), f->test.directory());
        first.rememberIn(&memory);
        first.Form_Load();
        first.show();
        QCOMPARE(first.findChild<QLabel *>(QStringLiteral("Data1_position"))->text(), QStringLiteral("1 di 3"));
        first.Data1->FindFirst(ById{verdi});
        QCOMPARE(first.findChild<QLabel *>(QStringLiteral("Data1_position"))->text(), QStringLiteral("2 di 3"));
        first.resize(first.size() + QSize(120, 80));
        QTRY_COMPARE(first.centralWidget()->width(), 591 + 120);
        first.BtnFine_Click();
    }
    Phone second(f->platform, f->test.store(), f->test.directory());
    second.rememberIn(&memory);
    second.Form_Load();
    second.show();
    QTRY_COMPARE(second.centralWidget()->size(), QSize(591 + 120, 446 + 80));
    QCOMPARE(second.Data1->currentId(), verdi);
    QCOMPARE(second.Data1->Caption(), QStringLiteral("Verdi, Luca"));
}

void TestPhoneLayout::tabOrderFollowsTheDesign()
{
    // Hidden boxes (the Casa instances, the notes on the Lavoro page) are left out by Tab.
    const QStringList expected = {"tLName", "tFName", "tCountry", "tAddress_0", "tCity_0", "tProv_0", "tPost_0",
                                  "tPhone_0", "tFax_0", "Text1", "tInternet", "cNew", "cDelete", "BtnCerca",
                                  "CmdCopia", "BtnChiama", "BtnFine", "Outline1", "Command3d2", "Command3d1",
                                  "Command3d3", "tHomepage", "Command1", "Command2"};
    f->phone->tLName->setFocus();
    QStringList seen;
    for (int i = 0; i < expected.size() && QApplication::focusWidget(); ++i) {
        seen.append(PhoneFixture::focusName());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(seen, expected);
}

void TestPhoneLayout::menuItems_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QKeySequence>("shortcut");
    QTest::addColumn<bool>("enabled");
    auto row = [](const char *name, const char *menu, const char *caption, QKeySequence keys, bool enabled = true) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromUtf8(menu) << QString::fromUtf8(caption)
                            << keys << enabled;
    };
    row("FileStampaMaschera", "&Stampe", "&Stampa scheda", QKeySequence(Qt::CTRL | Qt::Key_H));
    row("FileStampaAgenda", "&Stampe", "S&tampa Agenda", QKeySequence(Qt::CTRL | Qt::Key_S));
    row("FileImporta", "&File", "&Importa ...", {});
    row("FileEsci", "&File", "&Esci", QKeySequence(Qt::CTRL | Qt::Key_F4));
    row("FileNuovo", "&Edit", "&Nuovo", QKeySequence(Qt::CTRL | Qt::Key_N));
    row("FileCancella", "&Edit", "C&ancella record", QKeySequence(Qt::CTRL | Qt::Key_Y));
    row("FileAggiorna", "&Edit", "A&ggiorna record", QKeySequence(Qt::CTRL | Qt::Key_A), false);
    row("FileCerca", "&Edit", "&Cerca", QKeySequence(Qt::Key_F3));
    row("FileCopia", "&Edit", "C&opia nella clipboard", QKeySequence(Qt::CTRL | Qt::Key_C));
    row("FileChiama", "&Edit", "C&hiama col modem", QKeySequence(Qt::CTRL | Qt::Key_D));
    row("FileAiuto", "&Help", "&Aiuto", QKeySequence(Qt::Key_F1));
    row("MenuMail", "&Help", "&Manda una mail all'autore ...", {});
    row("FileAbout", "&Help", "A&bout", {});
}

void TestPhoneLayout::menuItems()
{
    QFETCH(QString, name);
    QFETCH(QString, menu);
    QFETCH(QString, caption);
    QFETCH(QKeySequence, shortcut);
    QFETCH(bool, enabled);
    auto *action = f->phone->findChild<QAction *>(name);
    QVERIFY(action);
    QCOMPARE(action->text(), caption);
    QCOMPARE(action->shortcut(), shortcut);
    QCOMPARE(action->isEnabled(), enabled);
    bool inMenu = false;
    for (QMenu *m : f->phone->findChildren<QMenu *>()) {
        if (m->title() == menu && m->actions().contains(action))
            inMenu = true;
    }
    QVERIFY(inMenu);
}

void TestPhoneLayout::menuShortcutWinsInsideABox()
{
    // Ctrl+N is a menu shortcut the box has no use for; Ctrl+A would select all in a box.
    // Both must reach the menu while the focus is in a box.
    QSignalSpy nuovo(f->phone->FileNuovo, &QAction::triggered);
    f->phone->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f->phone.get()));
    f->phone->tFName->setFocus();
    QTest::keyClick(f->phone->tFName, Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(nuovo.size(), 1);
    QSignalSpy aggiorna(f->phone->FileAggiorna, &QAction::triggered);
    f->phone->tLName->setFocus();
    QTest::keyClick(f->phone->tLName, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(aggiorna.size(), 1);
}

void TestPhoneLayout::casaInstancesCopyTheirLavoroTwins_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("longest");
    for (const auto &[box, longest] : {std::pair{"tProv", 2}, {"tPost", 5}, {"tPhone", 15}, {"tCity", 25}, {"tFax", 15}})
        QTest::newRow(box) << QString::fromLatin1(box) << longest;
}

void TestPhoneLayout::casaInstancesCopyTheirLavoroTwins()
{
    QFETCH(QString, box);
    QFETCH(int, longest);
    auto *lavoro = f->phone->findChild<BoundLineEdit *>(box + QStringLiteral("_0"));
    auto *casa = f->phone->findChild<BoundLineEdit *>(box + QStringLiteral("_1"));
    QVERIFY(lavoro && casa);
    QCOMPARE(casa->longestInput(), longest);
    QCOMPARE(lavoro->longestInput(), longest);
    QCOMPARE(casa->geometry(), lavoro->geometry());
    QVERIFY(casa->isHidden());
    // A second load creates no further instances.
    f->phone->Form_Load();
    QCOMPARE(f->phone->findChildren<BoundLineEdit *>(box + QStringLiteral("_1")).size(), 1);
}

void TestPhoneLayout::everyLoadEndsBrowsingWithTheSearchStateReset()
{
    for (int run = 0; run < 2; ++run) {
        searchState().SearchText = QStringLiteral("rossi");
        searchState().SearchScope = 3;
        searchState().IgnoreCase = false;
        f->phone->setChangedState();
        const int dialogs = f->platform.modalForms.size();
        f->phone->Form_Load();
        QCOMPARE(f->platform.modalForms.size(), dialogs); // the start-up search runs only once
        QCOMPARE(searchState().SearchText, QString());
        QCOMPARE(searchState().SearchScope, 0);
        QVERIFY(searchState().IgnoreCase);
        QVERIFY(f->phone->Data1->isEnabled() && f->phone->cNew->isEnabled() && f->phone->cDelete->isEnabled());
        QVERIFY(f->phone->FileNuovo->isEnabled() && f->phone->FileCancella->isEnabled());
        QVERIFY(!f->phone->cUpdate->isEnabled() && !f->phone->FileAggiorna->isEnabled());
        QVERIFY(f->phone->isVisible() && f->phone->updatesEnabled());
        QCOMPARE(QDir::currentPath(), QDir(f->test.directory()).canonicalPath());
    }
}

void TestPhoneLayout::exitEndsTheProgram()
{
    QTest::mouseClick(f->phone->BtnFine, Qt::LeftButton);
    QVERIFY(f->platform.programEnded);
    QVERIFY(f->platform.messages.isEmpty());
}

QTEST_MAIN(TestPhoneLayout)
#include "test_phone_layout.moc"
