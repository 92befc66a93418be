// Data1 over a real store: the order of its events, what it writes before it acts, and the
// bound boxes.
#include "ui/controls/DataControl.h"
#include "tests/support/ScriptedPlatform.h"
#include "tests/support/TestStore.h"

#include <QApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

class TestDataControl : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void refreshShowsFirstRecord();
    void eventsComeBeforeAndAfterEachMove_data();
    void eventsComeBeforeAndAfterEachMove();
    void pendingChangesAreWrittenBeforeAMove();
    void validateCanDropOrCancel_data();
    void validateCanDropOrCancel();
    void addedRecordStandsAtTheEndUntilRefresh();
    void deleteThenMoveNextShowsTheFollowingRecord();
    void refillIsNoEdit();
    void longStoredValueIsKeptWhole();
    void cloneMovesOnItsOwn();
    void failedWriteKeepsTheTypedValues();

private:
    std::unique_ptr<TestStore> m_test;
    std::unique_ptr<ScriptedUiPlatform> m_platform;
    std::unique_ptr<QWidget> m_window;
    DataControl *m_data = nullptr;
    BoundLineEdit *m_last = nullptr;
    BoundLineEdit *m_first = nullptr;
    BoundTextEdit *m_address = nullptr;
    QStringList m_log;
};

void TestDataControl::init()
{
    m_test = std::make_unique<TestStore>();
    m_test->add(QStringLiteral("Bianchi"), QStringLiteral("Anna"));
    m_test->add(QStringLiteral("Rossi"), QStringLiteral("Mario"), {{Field::WorkAddress, QStringLiteral("Via Roma 1\r\nScala B")}});
    m_test->add(QStringLiteral("Verdi"), QStringLiteral("Luca"));
    m_platform = std::make_unique<ScriptedUiPlatform>();
    m_window = std::make_unique<QWidget>();
    m_data = new DataControl(*m_platform, m_window.get());
    m_last = new BoundLineEdit(m_window.get());
    m_first = new BoundLineEdit(m_window.get());
    m_address = new BoundTextEdit(m_window.get());
    m_last->setLongestInput(20);
    m_data->setStore(&m_test->store());
    m_data->bind(m_last, Field::LastName);
    m_data->bind(m_first, Field::FirstName);
    m_data->bind(m_address, Field::WorkAddress);
    m_log.clear();
    m_data->setValidateHandler([this](int &action, bool &save) {
        m_log.append(QStringLiteral("validate %1 %2").arg(action).arg(save));
    });
    connect(m_data, &DataControl::Reposition, this,
            [this] { m_log.append(QStringLiteral("reposition ") + m_last->text()); });
    QVERIFY(m_data->Refresh());
    m_log.clear();
}

void TestDataControl::cleanup()
{
    m_window.reset();
    m_test.reset();
}

void TestDataControl::refreshShowsFirstRecord()
{
    QCOMPARE(m_last->text(), QStringLiteral("Bianchi"));
    QVERIFY(!m_data->isEOF());
}

void TestDataControl::eventsComeBeforeAndAfterEachMove_data()
{
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("shown");
    QTest::newRow("next") << int(DataAction::MoveNext) << "Rossi";
    QTest::newRow("last") << int(DataAction::MoveLast) << "Verdi";
    QTest::newRow("first") << int(DataAction::MoveFirst) << "Bianchi";
    QTest::newRow("find") << int(DataAction::Find) << "Verdi";
}

void TestDataControl::eventsComeBeforeAndAfterEachMove()
{
    QFETCH(int, action);
    QFETCH(QString, shown);
    switch (action) {
    case DataAction::MoveNext: m_data->MoveNext(); break;
    case DataAction::MoveLast: m_data->MoveLast(); break;
    case DataAction::MoveFirst: m_data->MoveFirst(); break;
    case DataAction::Find: m_data->FindFirst(ByName{QStringLiteral("Verdi"), QStringLiteral("Luca")}); break;
    }
    QCOMPARE(m_log, (QStringList{QStringLiteral("validate %1 0").arg(action), QStringLiteral("reposition ") + shown}));
}

void TestDataControl::pendingChangesAreWrittenBeforeAMove()
{
    QTest::keyClick(m_first, Qt::Key_End);
    QTest::keyClicks(m_first, QStringLiteral("lina"));
    QVERIFY(m_data->anyBoxChanged());
    m_data->MoveNext();
    QCOMPARE(m_log.first(), QStringLiteral("validate 3 1"));
    const std::vector<ContactRecord> all = m_test->store().readAll();
    QCOMPARE(all[0].text(Field::FirstName), QStringLiteral("Annalina"));
    // Fields not typed into keep what they held, Null included.
    QVERIFY(all[0].isNull(Field::WorkAddress));
    QCOMPARE(all[1].text(Field::WorkAddress), QStringLiteral("Via Roma 1\r\nScala B"));
}

