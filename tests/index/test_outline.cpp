// The index tree's line model: levels, open flags, visibility, paths, selection bounds and the
// text lookup, checked against a plain scan of the lines.
#include "OutlineFixture.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

#include <memory>

class TestOutline : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void visibilityFollowsClosedLetters_data();
    void visibilityFollowsClosedLetters();
    void fullPathJoinsTheLetter_data();
    void fullPathJoinsTheLetter();
    void listIndexOutsideTheTreeChangesNothing_data();
    void listIndexOutsideTheTreeChangesNothing();
    void openFlagChangesAreSignalledOnce_data();
    void openFlagChangesAreSignalledOnce();
    void removeItemKeepsTheLookupExact_data();
    void removeItemKeepsTheLookupExact();
    void selectionSurvivesRemovalAbove();
    void selectingAHiddenLineLeavesItsLetterClosed();
    void changingALevelInTheMiddleRegroupsTheLines();
    void lastLineChangesLevel_data();
    void lastLineChangesLevel();
    void clearEmptiesEverything();
    void removalIsNotTakenForTheUser();
    void batchBuildsTheSameTree();
    void batchAppliesSelectionAndFlagsAtTheEnd();

private:
    std::unique_ptr<Outline> m_outline;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
};

namespace {
const QStringList letters = {QStringLiteral("A"), QStringLiteral(">Abate, Ugo"), QStringLiteral("B"),
    QStringLiteral(">Bruni, Eva"), QStringLiteral(">Bassi, Rita"), QStringLiteral("C")};

QString flags(const Outline &outline, bool (Outline::*probe)(int) const, QChar yes)
{
    QString result;
    for (int i = 0; i < outline.ListCount(); ++i)
        result.append((outline.*probe)(i) ? yes : QChar(u'.'));
    return result;
}

void checkLookupAgainstScan(const Outline &outline)
{
    for (int i = 0; i < outline.ListCount(); ++i)
        QCOMPARE(outline.findLine(outline.List(i)), scanForLine(outline, outline.List(i)));
}
} // namespace

void TestOutline::init()
{
    m_outline = std::make_unique<Outline>();
    m_tester = std::make_unique<QAbstractItemModelTester>(
        m_outline->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
}

void TestOutline::cleanup()
{
    m_tester.reset();
    m_outline.reset();
}

void TestOutline::visibilityFollowsClosedLetters_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QList<int>>("open");
    QTest::addColumn<QString>("visible");
    QTest::addColumn<QString>("subItems");

    QTest::newRow("all letters closed") << letters << QList<int> {} << "v.v..v"
                                        << "+.+...";
    QTest::newRow("one letter open") << letters << QList<int> {2} << "v.vvvv"
                                     << "+.+...";
    QTest::newRow("every letter open") << letters << QList<int> {0, 2, 5} << "vvvvvv"
                                       << "+.+...";
    QTest::newRow("a contact line's own flag hides nothing") << letters << QList<int> {1} << "v.v..v"
                                                             << "+.+...";
    QTest::newRow("contact line before any letter is a top line")
        << QStringList {">Orfano, Ada", ">Solo, Ivo", "A", ">Abate, Ugo"} << QList<int> {} << "vvv."
        << "..+.";
    QTest::newRow("letters only") << QStringList {"A", "B"} << QList<int> {0} << "vv"
                                  << "..";
}

void TestOutline::visibilityFollowsClosedLetters()
{
    QFETCH(QStringList, lines);
    QFETCH(QList<int>, open);
    QFETCH(QString, visible);
    QFETCH(QString, subItems);

    fillOutline(*m_outline, lines);
    for (int line : open)
        m_outline->setExpand(line, true);
    QCOMPARE(flags(*m_outline, &Outline::IsItemVisible, u'v'), visible);
    QCOMPARE(flags(*m_outline, &Outline::HasSubItems, u'+'), subItems);
}

void TestOutline::fullPathJoinsTheLetter_data()
{
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("path");

    QTest::newRow("letter") << 2 << "B";
    QTest::newRow("first contact of a letter") << 1 << "A\\Abate, Ugo";
    QTest::newRow("later contact of a letter") << 4 << "B\\Bassi, Rita";
    QTest::newRow("outside the tree") << 6 << "";
}

