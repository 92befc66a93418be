// The main window as the user meets it: its size, the card's boxes in the card and apart, the two
// instances of the address boxes, the tab order, the menu shortcuts inside a box, what a run
// remembers for the next, and the state every load leaves behind.
#include "PhoneFixture.h"

#include "search/SearchState.h"

#include <QLabel>
#include <QSettings>
#include <QSignalSpy>
#include <QAbstractScrollArea>

class TestPhoneLayout : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void windowKeepsItsDesignedSizeAndGrowsAroundTheCard();
    void cardBoxesStandInTheCardApart();
    void casaPageShowsTheCasaInstances();
    void tabOrderFollowsTheCard();
    void menuShortcutWinsInsideABox();
    void windowRemembersItsPlaceAndContact();
    void everyLoadEndsBrowsingWithTheSearchStateReset();

private:
    std::unique_ptr<PhoneFixture> f;
};

void TestPhoneLayout::init()
{
    f = std::make_unique<PhoneFixture>();
    f->load();
}

void TestPhoneLayout::windowKeepsItsDesignedSizeAndGrowsAroundTheCard()
{
    QWidget *client = f->phone->centralWidget();
    QCOMPARE(client->size(), QSize(591, 446));
    Phone fresh(f->platform, f->test.store(), f->test.directory());
    QCOMPARE(fresh.windowTitle(), QStringLiteral("Rubrello"));
    QCOMPARE(f->phone->windowTitle(), QStringLiteral("Rubrello - Tutta l'agenda"));

    QWidget *tree = f->find(QStringLiteral("Outline1"));
    QWidget *card = f->find(QStringLiteral("Picture1"));
    const QRect treeBefore = tree->geometry();
    const QRect cardBefore = card->geometry();
    f->phone->resize(f->phone->size() + QSize(200, 150));
    QTRY_COMPARE(client->size(), QSize(791, 596));
    // The tree takes the room; the card keeps its size at the right.
    QCOMPARE(tree->size(), treeBefore.size() + QSize(200, 150));
    QCOMPARE(card->geometry(), cardBefore.translated(200, 0));
    f->phone->resize(300, 200);
    QTRY_COMPARE(client->size(), QSize(591, 446));
    QCOMPARE(tree->geometry(), treeBefore);
}

void TestPhoneLayout::cardBoxesStandInTheCardApart()
{
    QWidget *card = f->find(QStringLiteral("Picture1"));
    QList<QWidget *> boxes;
    for (QWidget *box : card->findChildren<QWidget *>()) {
        if ((qobject_cast<QLineEdit *>(box) || qobject_cast<QAbstractScrollArea *>(box)) && box->isVisibleTo(card))
            boxes.append(box);
    }
    QCOMPARE(boxes.size(), 12); // names, company, the six Lavoro boxes, mobile, mail, home page
    for (QWidget *box : boxes) {
        const QRect place(box->mapTo(card, QPoint()), box->size());
        QVERIFY2(card->rect().contains(place), qPrintable(box->objectName()));
        for (QWidget *other : boxes) {
            if (other != box)
                QVERIFY2(!box->geometry().intersects(other->geometry()),
                         qPrintable(box->objectName() + QLatin1Char('/') + other->objectName()));
        }
    }
}

// The Casa page shows the second instance of each address box, at the place of the Lavoro one and
// as long, and a second load makes no further instances.
void TestPhoneLayout::casaPageShowsTheCasaInstances()
{
    f->click(QStringLiteral("Command3d1"));
    for (const char *name : {"tAddress", "tCity", "tProv", "tPost", "tPhone", "tFax"}) {
        QWidget *lavoro = f->find(QString::fromLatin1(name) + QStringLiteral("_0"));
        QWidget *casa = f->find(QString::fromLatin1(name) + QStringLiteral("_1"));
        QVERIFY2(casa->isVisible() && !lavoro->isVisible(), name);
        QCOMPARE(casa->geometry(), lavoro->geometry());
        if (auto *line = qobject_cast<BoundLineEdit *>(casa))
            QCOMPARE(line->longestInput(), f->box(QString::fromLatin1(name) + QStringLiteral("_0"))->longestInput());
    }
    f->phone->Form_Load();
    QCOMPARE(f->phone->findChildren<QWidget *>(QStringLiteral("tCity_1")).size(), 1);
}

