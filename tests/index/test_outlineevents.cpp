// The index tree under the user's hands: clicks, double clicks, markers and keys, and which of
// them reach the owner as events.
#include "OutlineFixture.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

class TestOutlineEvents : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void clickOnALineIsAClick();
    void selectingFromCodeIsNoClick();
    void enterReportsThirteenAndDoesNothingElse_data();
    void enterReportsThirteenAndDoesNothingElse();
    void characterKeysReportTheirCode_data();
    void characterKeysReportTheirCode();
    void homeAndDownWalkTheVisibleLines();
    void doubleClickIsReportedAndToggleIsLeftToTheOwner();
    void markerClickOpensAndCloses();
    void doubleClickOnTheMarkerIsNoDoubleClick();
    void arrowKeysOpenAndCloseALetter();

private:
    QPoint centreOf(int line) const;
    QPoint markerOf(int line) const;
    void doubleClick(QPoint pos);

    std::unique_ptr<Outline> m_outline;
};

void TestOutlineEvents::init()
{
    m_outline = std::make_unique<Outline>();
    fillOutline(*m_outline, {"A", ">Abate, Ugo", ">Alberti, Pia", "B", ">Bruni, Eva", "C"});
    m_outline->resize(240, 300);
    m_outline->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_outline.get()));
    m_outline->setFocus();
}

void TestOutlineEvents::cleanup()
{
    m_outline.reset();
}

QPoint TestOutlineEvents::centreOf(int line) const
{
    return m_outline->visualRect(indexOfLine(*m_outline, line)).center();
}

QPoint TestOutlineEvents::markerOf(int line) const
{
    const QRect item = m_outline->visualRect(indexOfLine(*m_outline, line));
    return {item.left() - m_outline->indentation() / 2, item.center().y()};
}

// What a widget receives from a real double click; QTest's own sends the double-click event alone.
void TestOutlineEvents::doubleClick(QPoint pos)
{
    QTest::mousePress(m_outline->viewport(), Qt::LeftButton, {}, pos);
    QTest::mouseRelease(m_outline->viewport(), Qt::LeftButton, {}, pos);
    QTest::mouseDClick(m_outline->viewport(), Qt::LeftButton, {}, pos);
    QTest::mouseRelease(m_outline->viewport(), Qt::LeftButton, {}, pos);
}

void TestOutlineEvents::clickOnALineIsAClick()
{
    m_outline->setExpand(0, true);
    QSignalSpy clicked(m_outline.get(), &Outline::lineClicked);
    QTest::mouseClick(m_outline->viewport(), Qt::LeftButton, {}, centreOf(2));
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(m_outline->ListIndex(), 2);
    QTest::mouseClick(m_outline->viewport(), Qt::LeftButton, {}, centreOf(3), 500);
    QCOMPARE(clicked.count(), 2);
    QCOMPARE(m_outline->ListIndex(), 3);
}

void TestOutlineEvents::selectingFromCodeIsNoClick()
{
    QSignalSpy clicked(m_outline.get(), &Outline::lineClicked);
    QVERIFY(m_outline->setListIndex(3));
    QVERIFY(m_outline->setListIndex(0));
    QCOMPARE(clicked.count(), 0);
    QCOMPARE(m_outline->ListIndex(), 0);
}

void TestOutlineEvents::enterReportsThirteenAndDoesNothingElse_data()
{
    QTest::addColumn<Qt::Key>("key");
    QTest::newRow("Return") << Qt::Key_Return;
    QTest::newRow("Enter on the keypad") << Qt::Key_Enter;
}

void TestOutlineEvents::enterReportsThirteenAndDoesNothingElse()
{
    QFETCH(Qt::Key, key);

    QVERIFY(m_outline->setListIndex(0));
    QSignalSpy keys(m_outline.get(), &Outline::keyPressed);
    QSignalSpy clicked(m_outline.get(), &Outline::lineClicked);
    QSignalSpy expanded(m_outline.get(), &Outline::lineExpanded);
    QTest::keyClick(m_outline.get(), key);
    QCOMPARE(keys.count(), 1);
    QCOMPARE(keys.at(0).at(0).toInt(), 13);
    QCOMPARE(m_outline->ListIndex(), 0);
    QVERIFY(!m_outline->Expand(0));
    QCOMPARE(expanded.count(), 0);
    QCOMPARE(clicked.count(), 0);
}

void TestOutlineEvents::characterKeysReportTheirCode_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("code");

    QTest::newRow("small letter") << int(Qt::Key_R) << "r" << int('r');
    QTest::newRow("accented letter") << int(Qt::Key_unknown) << "ù" << 0xf9;
    QTest::newRow("escape") << int(Qt::Key_Escape) << "\x1b" << 27;
    QTest::newRow("arrow key has no character") << int(Qt::Key_Down) << "" << -1;
    QTest::newRow("delete has no character") << int(Qt::Key_Delete) << "\x7f" << -1;
}

void TestOutlineEvents::characterKeysReportTheirCode()
{
    QFETCH(int, key);
    QFETCH(QString, text);
    QFETCH(int, code);

    QSignalSpy keys(m_outline.get(), &Outline::keyPressed);
    QTest::sendKeyEvent(QTest::Press, m_outline.get(), Qt::Key(key), text, Qt::NoModifier);
    QTest::sendKeyEvent(QTest::Release, m_outline.get(), Qt::Key(key), text, Qt::NoModifier);
    QCOMPARE(keys.count(), code < 0 ? 0 : 1);
    if (code >= 0)
        QCOMPARE(keys.at(0).at(0).toInt(), code);
}

