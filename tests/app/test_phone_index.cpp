// The card pages and the index tree: what each page button shows, how the tree files the
// contacts, and how choosing a line and moving the data control keep each other in step.
#include "PhoneFixture.h"

#include "ui/controls/Outline.h"

#include <QFrame>
#include <QLabel>

class TestPhoneIndex : public QObject
{
    Q_OBJECT
private slots:
    void init() { f = std::make_unique<PhoneFixture>(); }
    void cleanup() { f.reset(); }
    void pageButtons_data();
    void pageButtons();
    void pagesNeverTouchTheData();
    void treeFilesEveryContactUnderItsCapital();
    void emptyTableGivesTheLettersOnly();
    void choosingALineShowsTheContact();
    void equalNamesShowTheFirst();
    void movesSelectTheLineOrItsLetter();
    void enterAndDoubleClickToggleALetter();
    void lineOutsideTheTreeFallsBackToTheWholeAgenda();
    void wholeAgendaAgainFollowsTheTableAndTheTree();

private:
    std::unique_ptr<PhoneFixture> f;
};

void TestPhoneIndex::pageButtons_data()
{
    QTest::addColumn<QString>("handler");
    QTest::addColumn<bool>("card");
    QTest::addColumn<bool>("casa");
    QTest::addColumn<bool>("lavoro");
    QTest::addColumn<bool>("notes");
    QTest::addColumn<int>("marker");
    // Each handler runs after the Note page was shown, with the Casa boxes visible before it.
    QTest::newRow("Casa") << "Command3d1" << true << true << false << false << 380;
    QTest::newRow("Lavoro") << "Command3d2" << true << false << true << false << 248;
    QTest::newRow("Note") << "Command3d3" << false << true << false << true << 499;
    QTest::newRow("Cellulare label") << "Label1" << false << false << true << false << 499;
    QTest::newRow("E-Mail label") << "Label2" << false << true << false << false << 499;
}

void TestPhoneIndex::pageButtons()
{
    QFETCH(QString, handler);
    QFETCH(bool, card);
    QFETCH(bool, casa);
    QFETCH(bool, lavoro);
    QFETCH(bool, notes);
    QFETCH(int, marker);
    f->load();
    Phone &p = *f->phone;
    p.Command3d1_Click();
    p.Command3d3_Click();
    const std::map<QString, void (Phone::*)()> handlers = {
        {"Command3d1", &Phone::Command3d1_Click}, {"Command3d2", &Phone::Command3d2_Click},
        {"Command3d3", &Phone::Command3d3_Click}, {"Label1", &Phone::Label1_Click},
        {"Label2", &Phone::Label2_Click}};
    (p.*handlers.at(handler))();
    QCOMPARE(!p.Picture1->isHidden(), card);
    for (int i = 0; i < 2; ++i) {
        const bool shown = i == 0 ? lavoro : casa;
        for (QWidget *box : std::initializer_list<QWidget *>{p.tPhone[i], p.tAddress[i], p.tCity[i], p.tProv[i],
                                                             p.tPost[i], p.tFax[i]})
            QCOMPARE(!box->isHidden(), shown);
    }
    QCOMPARE(!p.tNotes->isHidden(), notes);
    QCOMPARE(p.Image1->x(), marker);
}

void TestPhoneIndex::pagesNeverTouchTheData()
{
    f->test.add(QStringLiteral("Rossi"), QStringLiteral("Mario"),
               {{Field::WorkCity, QStringLiteral("Bologna")}, {Field::HomeCity, QStringLiteral("Imola")}});
    f->load();
    Phone &p = *f->phone;
    QCOMPARE(p.Image1->x(), 248); // the program opens on the Lavoro page
    QVERIFY(p.tNotes->isHidden());
    QVERIFY(!p.tCity[0]->isHidden());
    p.Command3d1_Click();
    QCOMPARE(p.tCity[1]->text(), QStringLiteral("Imola"));
    p.Command3d2_Click();
    QCOMPARE(p.tCity[0]->text(), QStringLiteral("Bologna"));
    QVERIFY(p.FileNuovo->isEnabled());
    QCOMPARE(p.tLName->text(), QStringLiteral("Rossi"));
}