void TestOutline::fullPathJoinsTheLetter()
{
    QFETCH(int, line);
    QFETCH(QString, path);

    fillOutline(*m_outline, letters);
    QCOMPARE(m_outline->FullPath(line), path);
}

void TestOutline::listIndexOutsideTheTreeChangesNothing_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("wanted");

    QTest::newRow("negative") << letters << 3 << -1;
    QTest::newRow("one past the end") << letters << 3 << 6;
    QTest::newRow("empty tree") << QStringList {} << -1 << 0;
}

void TestOutline::listIndexOutsideTheTreeChangesNothing()
{
    QFETCH(QStringList, lines);
    QFETCH(int, selected);
    QFETCH(int, wanted);

    fillOutline(*m_outline, lines);
    if (selected >= 0)
        QVERIFY(m_outline->setListIndex(selected));
    QVERIFY(!m_outline->setListIndex(wanted));
    QCOMPARE(m_outline->ListIndex(), selected);
}

void TestOutline::openFlagChangesAreSignalledOnce_data()
{
    QTest::addColumn<int>("line");
    QTest::newRow("letter with contacts") << 2;
    QTest::newRow("letter without contacts") << 5;
    QTest::newRow("contact line") << 3;
}

void TestOutline::openFlagChangesAreSignalledOnce()
{
    QFETCH(int, line);

    fillOutline(*m_outline, letters);
    QSignalSpy expanded(m_outline.get(), &Outline::lineExpanded);
    QSignalSpy collapsed(m_outline.get(), &Outline::lineCollapsed);

    m_outline->setExpand(line, false);
    QCOMPARE(expanded.count() + collapsed.count(), 0);
    m_outline->setExpand(line, true);
    m_outline->setExpand(line, true);
    // The view's own expanded() signal, when it opens the letter, is no second change.
    QCOMPARE(expanded.count(), 1);
    QCOMPARE(m_outline->isExpanded(indexOfLine(*m_outline, line)), m_outline->HasSubItems(line));
    QCOMPARE(expanded.at(0).at(0).toInt(), line);
    QVERIFY(m_outline->Expand(line));
    m_outline->setExpand(line, false);
    m_outline->setExpand(line, false);
    QCOMPARE(collapsed.count(), 1);
    QCOMPARE(collapsed.at(0).at(0).toInt(), line);
    QCOMPARE(expanded.count(), 1);
}

void TestOutline::removeItemKeepsTheLookupExact_data()
{
    QTest::addColumn<int>("removed");
    QTest::addColumn<QStringList>("remaining");

    // Equal names give equal lines; the lookup must follow the upper one as lines go.
    QTest::newRow("first of two equal names")
        << 1 << QStringList {"A", ">Abate, Ugo", ">Alberti, Pia", "B", ">Bruni, Eva", ">Abate, Ugo", "C"};
    QTest::newRow("second of two equal names")
        << 2 << QStringList {"A", ">Abate, Ugo", ">Alberti, Pia", "B", ">Bruni, Eva", ">Abate, Ugo", "C"};
    QTest::newRow("line above others moves them up")
        << 3 << QStringList {"A", ">Abate, Ugo", ">Abate, Ugo", "B", ">Bruni, Eva", ">Abate, Ugo", "C"};
    QTest::newRow("letter goes with its contacts")
        << 0 << QStringList {"B", ">Bruni, Eva", ">Abate, Ugo", "C"};
    QTest::newRow("only line of a name")
        << 5 << QStringList {"A", ">Abate, Ugo", ">Abate, Ugo", ">Alberti, Pia", "B", ">Abate, Ugo", "C"};
    QTest::newRow("last line") << 7
                               << QStringList {"A", ">Abate, Ugo", ">Abate, Ugo", ">Alberti, Pia", "B",
                                      ">Bruni, Eva", ">Abate, Ugo"};
    QTest::newRow("outside the tree") << 8
                                      << QStringList {"A", ">Abate, Ugo", ">Abate, Ugo", ">Alberti, Pia", "B",
                                             ">Bruni, Eva", ">Abate, Ugo", "C"};
}

