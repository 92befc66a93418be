// What a CardDAV server answers, read: Radicale's own answers to discovery, a sync report and a
// multiget, and bodies a broken or hostile server could send.
#include "carddav/DavHref.h"
#include "carddav/DavResponse.h"

#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

DavMultistatus parsedFixture(const QString &name)
{
    QFile file(QStringLiteral(RUBRELLO_TEST_DATA "/carddav/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing fixture %s", qPrintable(name));
    return parseMultistatus(file.readAll());
}

} // namespace

class TestDavResponse : public QObject
{
    Q_OBJECT
private slots:
    void radicaleAnswers()
    {
        const DavMultistatus home = parsedFixture(u"radicale-home.xml"_s);
        QVERIFY2(home.error.isEmpty(), qPrintable(home.error));
        QCOMPARE(home.resources.size(), size_t(2));
        const DavResource &principal = home.resources[0];
        QCOMPARE(principal.href, u"/mario/"_s);
        QCOMPARE(principal.addressBookHome, u"/mario/"_s);
        QCOMPARE(principal.principal, u"/mario/"_s);
        QVERIFY(principal.collection && !principal.addressBook && !principal.offersSyncCollection);
        QVERIFY(principal.displayName.isEmpty()); // in a propstat of 404
        const DavResource &book = home.resources[1];
        QCOMPARE(book.href, u"/mario/contatti/"_s);
        QVERIFY(book.collection && book.addressBook && book.offersSyncCollection);
        QCOMPARE(book.displayName, u"Contatti"_s);
        QVERIFY(book.syncToken.startsWith(u"http://radicale.org/ns/sync/"_s));

        const DavMultistatus first = parsedFixture(u"radicale-sync-first.xml"_s);
        QCOMPARE(first.resources.size(), size_t(2));
        QVERIFY(first.syncToken.startsWith(u"http://radicale.org/ns/sync/"_s));
        QCOMPARE(first.resources[1].href, u"/mario/contatti/uno.vcf"_s);
        QVERIFY(first.resources[1].etag.startsWith(u'"') && first.resources[1].etag.endsWith(u'"'));

        const DavMultistatus deleted = parsedFixture(u"radicale-sync-deleted.xml"_s);
        QCOMPARE(deleted.resources.size(), size_t(1));
        QCOMPARE(deleted.resources[0].status, 404);
        QVERIFY(deleted.syncToken != first.syncToken);

        const DavMultistatus cards = parsedFixture(u"radicale-multiget.xml"_s);
        QCOMPARE(cards.resources.size(), size_t(2));
        QCOMPARE(cards.resources[0].status, 404);
        QVERIFY(cards.resources[0].addressData.isEmpty());
        QCOMPARE(cards.resources[1].etag, first.resources[1].etag);
        QVERIFY(cards.resources[1].addressData.startsWith("BEGIN:VCARD\nVERSION:3.0\nUID:uno\n"));
        QVERIFY(cards.resources[1].addressData.contains("NOTE:Virgola\\, punto & <tag>\n"));
    }