void TestPhoneIndex::treeFilesEveryContactUnderItsCapital()
{
    f->test.add(QStringLiteral("rossi"), QStringLiteral("Mario"));
    f->test.add(QStringLiteral("Bianchi"), QStringLiteral("Anna"));
    f->test.add(QStringLiteral("3M"), QStringLiteral("Servizi"));
    f->test.add(QStringLiteral("Èrcole"), QStringLiteral("Ugo"));
    f->test.add(QStringLiteral(" Spazio"), QStringLiteral("Iniziale"));
    f->test.add(makeRecord({{Field::FirstName, QStringLiteral("Senza cognome")}}));
    f->test.add(QStringLiteral("Rossi"), QStringLiteral("Anna"));
    f->test.add(QStringLiteral("Zeta"), QStringLiteral("Zoe"));
    f->load();
    Outline &tree = *f->phone->Outline1;
    QStringList lines;
    for (int i = 0; i < tree.ListCount(); ++i) {
        if (tree.Indent(i) == 2)
            lines.append(tree.FullPath(i));
        else
            QCOMPARE(tree.Indent(i), 1);
    }
    // Names that do not begin with A to Z get no line; everything sorted after them keeps its line.
    QCOMPARE(lines, (QStringList{"B\\Bianchi, Anna", "R\\Rossi, Anna", "R\\rossi, Mario", "Z\\Zeta, Zoe"}));
    QCOMPARE(tree.ListCount(), 26 + 4);
    for (int i = 0; i < tree.ListCount(); ++i)
        QCOMPARE(tree.IsItemVisible(i), tree.Indent(i) == 1);
}

void TestPhoneIndex::emptyTableGivesTheLettersOnly()
{
    f->load();
    QCOMPARE(f->phone->Outline1->ListCount(), 26);
    QCOMPARE(f->phone->Outline1->List(25), QStringLiteral("Z"));
    QCOMPARE(f->phone->Data1->Caption(), QStringLiteral("Nessun record trovato!"));
}

void TestPhoneIndex::choosingALineShowsTheContact()
{
    f->test.add(QStringLiteral("Bianchi"), QStringLiteral("Anna"));
    f->test.add(QStringLiteral("D'Angelo"), QStringLiteral("Nicolò"));
    f->load();
    Outline &tree = *f->phone->Outline1;
    const int line = tree.findLine(QStringLiteral("D'Angelo, Nicolò"));
    QVERIFY(line > 0);
    tree.setExpand(line - 1, true);
    QVERIFY(tree.setListIndex(line));
    f->phone->Outline1_Click();
    QCOMPARE(f->phone->tFName->text(), QStringLiteral("Nicolò"));
    QCOMPARE(f->phone->Data1->Caption(), QStringLiteral("D'Angelo, Nicolò"));
    // A letter line only changes the selection.
    tree.setListIndex(0);
    f->phone->Outline1_Click();
    QCOMPARE(f->phone->tLName->text(), QStringLiteral("D'Angelo"));

    // Pressed on one line and released on another: the card follows the line left selected.
    tree.setExpand(tree.findLine(QStringLiteral("B")), true);
    const QRect from = tree.visualRect(tree.model()->index(0, 0, tree.model()->index(3, 0)));
    const QRect to = tree.visualRect(tree.model()->index(0, 0, tree.model()->index(1, 0)));
    QVERIFY(from.isValid() && to.isValid());
    QTest::mousePress(tree.viewport(), Qt::LeftButton, {}, from.center());
    QTest::mouseMove(tree.viewport(), to.center());
    QTest::mouseRelease(tree.viewport(), Qt::LeftButton, {}, to.center());
    QCOMPARE(tree.List(tree.ListIndex()), QStringLiteral("Bianchi, Anna"));
    QCOMPARE(f->phone->Data1->Caption(), QStringLiteral("Bianchi, Anna"));
}