void TestOutline::removeItemKeepsTheLookupExact()
{
    QFETCH(int, removed);
    QFETCH(QStringList, remaining);

    fillOutline(*m_outline,
        {"A", ">Abate, Ugo", ">Abate, Ugo", ">Alberti, Pia", "B", ">Bruni, Eva", ">Abate, Ugo", "C"});
    const QString removedText = m_outline->List(removed);
    m_outline->RemoveItem(removed);
    QCOMPARE(outlineLines(*m_outline), remaining);
    checkLookupAgainstScan(*m_outline);
    QCOMPARE(m_outline->findLine(removedText), scanForLine(*m_outline, removedText));
    QCOMPARE(m_outline->findLine(QStringLiteral("Zeta, Mai")), -1);
}

void TestOutline::selectionSurvivesRemovalAbove()
{
    fillOutline(*m_outline, letters);
    QVERIFY(m_outline->setListIndex(4));
    m_outline->RemoveItem(1);
    QCOMPARE(m_outline->ListIndex(), 3);
    QCOMPARE(m_outline->List(m_outline->ListIndex()), QStringLiteral("Bassi, Rita"));
    m_outline->RemoveItem(0);
    QCOMPARE(m_outline->List(m_outline->ListIndex()), QStringLiteral("Bassi, Rita"));
    QCOMPARE(m_outline->FullPath(m_outline->ListIndex()), QStringLiteral("B\\Bassi, Rita"));
}

void TestOutline::selectingAHiddenLineLeavesItsLetterClosed()
{
    fillOutline(*m_outline, letters);
    m_outline->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_outline.get()));
    QSignalSpy expanded(m_outline.get(), &Outline::lineExpanded);

    QVERIFY(m_outline->setListIndex(4));
    QCOMPARE(m_outline->ListIndex(), 4);
    QVERIFY(!m_outline->IsItemVisible(4));
    QVERIFY(!m_outline->Expand(2));
    QVERIFY(!m_outline->isExpanded(indexOfLine(*m_outline, 2)));
    QCOMPARE(expanded.count(), 0);
}

void TestOutline::changingALevelInTheMiddleRegroupsTheLines()
{
    fillOutline(*m_outline, letters);
    m_outline->setExpand(2, true);
    QVERIFY(m_outline->setListIndex(4));

    m_outline->setIndent(2, 2);
    QCOMPARE(m_outline->FullPath(4), QStringLiteral("A\\Bassi, Rita"));
    QVERIFY(!m_outline->HasSubItems(2));
    QVERIFY(!m_outline->IsItemVisible(4));
    QCOMPARE(m_outline->ListIndex(), 4);

    m_outline->setIndent(2, 1);
    QCOMPARE(m_outline->FullPath(4), QStringLiteral("B\\Bassi, Rita"));
    QVERIFY(m_outline->IsItemVisible(4));
    QVERIFY(m_outline->isExpanded(indexOfLine(*m_outline, 2)));
    QCOMPARE(m_outline->ListIndex(), 4);
    checkLookupAgainstScan(*m_outline);
}

void TestOutline::lastLineChangesLevel_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("level");
    QTest::addColumn<QStringList>("paths");

    // After the change one more contact line is added: it shows where the last line now stands.
    QTest::newRow("contact back to a letter")
        << QStringList {"A", ">B"} << 1 << QStringList {"A", "B", "B\\Zeta, Mai"};
    QTest::newRow("letter to a contact")
        << QStringList {"A", "B"} << 2 << QStringList {"A", "A\\B", "A\\Zeta, Mai"};
    QTest::newRow("lone contact line to a letter")
        << QStringList {">Orfano, Ada"} << 1 << QStringList {"Orfano, Ada", "Orfano, Ada\\Zeta, Mai"};
    QTest::newRow("no letter above") << QStringList {">Orfano, Ada", "B"} << 2
                                     << QStringList {"Orfano, Ada", "B", "Zeta, Mai"};
}

