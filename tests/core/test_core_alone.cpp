// The core on its own: a program that links no GUI module reads a store, finds a contact and lays out
// its card, as the command line and the exchange code will.
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
        files.add("Verdi", "Anna", {{Field::Cellulare, "347 1234567"}});
        const std::vector<ContactRecord> all = files.store().readAll();
        QCOMPARE(all.size(), size_t(1));
        QVERIFY(recordMatches(all[0], searchQuery(QStringLiteral("3471234567"), true, 0)));
        QVERIFY(cardLines(all[0]).join(u'\n').contains(QStringLiteral("347 1234567")));
    }
};

QTEST_GUILESS_MAIN(TestCoreAlone)
#include "test_core_alone.moc"
