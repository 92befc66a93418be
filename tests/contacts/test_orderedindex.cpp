// The ordered index: the sort agrees with the plain rule on any names, and a cursor keeps the rows
// it read while the store and other cursors move on.
#include "contacts/ContactOrder.h"
#include "contacts/Recordset.h"
#include "tests/support/TestStore.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

// The rule written out plainly: keys, then exact spelling (Null first), then id.
bool plainPrecedes(const ContactStore::IndexEntry &a, const ContactStore::IndexEntry &b)
{
    auto exact = [](const FieldValue &x, const FieldValue &y) {
        if (x.has_value() != y.has_value())
            return x.has_value() ? 1 : -1;
        return x ? QString::compare(*x, *y) : 0;
    };
    if (int c = QString::compare(nameSortKey(a.lastName), nameSortKey(b.lastName)); c != 0)
        return c < 0;
    if (int c = QString::compare(nameSortKey(a.firstName), nameSortKey(b.firstName)); c != 0)
        return c < 0;
    if (int c = exact(a.lastName, b.lastName); c != 0)
        return c < 0;
    if (int c = exact(a.firstName, b.firstName); c != 0)
        return c < 0;
    return a.id < b.id;
}

// Names built to meet every turn of the comparison: long common stems, case and accent
// variants, NUL, characters either side of the surrogates, characters outside the basic plane.
FieldValue randomName(QRandomGenerator &random)
{
    if (random.bounded(20) == 0)
        return std::nullopt;
    static const QStringList stems = {QString(), QStringLiteral("Bianchi"), QStringLiteral("bianchini"),
        QStringLiteral("Bianchinetti"), QStringLiteral("DAngelo"), QStringLiteral("Nicolò"),
        QStringLiteral("NICOLO"), QStringLiteral("Èrcole")};
    static const QStringList tails = {QString(), QStringLiteral("a"), QStringLiteral("A"), QStringLiteral("à"),
        QString(QChar(0)), QString(QChar(0xFFFD)), QString(QChar(0xE000)), QString::fromUcs4(U"\U0001F600"),
        QStringLiteral("z"), QStringLiteral("ß")};
    QString name = stems[random.bounded(stems.size())];
    for (int i = int(random.bounded(4)); i > 0; --i)
        name += tails[random.bounded(tails.size())];
    return name;
}

} // namespace

class TestOrderedIndex : public QObject
{
    Q_OBJECT
private slots:
    void sortAgreesWithThePlainRule();
    void cursorsKeepTheRowsTheyRead();
};

void TestOrderedIndex::sortAgreesWithThePlainRule()
{
    QRandomGenerator random(7);
    for (int round = 0; round < 20; ++round) {
        std::vector<ContactStore::IndexEntry> entries;
        for (int i = 0; i < 500; ++i)
            entries.push_back({qint64(random.bounded(1000)), randomName(random), randomName(random)});
        std::vector<ContactStore::IndexEntry> sorted = entries;
        sortByName(sorted);
        std::vector<const ContactStore::IndexEntry *> expected;
        for (const ContactStore::IndexEntry &entry : entries)
            expected.push_back(&entry);
        std::sort(expected.begin(), expected.end(), [](auto *a, auto *b) { return plainPrecedes(*a, *b); });
        for (size_t i = 0; i < sorted.size(); ++i) {
            QCOMPARE(sorted[i].id, expected[i]->id);
            QCOMPARE(sorted[i].lastName, expected[i]->lastName);
            QCOMPARE(sorted[i].firstName, expected[i]->firstName);
        }
    }
}

void TestOrderedIndex::cursorsKeepTheRowsTheyRead()
{
    TestStore test;
    const qint64 rossi = test.add(QStringLiteral("Rossi"), QStringLiteral("Mario"));
    test.add(QStringLiteral("Bianchi"), QStringLiteral("Anna"));
    Recordset first(test.store());
    QVERIFY(first.requery());
    const Recordset clone = first.clone();

    // A write through one cursor changes neither the clone nor what the store hands out next.
    first.findFirst(ById {rossi});
    QVERIFY(first.edit());
    QVERIFY(first.update(makeRecord({{Field::LastName, QStringLiteral("Verdi")}, {Field::FirstName, QStringLiteral("Mario")}})));
    QCOMPARE(first.currentEntry().lastName, FieldValue(QStringLiteral("Verdi")));
    QCOMPARE(clone.rows().back().lastName, FieldValue(QStringLiteral("Rossi")));

    Recordset second(test.store());
    QVERIFY(second.requery());
    QCOMPARE(second.rows().back().lastName, FieldValue(QStringLiteral("Verdi")));
    QVERIFY(second.remove());
    QCOMPARE(second.recordCount(), 1);
    QCOMPARE(first.recordCount(), 2);
    QCOMPARE(clone.recordCount(), 2);
    QVERIFY(first.requery());
    QCOMPARE(first.recordCount(), 1);
    QCOMPARE(clone.recordCount(), 2);
}

QTEST_GUILESS_MAIN(TestOrderedIndex)
#include "test_orderedindex.moc"
