// The core on its own: a program that links no GUI module opens a store, reads it in order, searches
// it and lays out a card, as the command line and the exchange code will.
#include "contacts/Recordset.h"
#include "output/CardLayout.h"
#include "search/SearchEngine.h"
#include "tests/support/TestStore.h"

#include <QCoreApplication>
#include <QTest>

class TestCoreAlone : public QObject
{
    Q_OBJECT
private slots:
    void readsAStoreWithoutAWindow()
    {
        QVERIFY(!QCoreApplication::instance()->inherits("QGuiApplication"));
        TestStore files;
        files.add(QStringLiteral("Verdi"), QStringLiteral("Anna"),
            {{Field::Cellulare, QStringLiteral("347 1234567")}});
        files.add(QStringLiteral("Rossi"), QStringLiteral("Mario"));

        QString error;
        const std::unique_ptr<ContactStore> store = ContactStore::open(files.path(), &error);
        QVERIFY2(store, qPrintable(error));
        Recordset contacts(*store);
        QVERIFY(contacts.requery());
        QCOMPARE(contacts.recordCount(), 2);
        QCOMPARE(contacts.field(Field::LastName).value_or(QString()), QStringLiteral("Rossi"));

        const std::vector<ContactRecord> all = store->readAll();
        const auto anna = std::find_if(all.begin(), all.end(),
            [](const ContactRecord &c) { return recordMatches(c, QStringLiteral("1234567"), true, 0); });
        QVERIFY(anna != all.end());
        QVERIFY(cardLines(*anna).join(u'\n').contains(QStringLiteral("347 1234567")));
    }
};

QTEST_GUILESS_MAIN(TestCoreAlone)
#include "test_core_alone.moc"
