// Two programs on one store: each has its own connection to the file and sees the other's inserts;
// neither may silently overwrite what the other wrote since it read the record.
#include "contacts/ContactStore.h"
#include "contacts/Recordset.h"
#include "tests/support/TestStore.h"

#include <QTest>

class TestTwoStores : public QObject
{
    Q_OBJECT
private slots:
    void editOfARowChangedMeanwhile_data();
    void editOfARowChangedMeanwhile();
    void editOfARowDeletedMeanwhile();
};

void TestTwoStores::editOfARowChangedMeanwhile_data()
{
    QTest::addColumn<int>("otherField");
    QTest::addColumn<int>("ourField");
    QTest::newRow("different fields") << int(Field::WorkPhone) << int(Field::HomePhone);
    QTest::newRow("the same field") << int(Field::WorkPhone) << int(Field::WorkPhone);
}

// The first program shows a record and starts editing; meanwhile the second one saves a change to it.
// The first one's save must not put the old values back over the second one's change unnoticed.
void TestTwoStores::editOfARowChangedMeanwhile()
{
    QFETCH(int, otherField);
    QFETCH(int, ourField);
    // The record as the first program read it is the base for its save.
    TestStore test;
    const qint64 id = test.add(
        QStringLiteral("Bianchi"), QStringLiteral("Anna"), {{Field::WorkPhone, QStringLiteral("06 111")}});
    QString error;
    const auto second = ContactStore::open(test.path(), &error);
    QVERIFY2(second, qPrintable(error));

    Recordset first(test.store());
    QVERIFY(first.requery());
    QVERIFY(first.findFirst(ById {id}));
    ContactRecord shown = first.current();
    QVERIFY(first.edit());

    // Each sees what the other inserts.
    QVERIFY(second->insert(makeRecord({{Field::LastName, QStringLiteral("Verdi")}})));
    QCOMPARE(test.store().count(), 2);
    ContactRecord theirs = *second->read(id);
    theirs.setValue(Field(otherField), QStringLiteral("06 222"));
    QVERIFY(second->update(theirs));

    shown.setValue(Field(ourField), QStringLiteral("06 333"));
    const bool written = first.update(shown);
    const ContactRecord stored = *second->read(id);
    const bool theirChangeKept = stored.value(Field(otherField)) == theirs.value(Field(otherField));
    // Even a change to the same field must not vanish: the save is to be refused and shown.
    // Either the save is refused with a reason, or it leaves the other program's change in place.
    QVERIFY2((!written && !first.lastError().isEmpty()) || (written && theirChangeKept),
        "the other program's change was overwritten without a word");
}

void TestTwoStores::editOfARowDeletedMeanwhile()
{
    TestStore test;
    const qint64 id = test.add(QStringLiteral("Bianchi"), QStringLiteral("Anna"));
    QString error;
    const auto second = ContactStore::open(test.path(), &error);
    QVERIFY2(second, qPrintable(error));

    Recordset first(test.store());
    QVERIFY(first.requery());
    ContactRecord shown = first.current();
    QVERIFY(first.edit());
    QVERIFY(second->remove(id));

    shown.setValue(Field::WorkPhone, QStringLiteral("06 333"));
    const bool written = first.update(shown);
    // A save that reached no row has not saved anything: it must say so.
    QVERIFY2(!written, "the edit of a deleted record was reported as saved");
    QCOMPARE(test.store().count(), 0);
}

QTEST_GUILESS_MAIN(TestTwoStores)
#include "test_twostores.moc"