void TestDataControl::validateCanDropOrCancel_data()
{
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<bool>("drop");
    QTest::addColumn<QString>("shownAfter");
    QTest::addColumn<QString>("stored");
    QTest::newRow("drop the changes") << false << true << "Rossi" << "Anna";
    QTest::newRow("cancel the move") << true << false << "Bianchi" << "Anna";
}

void TestDataControl::validateCanDropOrCancel()
{
    QFETCH(bool, cancel);
    QFETCH(bool, drop);
    QFETCH(QString, shownAfter);
    QFETCH(QString, stored);
    m_data->setValidateHandler([&](int &action, bool &save) {
        if (cancel)
            action = DataAction::Cancel;
        if (drop)
            save = false;
    });
    QTest::keyClicks(m_first, QStringLiteral("X"));
    m_data->MoveNext();
    QCOMPARE(m_last->text(), shownAfter);
    QCOMPARE(m_test->store().readAll()[0].text(Field::FirstName), stored);
}

void TestDataControl::addedRecordStandsAtTheEndUntilRefresh()
{
    m_data->MoveNext();
    QVERIFY(m_data->AddNew());
    QVERIFY(m_last->text().isEmpty());
    QCOMPARE(m_data->editMode(), EditMode::Adding);
    QTest::keyClicks(m_last, QStringLiteral("Abate"));
    QTest::keyClicks(m_first, QStringLiteral("Ugo"));
    QCOMPARE(m_data->Update(), DataControl::UpdateResult::Written);
    QCOMPARE(m_data->editMode(), EditMode::None);
    QCOMPARE(m_last->text(), QStringLiteral("Rossi")); // the record shown before comes back
    m_data->MoveLast();
    QCOMPARE(m_last->text(), QStringLiteral("Abate"));
    m_data->Refresh();
    QCOMPARE(m_last->text(), QStringLiteral("Abate"));
}

void TestDataControl::deleteThenMoveNextShowsTheFollowingRecord()
{
    m_data->MoveNext();
    QVERIFY(m_data->Delete());
    QVERIFY(!m_data->hasCurrent());
    m_data->MoveNext();
    QCOMPARE(m_last->text(), QStringLiteral("Verdi"));
    QCOMPARE(m_test->store().count(), 2);
}

void TestDataControl::refillIsNoEdit()
{
    m_data->MoveNext();
    QVERIFY(!m_data->anyBoxChanged());
    // Delete on an empty box changes nothing; on a filled one it is an edit.
    m_data->bind(m_address, Field::WorkFax);
    QTest::keyClick(m_address, Qt::Key_Delete);
    QVERIFY(!m_data->anyBoxChanged());
    m_data->bind(m_address, Field::WorkAddress);
    QTest::keyClick(m_address, Qt::Key_Delete);
    QVERIFY(m_data->anyBoxChanged());
}

void TestDataControl::longStoredValueIsKeptWhole()
{
    const QString longName = QStringLiteral("Bartolomeo-Ferdinando de Ruggeri");
    const qint64 id = m_test->add(longName, QStringLiteral("Ada"));
    m_data->Refresh();
    m_data->FindFirst(ById{id});
    QCOMPARE(m_last->text(), longName);
    QTest::keyClick(m_first, Qt::Key_End);
    QTest::keyClicks(m_first, QStringLiteral("lberta"));
    m_data->MoveFirst();
    QCOMPARE(m_test->store().read(id)->text(Field::LastName), longName);
    // Typing cannot make it longer than it already is.
    m_data->FindFirst(ById{id});
    QTest::keyClick(m_last, Qt::Key_End);
    QTest::keyClicks(m_last, QStringLiteral("xyz"));
    QCOMPARE(m_last->text(), longName);
}

void TestDataControl::cloneMovesOnItsOwn()
{
    m_data->MoveLast();
    Recordset clone = m_data->Clone();
    QCOMPARE(clone.currentEntry().lastName.value(), QStringLiteral("Bianchi"));
    clone.moveNext();
    QCOMPARE(m_last->text(), QStringLiteral("Verdi"));
    QCOMPARE(clone.currentEntry().lastName.value(), QStringLiteral("Rossi"));
}

void TestDataControl::failedWriteKeepsTheTypedValues()
{
    QTest::keyClick(m_first, Qt::Key_End);
    QTest::keyClicks(m_first, QStringLiteral("bella"));
    // Another program takes the table away: the write has nowhere to go.
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("thief"));
    db.setDatabaseName(m_test->path());
    QVERIFY(db.open());
    QSqlQuery(db).exec(QStringLiteral("ALTER TABLE PhoneList RENAME TO Gone"));
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("thief"));

    QVERIFY(!m_data->MoveNext());
    QCOMPARE(m_first->text(), QStringLiteral("Annabella"));
    QVERIFY(m_data->anyBoxChanged());
    QCOMPARE(m_platform->messages.size(), 1);
    QVERIFY(m_platform->messages[0].text.contains(QStringLiteral("Impossibile salvare")));
}

QTEST_MAIN(TestDataControl)
#include "test_datacontrol.moc"
