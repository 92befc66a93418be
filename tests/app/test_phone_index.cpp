// The card pages and the index tree: what each page button shows, how the tree files the contacts,
// and how choosing a line and moving the data control keep each other in step.
#include "PhoneFixture.h"

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
    void choosingALineShowsTheContact();
    void equalNamesShowTheFirst();
    void movesSelectTheLineOrItsLetter();
    void enterAndDoubleClickToggleALetter();
    void wholeAgendaAgainFollowsTheTableAndTheTree();

private:
    std::unique_ptr<PhoneFixture> f;
};

void TestPhoneIndex::pageButtons_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<bool>("card");
    QTest::addColumn<bool>("casa");
    QTest::addColumn<bool>("lavoro");
    QTest::addColumn<bool>("notes");
    QTest::addColumn<QString>("marked"); // the page button the marker stands over
    // Each control is clicked on the Note page, with the Casa boxes visible before it.
    QTest::newRow("Casa") << "Command3d1" << true << true << false << false << "Command3d1";
    QTest::newRow("Lavoro") << "Command3d2" << true << false << true << false << "Command3d2";
    QTest::newRow("Note") << "Command3d3" << false << true << false << true << "Command3d3";
    QTest::newRow("Cellulare label") << "Label1" << false << false << true << false << "Command3d3";
    QTest::newRow("E-Mail label") << "Label2" << false << true << false << false << "Command3d3";
}

void TestPhoneIndex::pageButtons()
{
    QFETCH(QString, control);
    QFETCH(bool, card);
    QFETCH(bool, casa);
    QFETCH(bool, lavoro);
    QFETCH(bool, notes);
    QFETCH(QString, marked);
    f->load();
    f->click(QStringLiteral("Command3d1"));
    f->click(QStringLiteral("Command3d3"));
    f->click(control);
    QCOMPARE(!f->find(QStringLiteral("Picture1"))->isHidden(), card);
    for (const char *box : {"tPhone", "tAddress", "tCity", "tProv", "tPost", "tFax"}) {
        QCOMPARE(!f->find(QString::fromLatin1(box) + QStringLiteral("_0"))->isHidden(), lavoro);
        QCOMPARE(!f->find(QString::fromLatin1(box) + QStringLiteral("_1"))->isHidden(), casa);
    }
    QCOMPARE(!f->find(QStringLiteral("tNotes"))->isHidden(), notes);
    const QRect button = f->find(marked)->geometry();
    const int marker = f->find(QStringLiteral("Image1"))->geometry().center().x();
    QVERIFY2(marker > button.left() && marker < button.right(), qPrintable(QString::number(marker)));
}

void TestPhoneIndex::pagesNeverTouchTheData()
{
    f->test.add(QStringLiteral("Rossi"), QStringLiteral("Mario"),
                {{Field::WorkCity, QStringLiteral("Bologna")}, {Field::HomeCity, QStringLiteral("Imola")}});
    f->load();
    // The program opens on the Lavoro page.
    QVERIFY(f->find(QStringLiteral("tNotes"))->isHidden());
    QVERIFY(!f->find(QStringLiteral("tCity_0"))->isHidden());
    f->click(QStringLiteral("Command3d1"));
    QCOMPARE(f->text(QStringLiteral("tCity_1")), QStringLiteral("Imola"));
    f->click(QStringLiteral("Command3d2"));
    QCOMPARE(f->text(QStringLiteral("tCity_0")), QStringLiteral("Bologna"));
    QVERIFY(!f->phone->hasPendingEdit());
    QCOMPARE(f->text(QStringLiteral("tLName")), QStringLiteral("Rossi"));
}

void TestPhoneIndex::treeFilesEveryContactUnderItsCapital()
{
    for (const auto &[last, first] : {std::pair{"rossi", "Mario"}, {"Bianchi", "Anna"}, {"3M", "Servizi"},
                                      {"Èrcole", "Ugo"}, {" Spazio", "Iniziale"}, {"Rossi", "Anna"}, {"Zeta", "Zoe"}})
        f->test.add(QString::fromUtf8(last), QString::fromUtf8(first));
    f->test.add(makeRecord({{Field::FirstName, QStringLiteral("Senza cognome")}}));
    f->load();
    Outline &tree = f->tree();
    QStringList lines;
    for (int i = 0; i < tree.ListCount(); ++i) {
        QVERIFY(tree.Indent(i) == 1 || tree.Indent(i) == 2);
        QCOMPARE(tree.IsItemVisible(i), tree.Indent(i) == 1);
        if (tree.Indent(i) == 2)
            lines.append(tree.FullPath(i));
    }
    // Names that do not begin with A to Z get no line; everything sorted after them keeps its line.
    QCOMPARE(lines, (QStringList{"B\\Bianchi, Anna", "R\\Rossi, Anna", "R\\rossi, Mario", "Z\\Zeta, Zoe"}));
    QCOMPARE(tree.ListCount(), 26 + 4);
}