void TestPhoneIndex::equalNamesShowTheFirst()
{
    const qint64 first = f->test.add(QStringLiteral("Rossi"), QStringLiteral("Mario"), {{Field::WorkCity, "A"}});
    f->test.add(QStringLiteral("Rossi"), QStringLiteral("Mario"), {{Field::WorkCity, "B"}});
    f->load();
    Outline &tree = *f->phone->Outline1;
    const int r = tree.findLine(QStringLiteral("R"));
    tree.setExpand(r, true);
    tree.setListIndex(r + 2);
    f->phone->Outline1_Click();
    QCOMPARE(f->phone->Data1->currentId(), first);
    QCOMPARE(tree.ListIndex(), r + 1); // the reposition selects the upper line
}

void TestPhoneIndex::movesSelectTheLineOrItsLetter()
{
    f->test.add(QStringLiteral("Bianchi"), QStringLiteral("Anna"));
    f->test.add(QStringLiteral("Bruni"), QStringLiteral("Bruno"));
    f->test.add(QStringLiteral("Verdi"), QStringLiteral("Luca"));
    f->load();
    Phone &p = *f->phone;
    Outline &tree = *p.Outline1;
    p.Data1->MoveNext();
    QCOMPARE(p.Data1->Caption(), QStringLiteral("Bruni, Bruno"));
    QCOMPARE(tree.List(tree.ListIndex()), QStringLiteral("B")); // its letter is closed
    tree.setExpand(tree.findLine(QStringLiteral("B")), true);
    p.Data1->MovePrevious();
    QCOMPARE(tree.List(tree.ListIndex()), QStringLiteral("Bianchi, Anna"));
    p.Data1->MoveLast();
    QCOMPARE(tree.List(tree.ListIndex()), QStringLiteral("V"));
}

void TestPhoneIndex::enterAndDoubleClickToggleALetter()
{
    f->test.add(QStringLiteral("Bianchi"), QStringLiteral("Anna"));
    f->load();
    Outline &tree = *f->phone->Outline1;
    tree.setListIndex(1); // "B"
    f->phone->Outline1_KeyPress(13);
    QVERIFY(tree.Expand(1));
    QVERIFY(tree.IsItemVisible(2));
    f->phone->Outline1_DblClick();
    QVERIFY(!tree.Expand(1));
    QCOMPARE(tree.ListIndex(), 1);
}

void TestPhoneIndex::lineOutsideTheTreeFallsBackToTheWholeAgenda()
{
    f->test.add(QStringLiteral("Bianchi"), QStringLiteral("Anna"));
    f->load();
    f->phone->Outline1->Clear();
    f->phone->setWindowTitle(QStringLiteral("Rubrello - ( XYZ )"));
    f->phone->Outline1_Expand(0);
    QCOMPARE(f->platform.messages.size(), 1);
    QCOMPARE(f->platform.messages[0].text,
             QStringLiteral("Non trovato record nella ricerca: Verrà visualizzata tutta l'agenda!"));
    QCOMPARE(f->platform.messages[0].icon, MessageIcon::Question);
    QCOMPARE(f->phone->windowTitle(), QStringLiteral("Rubrello - Tutta l'agenda"));
    QCOMPARE(f->phone->Outline1->ListCount(), 27);
}

void TestPhoneIndex::wholeAgendaAgainFollowsTheTableAndTheTree()
{
    f->test.add(QStringLiteral("Bianchi"), QStringLiteral("Anna"));
    f->load();
    Outline &tree = *f->phone->Outline1;
    tree.setExpand(1, true);
    tree.setListIndex(2);

    // Loaded again with nothing changed: the same lines, all letters closed, the first selected.
    f->phone->Form_Load();
    QCOMPARE(tree.ListCount(), 26 + 1);
    QCOMPARE(tree.ListIndex(), 0);
    QVERIFY(!tree.Expand(1));

    // A contact written meanwhile (here by another window on the same store) gets its line.
    f->test.add(QStringLiteral("Bianchi"), QStringLiteral("Bruno"));
    f->phone->Form_Load();
    QCOMPARE(tree.ListCount(), 26 + 2);
    QCOMPARE(tree.List(3), QStringLiteral("Bianchi, Bruno"));

    // Lines the program took out of the tree are put back.
    tree.RemoveItem(3);
    f->phone->Form_Load();
    QCOMPARE(tree.ListCount(), 26 + 2);
}

QTEST_MAIN(TestPhoneIndex)
#include "test_phone_index.moc"