void TestPhoneLayout::tabOrderFollowsTheCard()
{
    // Hidden boxes (the Casa instances, the notes on the Lavoro page) are left out by Tab.
    const QStringList expected = {"tLName", "tFName", "tCountry", "tAddress_0", "tCity_0", "tProv_0", "tPost_0",
                                  "tPhone_0", "tFax_0", "Text1", "tInternet", "cNew", "cDelete", "BtnCerca",
                                  "CmdCopia", "BtnChiama", "BtnFine", "Outline1", "Command3d2", "Command3d1",
                                  "Command3d3", "tHomepage", "Command1", "Command2"};
    f->find(QStringLiteral("tLName"))->setFocus();
    QStringList seen;
    for (int i = 0; i < expected.size() && QApplication::focusWidget(); ++i) {
        seen.append(PhoneFixture::focusName());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(seen, expected);
}

void TestPhoneLayout::menuShortcutWinsInsideABox()
{
    // Ctrl+N is a menu shortcut the box has no use for; Ctrl+A would select all in a box.
    // Both must reach the menu while the focus is in a box.
    QSignalSpy nuovo(f->find<QAction>(QStringLiteral("FileNuovo")), &QAction::triggered);
    f->find(QStringLiteral("tFName"))->setFocus();
    QTest::keyClick(f->find(QStringLiteral("tFName")), Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(nuovo.size(), 1);
    QSignalSpy aggiorna(f->find<QAction>(QStringLiteral("FileAggiorna")), &QAction::triggered);
    f->find(QStringLiteral("tLName"))->setFocus();
    QTest::keyClick(f->find(QStringLiteral("tLName")), Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(aggiorna.size(), 1);
}

void TestPhoneLayout::windowRemembersItsPlaceAndContact()
{
    f->phone.reset();
    f->test.add(QStringLiteral("Bianchi"), QStringLiteral("Anna"));
    const qint64 verdi = f->test.add(QStringLiteral("Verdi"), QStringLiteral("Luca"));
    f->test.add(QStringLiteral("Zanna"), QStringLiteral("Ugo"));
    QSettings memory(f->test.directory() + QStringLiteral("/memory.ini"), QSettings::IniFormat);
    f->phone = std::make_unique<Phone>(f->platform, f->test.store(), f->test.directory());
    f->phone->rememberIn(&memory);
    f->phone->Form_Load();
    f->phone->show();
    f->click(QStringLiteral("Data1_next"));
    QCOMPARE(f->find<QLabel>(QStringLiteral("Data1_position"))->text(), QStringLiteral("2 di 3"));
    f->phone->resize(f->phone->size() + QSize(120, 80));
    QTRY_COMPARE(f->phone->centralWidget()->width(), 591 + 120);
    f->click(QStringLiteral("BtnFine"));
    QVERIFY(f->platform.programEnded);
    QVERIFY(f->platform.messages.isEmpty());
    f->phone.reset();

    Phone second(f->platform, f->test.store(), f->test.directory());
    second.rememberIn(&memory);
    second.Form_Load();
    second.show();
    QTRY_COMPARE(second.centralWidget()->size(), QSize(591 + 120, 446 + 80));
    QCOMPARE(second.findChild<DataControl *>(QStringLiteral("Data1"))->currentId(), verdi);
}

void TestPhoneLayout::everyLoadEndsBrowsingWithTheSearchStateReset()
{
    f->test.add(QStringLiteral("Bianchi"), QStringLiteral("Anna"));
    for (int run = 0; run < 2; ++run) {
        searchState().SearchText = QStringLiteral("rossi");
        searchState().SearchScope = 3;
        searchState().IgnoreCase = false;
        f->click(QStringLiteral("cNew"));
        const qsizetype dialogs = f->platform.modalForms.size();
        f->phone->Form_Load();
        QCOMPARE(f->platform.modalForms.size(), dialogs); // the start-up search runs only once
        QCOMPARE(searchState().SearchText, QString());
        QCOMPARE(searchState().SearchScope, 0);
        QVERIFY(searchState().IgnoreCase);
        for (const char *on : {"Data1", "cNew", "cDelete", "FileNuovo", "FileCancella"})
            QVERIFY2(f->enabled(QString::fromLatin1(on)), on);
        QVERIFY(!f->enabled(QStringLiteral("cUpdate")) && !f->enabled(QStringLiteral("FileAggiorna")));
        QVERIFY(f->phone->isVisible() && f->phone->updatesEnabled() && !f->phone->hasPendingEdit());
    }
}

QTEST_MAIN(TestPhoneLayout)
#include "test_phone_layout.moc"
