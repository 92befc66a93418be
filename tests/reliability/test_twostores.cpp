// Two programs on one store: each has its own connection to the file and sees the other's inserts;
// neither may silently overwrite what the other wrote since it read the record.
#include "contacts/ContactStore.h"
#include "contacts/Recordset.h"
#include "tests/support/TestStore.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestTwoStores : public QObject
{
    Q_OBJECT
private slots:
    void editOfARowChangedMeanwhile_data();
    void editOfARowChangedMeanwhile();
};

void TestTwoStores::editOfARowChangedMeanwhile_data()
{
    QTest::addColumn<int>("otherField"); // -1: the other program deletes the record
    QTest::addColumn<int>("ourField");
    QTest::newRow("different fields") << int(Field::WorkPhone) << int(Field::HomePhone);
    QTest::newRow("the same field") << int(Field::WorkPhone) << int(Field::WorkPhone);
    QTest::newRow("record deleted") << -1 << int(Field::WorkPhone);
}

// The first program shows a record and starts editing; meanwhile the second one inserts a record and
// saves a change to the first one's, or deletes it. The first one's save must not put the old values
// back over the second one's change unnoticed, nor report a save that reached no row.
void TestTwoStores::editOfARowChangedMeanwhile()
{
    QFETCH(int, otherField);
    QFETCH(int, ourField);
    TestStore test;
    const qint64 id = test.add(u"Bianchi"_s, u"Anna"_s, {{Field::WorkPhone, u"06 111"_s}});
    QString error;
    const auto second = ContactStore::open(test.path(), &error);
    QVERIFY2(second, qPrintable(error));
    Recordset first(test.store());
    QVERIFY(first.requery());
    ContactRecord shown = first.current();
    QVERIFY(first.edit());

    QVERIFY(second->insert(makeRecord({{Field::LastName, u"Verdi"_s}})));
    QCOMPARE(test.store().count(), 2);
    ContactRecord theirs = *second->read(id);
    if (otherField < 0) {
        QVERIFY(second->remove(id));
    } else {
        theirs.setValue(Field(otherField), u"06 222"_s);
        QVERIFY(second->update(theirs));
    }

    shown.setValue(Field(ourField), u"06 333"_s);
    const bool written = first.update(shown);
    const std::optional<ContactRecord> stored = second->read(id);
    if (otherField < 0)
        QVERIFY2(!written && !stored, "the edit of a deleted record was reported as saved");
    else // either the save is refused with a reason, or it leaves the other program's change in place
        QVERIFY2((!written && !first.lastError().isEmpty())
                || (written && stored->value(Field(otherField)) == theirs.value(Field(otherField))),
            "the other program's change was overwritten without a word");
}

QTEST_GUILESS_MAIN(TestTwoStores)
#include "test_twostores.moc"
