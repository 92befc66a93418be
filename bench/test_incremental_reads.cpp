// The ordered index and the search snapshot are brought up to date row by row after writes: after
// any mix of writes they must hold exactly what a fresh read gives.
#include "contacts/ContactOrder.h"
#include "contacts/ContactStore.h"
#include "contacts/Recordset.h"
#include "search/SearchSnapshot.h"
#include "search/SearchText.h"
#include "tests/support/TestStore.h"

#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

class TestIncrementalReads : public QObject
{
    Q_OBJECT
private slots:
    void orderedIndexFollowsWrites_data();
    void orderedIndexFollowsWrites();
    void orderedIndexSeesOtherConnections();
    void snapshotFollowsWrites();
};

namespace {

const QStringList Names = {QStringLiteral("Rossi"), QStringLiteral("rossi"), QStringLiteral("Nicolò"),
    QStringLiteral("Niccolò"), QStringLiteral("De Luca"), QStringLiteral("Èrcole"), QStringLiteral("Zanetti"),
    QStringLiteral("Dvořák"), QStringLiteral("")};

FieldValue randomName(QRandomGenerator &random)
{
    const qsizetype pick = random.bounded(Names.size() + 1);
    return pick == Names.size() ? FieldValue() : FieldValue(Names[pick]);
}

ContactRecord randomRecord(QRandomGenerator &random)
{
    ContactRecord record;
    record.setValue(Field::LastName, randomName(random));
    record.setValue(Field::FirstName, randomName(random));
    for (Field field : {Field::HomeCity, Field::Note, Field::WorkPhone}) {
        if (random.bounded(3) != 0)
            record.setValue(field, Names[random.bounded(Names.size())] + QString::number(random.bounded(50)));
    }
    return record;
}

IndexTable freshOrder(ContactStore &store)
{
    IndexTable rows = store.readIndex();
    sortByName(rows);
    return rows;
}

bool sameEntries(
    const std::vector<ContactStore::IndexEntry> &a, const std::vector<ContactStore::IndexEntry> &b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto &x, const auto &y) {
        return x.id == y.id && x.lastName() == y.lastName() && x.firstName() == y.firstName();
    });
}

// One random write: insert, update or delete, sometimes inside a batch that is rolled back.
void randomWrites(ContactStore &store, QRandomGenerator &random, std::vector<qint64> &ids, int count)
{
    for (int i = 0; i < count; ++i) {
        const int kind = ids.empty() ? 0 : random.bounded(3);
        if (kind == 0) {
            ids.push_back(*store.insert(randomRecord(random)));
        } else if (kind == 1) {
            ContactRecord record = randomRecord(random);
            record.id = ids[random.bounded(static_cast<qsizetype>(ids.size()))];
            QVERIFY(store.update(record));
        } else {
            const size_t at = random.bounded(static_cast<qsizetype>(ids.size()));
            QVERIFY(store.remove(ids[at]));
            ids.erase(ids.begin() + static_cast<qsizetype>(at));
        }
    }
}

} // namespace

void TestIncrementalReads::orderedIndexFollowsWrites_data()
{
    QTest::addColumn<int>("writesBetweenReads");
    QTest::newRow("one write") << 1;
    QTest::newRow("a few writes") << 7;
    QTest::newRow("more than are moved one by one") << 700;
}

void TestIncrementalReads::orderedIndexFollowsWrites()
{
    QFETCH(int, writesBetweenReads);
    TestStore test;
    QRandomGenerator random(7);
    std::vector<qint64> ids;
    {
        ContactStore::Batch batch(test.store());
        randomWrites(test.store(), random, ids, 200);
        QVERIFY(batch.commit());
    }
    for (int round = 0; round < 10; ++round) {
        bool ok = false;
        QVERIFY(sameEntries(*test.store().readIndexInOrder(&ok), freshOrder(test.store())));
        QVERIFY(ok);
        {
            // Committed together: as many writes cost one commit.
            ContactStore::Batch batch(test.store());
            randomWrites(test.store(), random, ids, writesBetweenReads);
            QVERIFY(batch.commit());
        }
        if (round % 5 == 4) {
            // Writes rolled back still leave the index as the table is.
            {
                ContactStore::Batch batch(test.store());
                randomWrites(test.store(), random, ids, 3);
            }
            ids.clear();
            for (const auto &entry : test.store().readIndex())
                ids.push_back(entry.id);
        }
    }
    QVERIFY(sameEntries(*test.store().readIndexInOrder(), freshOrder(test.store())));
}

void TestIncrementalReads::orderedIndexSeesOtherConnections()
{
    TestStore test;
    test.add(QStringLiteral("Rossi"), QStringLiteral("Mario"));
    QCOMPARE(test.store().readIndexInOrder()->size(), size_t(1));
    runSqlElsewhere(test.path(),
        {QStringLiteral("INSERT INTO PhoneList (LastName, FirstName) VALUES ('Bianchi', 'Anna')")});
    const auto rows = test.store().readIndexInOrder();
    QCOMPARE(rows->size(), size_t(2));
    QCOMPARE(rows->front().lastName(), FieldValue(QStringLiteral("Bianchi")));
}

void TestIncrementalReads::snapshotFollowsWrites()
{
    TestStore test;
    QRandomGenerator random(11);
    std::vector<qint64> ids;
    {
        ContactStore::Batch batch(test.store());
        randomWrites(test.store(), random, ids, 300);
        QVERIFY(batch.commit());
    }
    SearchSnapshot kept;
    QString error;
    QVERIFY(kept.refresh(test.store(), &error));
    // The folded and forgiving copies exist before the writes, so they are kept up to date too.
    kept.matchingRows(searchQuery(QStringLiteral("ROSSI"), true, 0));
    kept.matchingRows(searchQuery(QStringLiteral("'"), true, 0));
    for (int round = 0; round < 20; ++round) {
        randomWrites(test.store(), random, ids, 1 + random.bounded(5));
        QVERIFY(kept.refresh(test.store(), &error));
        SearchSnapshot fresh;
        QVERIFY(fresh.refresh(test.store(), &error));
        for (const QString &typed : {QStringLiteral("Rossi"), QStringLiteral("ò"), QStringLiteral("1"),
                 QStringLiteral("de l"), QStringLiteral("+39 335")}) {
            for (bool ignoreCase : {false, true}) {
                for (int scope : {0, 3}) {
                    const SearchQuery query = searchQuery(typed, ignoreCase, scope);
                    const std::vector<bool> a = kept.matchingRows(query);
                    const std::vector<bool> b = fresh.matchingRows(query);
                    for (qint64 id : ids) {
                        QVERIFY(kept.rowOf(id) >= 0);
                        QCOMPARE(a[kept.rowOf(id)], b[fresh.rowOf(id)]);
                        QCOMPARE(kept.value(kept.rowOf(id), Field::HomeCity),
                            fresh.value(fresh.rowOf(id), Field::HomeCity));
                    }
                }
            }
        }
    }
    for (qint64 id = 1; id < 400; ++id) {
        if (std::find(ids.begin(), ids.end(), id) == ids.end())
            QCOMPARE(kept.rowOf(id), -1);
    }
}

QTEST_GUILESS_MAIN(TestIncrementalReads)
#include "test_incremental_reads.moc"