void TestOutline::lastLineChangesLevel()
{
    QFETCH(QStringList, lines);
    QFETCH(int, level);
    QFETCH(QStringList, paths);

    fillOutline(*m_outline, lines);
    m_outline->setIndent(m_outline->ListCount() - 1, level);
    fillOutline(*m_outline, {QStringLiteral(">Zeta, Mai")});
    QStringList actual;
    for (int i = 0; i < m_outline->ListCount(); ++i)
        actual.append(m_outline->FullPath(i));
    QCOMPARE(actual, paths);
}

void TestOutline::clearEmptiesEverything()
{
    fillOutline(*m_outline, letters);
    m_outline->setExpand(2, true);
    QVERIFY(m_outline->setListIndex(3));
    QSignalSpy collapsed(m_outline.get(), &Outline::lineCollapsed);
    m_outline->Clear();
    QCOMPARE(collapsed.count(), 0);
    QCOMPARE(m_outline->ListCount(), 0);
    QCOMPARE(m_outline->ListIndex(), -1);
    QCOMPARE(m_outline->findLine(QStringLiteral("A")), -1);
    QCOMPARE(m_outline->findLine(QStringLiteral("Bruni, Eva")), -1);
    fillOutline(*m_outline, {QStringLiteral("B"), QStringLiteral(">Bruni, Eva")});
    QCOMPARE(m_outline->findLine(QStringLiteral("Bruni, Eva")), 1);
}

void TestOutline::removalIsNotTakenForTheUser()
{
    fillOutline(*m_outline, letters);
    m_outline->setExpand(2, true);
    QSignalSpy collapsed(m_outline.get(), &Outline::lineCollapsed);
    m_outline->RemoveItem(3);
    m_outline->RemoveItem(3);
    QVERIFY(!m_outline->HasSubItems(2));
    QCOMPARE(collapsed.count(), 0);
    QVERIFY(m_outline->Expand(2));

    m_outline->RemoveItem(3);
    fillOutline(*m_outline, {QStringLiteral(">Bassi, Rita")});
    QCOMPARE(m_outline->FullPath(3), QStringLiteral("B\\Bassi, Rita"));
    QVERIFY(m_outline->isExpanded(indexOfLine(*m_outline, 2)));
}

void TestOutline::batchBuildsTheSameTree()
{
    QStringList lines;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        lines.append(QString(QChar(letter)));
        for (int i = 0; i < (letter - 'A') * 7 % 11; ++i)
            lines.append(QStringLiteral(">%1name, %2").arg(QChar(letter)).arg(i % 3));
    }
    Outline plain;
    fillOutline(plain, lines);
    {
        Outline::Batch batch(*m_outline);
        fillOutline(*m_outline, lines);
        QCOMPARE(m_outline->ListCount(), lines.size());
    }
    QCOMPARE(outlineLines(*m_outline), lines);
    QCOMPARE(m_outline->model()->rowCount(), 26);
    for (int i = 0; i < plain.ListCount(); ++i) {
        QCOMPARE(m_outline->HasSubItems(i), plain.HasSubItems(i));
        QCOMPARE(m_outline->IsItemVisible(i), plain.IsItemVisible(i));
        QCOMPARE(m_outline->FullPath(i), plain.FullPath(i));
        QCOMPARE(m_outline->findLine(m_outline->List(i)), scanForLine(plain, plain.List(i)));
    }
}

void TestOutline::batchAppliesSelectionAndFlagsAtTheEnd()
{
    fillOutline(*m_outline, {QStringLiteral("Z")});
    QVERIFY(m_outline->setListIndex(0));
    {
        Outline::Batch batch(*m_outline);
        m_outline->Clear();
        fillOutline(*m_outline, letters);
        m_outline->setExpand(2, true);
        QVERIFY(m_outline->setListIndex(3));
        QCOMPARE(m_outline->ListIndex(), 3);
        m_outline->RemoveItem(0);
        QCOMPARE(m_outline->ListIndex(), 1);
    }
    QCOMPARE(m_outline->ListIndex(), 1);
    QCOMPARE(m_outline->List(1), QStringLiteral("Bruni, Eva"));
    QVERIFY(m_outline->isExpanded(indexOfLine(*m_outline, 0)));
    QVERIFY(m_outline->IsItemVisible(1));
}

QTEST_MAIN(TestOutline)
#include "test_outline.moc"
