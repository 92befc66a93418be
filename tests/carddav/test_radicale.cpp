// The requests the sync sends, tried on a real Radicale started for the test: discovery down to the
// address book, a sync from nothing and from a token, a multiget with an href that needs escaping,
// and the answers a sync must tell apart (a wrong password, a server gone).
#include "carddav/DavRequests.h"
#include "carddav/DavResponse.h"
#include "tests/support/RadicaleServer.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

struct Answer
{
    int status = 0;
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    QByteArray body;
};

class Client
{
public:
    Client(QString user, QString password)
        : m_authorization("Basic " + (user + u':' + password).toUtf8().toBase64())
    {
    }
    Answer send(const QUrl &url, const QByteArray &verb, const QByteArray &body = {},
        QList<std::pair<QByteArray, QByteArray>> headers = {})
    {
        QNetworkRequest request(url);
        request.setRawHeader("Authorization", m_authorization);
        request.setHeader(QNetworkRequest::ContentTypeHeader,
            verb == "PUT" ? QByteArray("text/vcard; charset=utf-8")
                          : QByteArray("application/xml; charset=utf-8"));
        for (const auto &[name, value] : headers)
            request.setRawHeader(name, value);
        QNetworkReply *reply = m_network.sendCustomRequest(request, verb, body);
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
        Answer answer{reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), reply->error(),
            reply->readAll()};
        reply->deleteLater();
        return answer;
    }

private:
    QNetworkAccessManager m_network;
    QByteArray m_authorization;
};

QByteArray card(const char *uid, const char *name)
{
    return QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:") + uid + "\r\nN:" + name + ";;;;\r\nFN:" + name
        + "\r\nEND:VCARD\r\n";
}

} // namespace

class TestRadicale : public QObject
{
    Q_OBJECT
private slots:
    void discoverySyncAndMultiget()
    {
        RadicaleServer server;
        QVERIFY2(server.error().isEmpty(), qPrintable(server.error()));
        Client phone(u"mario"_s, u"segreto"_s);
        const QUrl book = server.addressBook(u"mario"_s);
        const QUrl odd = book.resolved(QUrl(u"a%26b%3Cc.vcf"_s)); // "a&b<c.vcf"
        QCOMPARE(phone
                     .send(book.resolved(QUrl(u"uno.vcf"_s)), "PUT", card("uno", "Rossi"),
                         {{"If-None-Match", "*"}})
                     .status,
            201);
        QCOMPARE(phone.send(odd, "PUT", card("due", "Bianchi")).status, 201);

        // From the server's root to the address book, as discovery walks it.
        const DavMultistatus root = parseMultistatus(
            phone.send(server.baseUrl(), "PROPFIND", discoveryBody(), {{"Depth", "0"}}).body);
        QCOMPARE(root.resources.size(), size_t(1));
        QCOMPARE(root.resources[0].principal, u"/mario/"_s);
        const DavMultistatus principal
            = parseMultistatus(phone
                                   .send(server.baseUrl().resolved(QUrl(root.resources[0].principal)),
                                       "PROPFIND", discoveryBody(), {{"Depth", "0"}})
                                   .body);
        QCOMPARE(principal.resources.at(0).addressBookHome, u"/mario/"_s);
        const DavMultistatus home = parseMultistatus(
            phone
                .send(server.baseUrl().resolved(QUrl(principal.resources[0].addressBookHome)), "PROPFIND",
                    discoveryBody(), {{"Depth", "1"}})
                .body);
        const auto found = std::find_if(
            home.resources.begin(), home.resources.end(), [](const DavResource &r) { return r.addressBook; });
        QVERIFY(found != home.resources.end());
        QCOMPARE(found->href, book.path());
        QVERIFY(found->offersSyncCollection);

        // Everything from no token, then only what changed from the token.
        const DavMultistatus first
            = parseMultistatus(phone.send(book, "REPORT", syncCollectionBody({}), {{"Depth", "1"}}).body);
        QVERIFY2(first.error.isEmpty(), qPrintable(first.error));
        QCOMPARE(first.resources.size(), size_t(2));
        QVERIFY(!first.syncToken.isEmpty());
        const DavMultistatus etags
            = parseMultistatus(phone.send(book, "PROPFIND", etagsBody(), {{"Depth", "1"}}).body);
        QCOMPARE(etags.resources.size(), size_t(3)); // the book itself and its two cards

        QStringList hrefs;
        for (const DavResource &resource : first.resources)
            hrefs.append(resource.href);
        const DavMultistatus cards
            = parseMultistatus(phone.send(book, "REPORT", multigetBody(hrefs), {{"Depth", "1"}}).body);
        QCOMPARE(cards.resources.size(), size_t(2));
        for (const DavResource &resource : cards.resources) {
            QCOMPARE(resource.status, 200);
            QVERIFY(resource.addressData.contains("BEGIN:VCARD"));
            QVERIFY(!resource.etag.isEmpty());
        }

        QCOMPARE(phone.send(odd, "DELETE").status, 200);
        const DavMultistatus changes = parseMultistatus(
            phone.send(book, "REPORT", syncCollectionBody(first.syncToken), {{"Depth", "1"}}).body);
        QCOMPARE(changes.resources.size(), size_t(1));
        QCOMPARE(changes.resources[0].status, 404);
        QCOMPARE(
            QUrl::fromPercentEncoding(changes.resources[0].href.toUtf8()), u"/mario/contatti/a&b<c.vcf"_s);
    }

    // A wrong password is refused; a server gone answers nothing at all.
    void refusedAndGone()
    {
        RadicaleServer server;
        QVERIFY2(server.error().isEmpty(), qPrintable(server.error()));
        QCOMPARE(Client(u"mario"_s, u"sbagliata"_s)
                     .send(server.addressBook(u"mario"_s), "PROPFIND", discoveryBody())
                     .status,
            401);
        server.stop();
        const Answer gone = Client(u"mario"_s, u"segreto"_s)
                                .send(server.addressBook(u"mario"_s), "PROPFIND", discoveryBody());
        QCOMPARE(gone.status, 0);
        QCOMPARE(gone.error, QNetworkReply::ConnectionRefusedError);
    }
};

QTEST_GUILESS_MAIN(TestRadicale)
#include "test_radicale.moc"
