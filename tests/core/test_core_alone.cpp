// The core on its own: a program that links no GUI module finds a contact and lays out its card, as
// the command line and the exchange code will. The store's side runs guiless in tests/contacts.
#include "output/CardLayout.h"
#include "search/SearchEngine.h"
#include "tests/support/TestStore.h"

#include <QCoreApplication>
#include <QTest>

class TestCoreAlone : public QObject
{
    Q_OBJECT
private slots:
    void findsAndLaysOutWithoutAWindow()
    {
        QVERIFY(!QCoreApplication::instance()->inherits("QGuiApplication"));
        const ContactRecord anna
            = makeRecord({{Field::LastName, "Verdi"}, {Field::Cellulare, "347 1234567"}});
        QVERIFY(recordMatches(anna, QStringLiteral("1234567"), true, 0));
        QVERIFY(cardLines(anna).join(u'\n').contains(QStringLiteral("347 1234567")));
    }
};

QTEST_GUILESS_MAIN(TestCoreAlone)
#include "test_core_alone.moc"
