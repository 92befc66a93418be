// The link rules: what the e-mail and home-page boxes become before they reach the desktop.
#include "links/LinkRules.h"

#include <QTest>

Q_DECLARE_METATYPE(HomePageLink::Problem)

class TestLinkRules : public QObject
{
    Q_OBJECT
private slots:
    void mailUrl_data();
    void mailUrl();
    void homePage_data();
    void homePage();
};

void TestLinkRules::mailUrl_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QByteArray>("encoded");

    QTest::newRow("empty: a new mail without recipient") << QString() << QByteArray("mailto:");
    QTest::newRow("plain address") << QStringLiteral("mario.rossi@example.it")
                                   << QByteArray("mailto:mario.rossi@example.it");
    QTest::newRow("blanks kept") << QStringLiteral(" mario@example.it ")
                                 << QByteArray("mailto:%20mario@example.it%20");
    QTest::newRow("shell command") << QStringLiteral("x & rm -rf ~")
                                   << QByteArray("mailto:x%20%26%20rm%20-rf%20~");
    QTest::newRow("quotes and semicolons")
        << QStringLiteral("a\"; calc; \"") << QByteArray("mailto:a%22%3B%20calc%3B%20%22");
    QTest::newRow("no headers smuggled in")
        << QStringLiteral("a@example.it?bcc=b@example.it&body=x")
        << QByteArray("mailto:a@example.it%3Fbcc%3Db@example.it%26body%3Dx");
    QTest::newRow("no fragment") << QStringLiteral("a@example.it#x") << QByteArray("mailto:a@example.it%23x");
    QTest::newRow("leading slashes") << QStringLiteral("//a@example.it")
                                     << QByteArray("mailto:%2F%2Fa@example.it");
    QTest::newRow("percent sign") << QStringLiteral("100%@example.it")
                                  << QByteArray("mailto:100%25@example.it");
    QTest::newRow("accents") << QStringLiteral("niccolò@perù.it")
                             << QByteArray("mailto:niccol%C3%B2@per%C3%B9.it");
}

void TestLinkRules::mailUrl()
{
    QFETCH(QString, address);
    QFETCH(QByteArray, encoded);

    const QUrl url = contactMailUrl(address);
    QVERIFY2(url.isValid(), qPrintable(url.errorString()));
    QCOMPARE(url.toEncoded(), encoded);
    // The whole text is the address and nothing else.
    QCOMPARE(url.scheme(), QStringLiteral("mailto"));
    QCOMPARE(url.path(QUrl::FullyDecoded), address);
    QVERIFY(!url.hasQuery());
    QVERIFY(!url.hasFragment());
}

void TestLinkRules::homePage_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<HomePageLink::Problem>("problem");
    QTest::addColumn<QByteArray>("encoded");

    const auto None = HomePageLink::Problem::None;
    const auto Missing = HomePageLink::Problem::Missing;
    const auto NotWeb = HomePageLink::Problem::NotWeb;
    const auto Malformed = HomePageLink::Problem::Malformed;

    QTest::newRow("no scheme gets http://")
        << QStringLiteral("www.example.org") << None << QByteArray("http://www.example.org");
    QTest::newRow("exactly http:// unchanged") << QStringLiteral("http://www.example.org/chi-siamo.html")
                                               << None << QByteArray("http://www.example.org/chi-siamo.html");
    QTest::newRow("blanks before http://")
        << QStringLiteral("   http://www.example.org") << None << QByteArray("http://www.example.org");
    QTest::newRow("blanks after the page")
        << QStringLiteral("www.example.org/  ") << None << QByteArray("http://www.example.org/");
    QTest::newRow("HTTP:// in capitals") << QStringLiteral("HTTP://www.example.org/Pagina") << None
                                         << QByteArray("http://www.example.org/Pagina");
    QTest::newRow("https://") << QStringLiteral("https://www.example.org/") << None
                              << QByteArray("https://www.example.org/");
    QTest::newRow("Https:// after blanks")
        << QStringLiteral("  Https://example.org") << None << QByteArray("https://example.org");
    QTest::newRow("host with port is no scheme") << QStringLiteral("www.example.org:8080/agenda") << None
                                                 << QByteArray("http://www.example.org:8080/agenda");
    QTest::newRow("blank inside the path") << QStringLiteral("example.org/le mie foto") << None
                                           << QByteArray("http://example.org/le%20mie%20foto");
    QTest::newRow("accented host") << QStringLiteral("perù.it") << None
                                   << QByteArray("http://xn--per-6na.it");
    QTest::newRow("shell command in the query stays in it") << QStringLiteral(
        "example.org/?q=x & rm -rf ~") << None << QByteArray("http://example.org/?q=x%20&%20rm%20-rf%20~");

    QTest::newRow("empty") << QString() << Missing << QByteArray();
    QTest::newRow("blanks only") << QStringLiteral("     ") << Missing << QByteArray();
    QTest::newRow("shell command as host") << QStringLiteral("x & rm -rf ~") << Malformed << QByteArray();
    QTest::newRow("quotes as host") << QStringLiteral("a\"; calc; \"") << Malformed << QByteArray();
    QTest::newRow("scheme without host") << QStringLiteral("http://") << Malformed << QByteArray();
    QTest::newRow("local file") << QStringLiteral("file:///etc/passwd") << NotWeb << QByteArray();
    QTest::newRow("script") << QStringLiteral("javascript:alert(1)") << NotWeb << QByteArray();
    QTest::newRow("mail link") << QStringLiteral("mailto:mario@example.org") << NotWeb << QByteArray();
    QTest::newRow("Windows path") << QStringLiteral("C:\\Documenti\\pagina.html") << NotWeb << QByteArray();
}

void TestLinkRules::homePage()
{
    QFETCH(QString, text);
    QFETCH(HomePageLink::Problem, problem);
    QFETCH(QByteArray, encoded);

    const HomePageLink link = homePageLink(text);
    QCOMPARE(link.problem, problem);
    QCOMPARE(link.url.isValid(), problem == HomePageLink::Problem::None);
    if (problem == HomePageLink::Problem::None)
        QCOMPARE(link.url.toEncoded(), encoded);
}

QTEST_GUILESS_MAIN(TestLinkRules)
#include "test_linkrules.moc"