void TestOutlineEvents::homeAndDownWalkTheVisibleLines()
{
    QVERIFY(m_outline->setListIndex(5));
    QSignalSpy clicked(m_outline.get(), &Outline::lineClicked);

    QTest::keyClick(m_outline.get(), Qt::Key_Home);
    QCOMPARE(m_outline->ListIndex(), 0);
    // A key that moves nothing chooses nothing.
    QTest::keyClick(m_outline.get(), Qt::Key_Up);
    QTest::keyClick(m_outline.get(), Qt::Key_Home);
    QCOMPARE(clicked.count(), 1);
    QTest::keyClick(m_outline.get(), Qt::Key_Down);
    QCOMPARE(m_outline->ListIndex(), 3);
    m_outline->setExpand(3, true);
    QTest::keyClick(m_outline.get(), Qt::Key_Down);
    QCOMPARE(m_outline->ListIndex(), 4);
    QTest::keyClick(m_outline.get(), Qt::Key_Down);
    QCOMPARE(m_outline->ListIndex(), 5);
    QTest::keyClick(m_outline.get(), Qt::Key_Up);
    QCOMPARE(m_outline->ListIndex(), 4);
    QTest::keyClick(m_outline.get(), Qt::Key_End);
    QCOMPARE(m_outline->ListIndex(), 5);
    QCOMPARE(clicked.count(), 6);
}

void TestOutlineEvents::doubleClickIsReportedAndToggleIsLeftToTheOwner()
{
    QSignalSpy doubleClicked(m_outline.get(), &Outline::lineDoubleClicked);
    QSignalSpy clicked(m_outline.get(), &Outline::lineClicked);
    QSignalSpy expanded(m_outline.get(), &Outline::lineExpanded);
    doubleClick(centreOf(3));
    QCOMPARE(doubleClicked.count(), 1);
    // The first half of it is an ordinary click; the second is not another one.
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(m_outline->ListIndex(), 3);
    QVERIFY(!m_outline->Expand(3));
    QVERIFY(!m_outline->isExpanded(indexOfLine(*m_outline, 3)));
    QCOMPARE(expanded.count(), 0);

    // What the owner does with it: the letter opens, and tells so once.
    connect(m_outline.get(), &Outline::lineDoubleClicked, m_outline.get(),
        [this] { m_outline->setExpand(m_outline->ListIndex(), !m_outline->Expand(m_outline->ListIndex())); });
    doubleClick(centreOf(3));
    QVERIFY(m_outline->Expand(3));
    QVERIFY(m_outline->IsItemVisible(4));
    QCOMPARE(expanded.count(), 1);
}

void TestOutlineEvents::markerClickOpensAndCloses()
{
    QSignalSpy expanded(m_outline.get(), &Outline::lineExpanded);
    QSignalSpy collapsed(m_outline.get(), &Outline::lineCollapsed);
    QSignalSpy clicked(m_outline.get(), &Outline::lineClicked);

    QTest::mouseClick(m_outline->viewport(), Qt::LeftButton, {}, markerOf(3));
    QVERIFY(m_outline->Expand(3));
    QVERIFY(m_outline->IsItemVisible(4));
    QCOMPARE(expanded.count(), 1);
    QCOMPARE(expanded.at(0).at(0).toInt(), 3);

    QTest::mouseClick(m_outline->viewport(), Qt::LeftButton, {}, markerOf(3), 500);
    QVERIFY(!m_outline->Expand(3));
    QCOMPARE(collapsed.count(), 1);
    QCOMPARE(collapsed.at(0).at(0).toInt(), 3);
    QCOMPARE(expanded.count(), 1);
    QCOMPARE(clicked.count(), 0);
}

void TestOutlineEvents::doubleClickOnTheMarkerIsNoDoubleClick()
{
    QSignalSpy doubleClicked(m_outline.get(), &Outline::lineDoubleClicked);
    QSignalSpy expanded(m_outline.get(), &Outline::lineExpanded);
    QSignalSpy collapsed(m_outline.get(), &Outline::lineCollapsed);
    doubleClick(markerOf(0));
    QCOMPARE(doubleClicked.count(), 0);
    // The first press opened the letter; the rest of the double click must not close it again.
    QCOMPARE(expanded.count(), 1);
    QCOMPARE(collapsed.count(), 0);
    QVERIFY(m_outline->Expand(0));
}

void TestOutlineEvents::arrowKeysOpenAndCloseALetter()
{
    QVERIFY(m_outline->setListIndex(0));
    QSignalSpy expanded(m_outline.get(), &Outline::lineExpanded);
    QSignalSpy collapsed(m_outline.get(), &Outline::lineCollapsed);
    QTest::keyClick(m_outline.get(), Qt::Key_Right);
    QVERIFY(m_outline->Expand(0));
    QCOMPARE(expanded.count(), 1);
    QTest::keyClick(m_outline.get(), Qt::Key_Left);
    QVERIFY(!m_outline->Expand(0));
    QCOMPARE(collapsed.count(), 1);
    QCOMPARE(m_outline->ListIndex(), 0);
}

QTEST_MAIN(TestOutlineEvents)
#include "test_outlineevents.moc"