    void brokenBodies_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("a login page") << QByteArray("<html><body>Accedi</body></html>");
        QTest::newRow("not XML") << QByteArray("Internal Server Error");
        QTest::newRow("nothing") << QByteArray();
        QTest::newRow("a DAV error") << QByteArray(
            R"(<d:error xmlns:d="DAV:"><d:valid-sync-token/></d:error>)");
        QTest::newRow("cut short") << QByteArray(
            R"(<d:multistatus xmlns:d="DAV:"><d:response><d:href>/a.vcf</d:href><d:propstat><d:prop><d:getetag>"1")");
        QTest::newRow("entities without end") << QByteArray(
            R"(<!DOCTYPE m [<!ENTITY a "aaaaaaaaaa"><!ENTITY b "&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;">)"
            R"(<!ENTITY c "&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;"><!ENTITY d "&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;">)"
            R"(<!ENTITY e "&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;">]>)"
            R"(<d:multistatus xmlns:d="DAV:"><d:sync-token>&e;&e;&e;&e;&e;</d:sync-token></d:multistatus>)");
    }
    // Whatever a broken server or a proxy sends in place of a Multi-Status is said to be one, and
    // nothing of it is kept.
    void brokenBodies()
    {
        QFETCH(QByteArray, body);
        const DavMultistatus answer = parseMultistatus(body);
        QVERIFY(!answer.error.isEmpty());
        QVERIFY(answer.resources.empty() && answer.syncToken.isEmpty());
    }

    // Other prefixes, unknown elements at any depth and several propstats are read as one server
    // writes them or another.
    void writtenOtherwise()
    {
        const DavMultistatus answer = parseMultistatus(
            R"(<?xml version="1.0"?><D:multistatus xmlns:D="DAV:" xmlns:X="urn:x">)"
            R"(<X:extra><D:response><D:href>/nascosto</D:href></D:response></X:extra>)"
            R"(<D:response><D:href> /rubrica/a.vcf </D:href>)"
            R"(<D:propstat><D:prop><D:getetag>"1"</D:getetag><X:deep><X:deeper/></X:deep></D:prop>)"
            R"(<D:status>HTTP/1.1 200 OK</D:status></D:propstat>)"
            R"(<D:propstat><D:prop><D:displayname>Mai</D:displayname></D:prop>)"
            R"(<D:status>HTTP/1.1 404 Not Found</D:status></D:propstat>)"
            R"(<card:address-data xmlns:card="urn:ietf:params:xml:ns:carddav">fuori posto</card:address-data>)"
            R"(</D:response></D:multistatus>)");
        QVERIFY2(answer.error.isEmpty(), qPrintable(answer.error));
        QCOMPARE(answer.resources.size(), size_t(1));
        QCOMPARE(answer.resources[0].href, u"/rubrica/a.vcf"_s);
        QCOMPARE(answer.resources[0].etag, u"\"1\""_s);
        QVERIFY(answer.resources[0].displayName.isEmpty());
        QVERIFY(answer.resources[0].addressData.isEmpty());
    }

    void hrefs_data()
    {
        QTest::addColumn<QString>("href");
        QTest::addColumn<QString>("same"); // another writing of the same resource, or empty
        QTest::addColumn<QString>("other"); // a writing of another resource, or empty
        QTest::newRow("escaped or not") << "/mario/contatti/a%26b%20c.vcf"
                                        << "/mario/contatti/a&b c.vcf"
                                        << "/mario/contatti/a&bc.vcf";
        QTest::newRow("whole URL or path") << "http://Server.example:80/mario/x.vcf"
                                           << "/mario/x.vcf"
                                           << "http://server.example:8080/mario/x.vcf";
        QTest::newRow("dot segments") << "/mario/contatti/../contatti/./x.vcf"
                                      << "/mario/contatti/x.vcf"
                                      << "";
        QTest::newRow("escaped letters") << "/mario/%63ontatti/x.vcf"
                                         << "/mario/contatti/x.vcf"
                                         << "/Mario/contatti/x.vcf";
        QTest::newRow("letters beyond ASCII")
            << "/mario/Nicol%C3%B2.vcf" << u"/mario/Nicolò.vcf"_s << "/mario/Nicolo.vcf";
        QTest::newRow("an escaped slash is no slash") << "/mario/a%2Fb.vcf"
                                                      << ""
                                                      << "/mario/a/b.vcf";
    }
    // The sync finds a card again however the server writes its place.
    void hrefs()
    {
        QFETCH(QString, href);
        QFETCH(QString, same);
        QFETCH(QString, other);
        const QUrl base(u"http://server.example/mario/contatti/"_s);
        const QString key = hrefKey(resolvedHref(base, href));
        if (!same.isEmpty())
            QCOMPARE(hrefKey(resolvedHref(base, same)), key);
        if (!other.isEmpty())
            QVERIFY(hrefKey(resolvedHref(base, other)) != key);
    }
};

QTEST_GUILESS_MAIN(TestDavResponse)
#include "test_davresponse.moc"
