// The client and the discovery on a real Radicale started for the test: the address book found from
// the server's root, from the host alone and from its own address; the failures the user is told.
#include "carddav/DavClient.h"
#include "carddav/DavDiscovery.h"
#include "tests/support/RadicaleServer.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestDavClient : public QObject
{
    Q_OBJECT
private slots:
    void findsTheAddressBook_data()
    {
        QTest::addColumn<QString>("start");
        QTest::newRow("root") << u"/"_s;
        QTest::newRow("principal") << u"/mario/"_s;
        QTest::newRow("book itself") << u"/mario/contatti/"_s;
        QTest::newRow("book without its slash") << u"/mario/contatti"_s;
    }
    void findsTheAddressBook()
    {
        QFETCH(QString, start);
        RadicaleServer server;
        QVERIFY2(server.error().isEmpty(), qPrintable(server.error()));
        DavClient client({u"mario"_s, u"segreto"_s, {}});
        const DiscoveryResult found = discoverAddressBooks(client, server.baseUrl().resolved(QUrl(start)));
        QVERIFY2(found.failure.isEmpty(), qPrintable(found.failure));
        QCOMPARE(found.books.size(), size_t(1));
        QCOMPARE(found.books[0].url, server.addressBook(u"mario"_s));
        QCOMPARE(found.books[0].name, u"Contatti"_s);
        QVERIFY(found.books[0].offersSyncCollection);
    }

    // What the user typed is made a whole address: https unless said otherwise.
    void serverAddressFromText()
    {
        QCOMPARE(serverUrlFromText(u" dav.example.org "_s), QUrl(u"https://dav.example.org/"_s));
        QCOMPARE(serverUrlFromText(u"http://127.0.0.1:5232"_s), QUrl(u"http://127.0.0.1:5232/"_s));
        QCOMPARE(serverUrlFromText(u"dav.example.org/remote.php/dav"_s),
            QUrl(u"https://dav.example.org/remote.php/dav"_s));
    }

    // A certificate the system does not know stops everything, told by its fingerprint; once the
    // user trusts that fingerprint, and only that one, the server is reached.
    void unknownCertificateIsShownNotIgnored()
    {
        RadicaleServer server(RadicaleServer::Transport::Tls);
        QVERIFY2(server.error().isEmpty(), qPrintable(server.error()));
        const QString fingerprint = server.certificateFingerprint();
        QVERIFY(!fingerprint.isEmpty());

        DavClient wary({u"mario"_s, u"segreto"_s, {}});
        const DiscoveryResult refused = discoverAddressBooks(wary, server.baseUrl());
        QVERIFY(refused.books.empty());
        QCOMPARE(refused.refusedCertificate, fingerprint);
        QVERIFY2(refused.failure.contains(fingerprint), qPrintable(refused.failure));

        DavClient other({u"mario"_s, u"segreto"_s, QString(fingerprint).replace(0, 2, u"00"_s)});
        QCOMPARE(discoverAddressBooks(other, server.baseUrl()).refusedCertificate, fingerprint);

        DavClient trusting({u"mario"_s, u"segreto"_s, fingerprint});
        const DiscoveryResult found = discoverAddressBooks(trusting, server.baseUrl());
        QVERIFY2(found.failure.isEmpty(), qPrintable(found.failure));
        QCOMPARE(found.books.size(), size_t(1));
    }

    // A wrong password, a server gone and a cancel each say so, in words for the user.
    void failuresAreSaid()
    {
        RadicaleServer server;
        QVERIFY2(server.error().isEmpty(), qPrintable(server.error()));
        DavClient wrong({u"mario"_s, u"sbagliata"_s, {}});
        QCOMPARE(discoverAddressBooks(wrong, server.baseUrl()).failure,
            u"Nome utente o password non accettati dal server."_s);

        std::atomic<bool> cancel = true;
        DavClient cancelled({u"mario"_s, u"segreto"_s, {}}, &cancel);
        const DavReply stopped = cancelled.send({"PROPFIND", server.baseUrl(), {}, {}});
        QVERIFY(stopped.cancelled);
        QCOMPARE(davFailureText(stopped), u"Sincronizzazione interrotta."_s);

        server.stop();
        DavClient client({u"mario"_s, u"segreto"_s, {}});
        const DiscoveryResult gone = discoverAddressBooks(client, server.baseUrl());
        QVERIFY2(gone.failure.contains(u"non risponde"_s), qPrintable(gone.failure));
    }
};

QTEST_GUILESS_MAIN(TestDavClient)
#include "test_davclient.moc"