void TestPhoneIndex::choosingALineShowsTheContact()
{
    f->test.add(QStringLiteral("Bianchi"), QStringLiteral("Anna"));
    f->test.add(QStringLiteral("D'Angelo"), QStringLiteral("Nicolò"));
    f->load();
    Outline &tree = f->tree();
    f->clickLine(QStringLiteral("D'Angelo, Nicolò"));
    QCOMPARE(f->text(QStringLiteral("tFName")), QStringLiteral("Nicolò"));
    QCOMPARE(f->caption(), QStringLiteral("D'Angelo, Nicolò"));
    // A letter line only changes the selection.
    f->clickLine(QStringLiteral("A"));
    QCOMPARE(f->text(QStringLiteral("tLName")), QStringLiteral("D'Angelo"));

    // Pressed on one line and released on another: the card follows the line left selected.
    tree.setExpand(tree.findLine(QStringLiteral("B")), true);
    const QRect from = tree.visualRect(tree.model()->index(0, 0, tree.model()->index(3, 0)));
    const QRect to = tree.visualRect(tree.model()->index(0, 0, tree.model()->index(1, 0)));
    QVERIFY(from.isValid() && to.isValid());
    QTest::mousePress(tree.viewport(), Qt::LeftButton, {}, from.center());
    QTest::mouseMove(tree.viewport(), to.center());
    QTest::mouseRelease(tree.viewport(), Qt::LeftButton, {}, to.center());
    QCOMPARE(tree.List(tree.ListIndex()), QStringLiteral("Bianchi, Anna"));
    QCOMPARE(f->caption(), QStringLiteral("Bianchi, Anna"));
}

void TestPhoneIndex::equalNamesShowTheFirst()
{
    const qint64 first = f->test.add(QStringLiteral("Rossi"), QStringLiteral("Mario"), {{Field::WorkCity, "A"}});
    f->test.add(QStringLiteral("Rossi"), QStringLiteral("Mario"), {{Field::WorkCity, "B"}});
    f->load();
    Outline &tree = f->tree();
    const int r = tree.findLine(QStringLiteral("R"));
    tree.setExpand(r, true);
    tree.setListIndex(r + 2);
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, tree.visualRect(tree.currentIndex()).center());
    QCOMPARE(f->data().currentId(), first);
    QCOMPARE(tree.ListIndex(), r + 1); // the reposition selects the upper line
}

void TestPhoneIndex::movesSelectTheLineOrItsLetter()
{
    f->test.add(QStringLiteral("Bianchi"), QStringLiteral("Anna"));
    f->test.add(QStringLiteral("Bruni"), QStringLiteral("Bruno"));
    f->test.add(QStringLiteral("Verdi"), QStringLiteral("Luca"));
    f->load();
    Outline &tree = f->tree();
    f->click(QStringLiteral("Data1_next"));
    QCOMPARE(f->caption(), QStringLiteral("Bruni, Bruno"));
    QCOMPARE(f->find<QLabel>(QStringLiteral("Data1_position"))->text(), QStringLiteral("2 di 3"));
    QCOMPARE(tree.List(tree.ListIndex()), QStringLiteral("B")); // its letter is closed
    tree.setExpand(tree.findLine(QStringLiteral("B")), true);
    f->click(QStringLiteral("Data1_previous"));
    QCOMPARE(tree.List(tree.ListIndex()), QStringLiteral("Bianchi, Anna"));
    f->click(QStringLiteral("Data1_last"));
    QCOMPARE(tree.List(tree.ListIndex()), QStringLiteral("V"));
    f->click(QStringLiteral("Data1_first"));
    QCOMPARE(f->caption(), QStringLiteral("Bianchi, Anna"));
}

void TestPhoneIndex::enterAndDoubleClickToggleALetter()
{
    f->test.add(QStringLiteral("Bianchi"), QStringLiteral("Anna"));
    f->load();
    Outline &tree = f->tree();
    tree.setListIndex(1); // "B"
    tree.setFocus();
    QTest::keyClick(&tree, Qt::Key_Return);
    QVERIFY(tree.Expand(1));
    QVERIFY(tree.IsItemVisible(2));
    QTest::mouseDClick(tree.viewport(), Qt::LeftButton, {}, tree.visualRect(tree.currentIndex()).center());
    QVERIFY(!tree.Expand(1));
    QCOMPARE(tree.ListIndex(), 1);
}

void TestPhoneIndex::wholeAgendaAgainFollowsTheTableAndTheTree()
{
    f->test.add(QStringLiteral("Bianchi"), QStringLiteral("Anna"));
    f->load();
    Outline &tree = f->tree();
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
