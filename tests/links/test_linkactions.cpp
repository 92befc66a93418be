// The link commands against the scripted platform: what reaches the desktop, and what the user is told
// when there is nothing to open or the desktop refuses.
#include "links/AuthorLinks.h"
#include "links/LinkActions.h"
#include "tests/support/ScriptedPlatform.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>
#include <QUrlQuery>

#include <functional>

namespace {

using Action = std::function<void(Platform &)>;

} // namespace

Q_DECLARE_METATYPE(Action)

class TestLinkActions : public QObject
{
    Q_OBJECT
private slots:
    void injectionArrivesAsOneUrl_data();
    void injectionArrivesAsOneUrl();
    void homePageRefused_data();
    void homePageRefused();
    void refusalByTheDesktopIsReported_data();
    void refusalByTheDesktopIsReported();
    void helpPageOpensFromProgramDirectory();
    void missingHelpPageNamesItsPath();
    void authorLinksAreWellFormed();
    void helpPageShipsBesideTheProgram();
};

void TestLinkActions::injectionArrivesAsOneUrl_data()
{
    QTest::addColumn<bool>("mail");
    QTest::addColumn<QString>("text");

    QTest::newRow("mail: ampersand command") << true << QStringLiteral("x & rm -rf ~");
    QTest::newRow("mail: quoted command") << true << QStringLiteral("a\"; calc; \"");
    QTest::newRow("mail: command substitution") << true << QStringLiteral("$(rm -rf ~)@example.it");
    QTest::newRow("mail: address then command") << true << QStringLiteral("a@example.it\" & calc & \"");
    QTest::newRow("home page: command in the query")
        << false << QStringLiteral("example.org/?q=x & rm -rf ~");
    QTest::newRow("home page: quoted command in the path")
        << false << QStringLiteral("example.org/a\"; calc; \"");
}

void TestLinkActions::injectionArrivesAsOneUrl()
{
    QFETCH(bool, mail);
    QFETCH(QString, text);

    ScriptedPlatform platform;
    if (mail)
        openContactMail(platform, text);
    else
        openContactHomePage(platform, text);

    QCOMPARE(platform.messages.size(), 0);
    QCOMPARE(platform.openedUrls.size(), 1);
    const QUrl url = platform.openedUrls.first();
    QCOMPARE(url.scheme(), mail ? QStringLiteral("mailto") : QStringLiteral("http"));
    // The whole text is inside the one URL...
    const QByteArray encoded = url.toEncoded();
    QVERIFY2(QUrl::fromPercentEncoding(encoded).contains(text), encoded.constData());
    // ...and in its encoded form nothing is left that a command line could split or quote.
    QVERIFY2(!encoded.contains(' ') && !encoded.contains('"'), encoded.constData());
    QCOMPARE(QUrl::fromEncoded(encoded, QUrl::StrictMode), url);
}

void TestLinkActions::homePageRefused_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::addColumn<MessageIcon>("icon");

    QTest::newRow("empty") << QString() << QStringLiteral("Nessuna Home Page specificata!")
                           << MessageIcon::None;
    QTest::newRow("blanks only") << QStringLiteral("   ") << QStringLiteral("Nessuna Home Page specificata!")
                                 << MessageIcon::None;
    QTest::newRow("command as host") << QStringLiteral(
        "x & rm -rf ~") << QStringLiteral("La Home Page \"x & rm -rf ~\" non è un indirizzo web valido.")
                                     << MessageIcon::Exclamation;
    QTest::newRow("local file") << QStringLiteral(" file:///etc/passwd")
                                << QStringLiteral(
                                       "La Home Page \"file:///etc/passwd\" non è un indirizzo web: si "
                                       "aprono solo indirizzi http:// e https://.")
                                << MessageIcon::Exclamation;
}

void TestLinkActions::homePageRefused()
{
    QFETCH(QString, text);
    QFETCH(QString, message);
    QFETCH(MessageIcon, icon);

    ScriptedPlatform platform;
    openContactHomePage(platform, text);

    QVERIFY(platform.openedUrls.isEmpty());
    QCOMPARE(platform.messages.size(), 1);
    QCOMPARE(platform.messages.first().text, message);
    QCOMPARE(platform.messages.first().icon, icon);
    QCOMPARE(platform.messages.first().buttons, MessageButtons::Ok);
    QVERIFY(platform.messages.first().title.isEmpty()); // the program's title
}

void TestLinkActions::refusalByTheDesktopIsReported_data()
{
    QTest::addColumn<Action>("action");
    QTest::addColumn<QString>("shown");

    QTest::newRow("contact mail") << Action([](Platform &p) {
        openContactMail(p, QStringLiteral("a@example.it"));
    }) << QStringLiteral("mailto:a@example.it");
    QTest::newRow("contact home page")
        << Action([](Platform &p) { openContactHomePage(p, QStringLiteral("www.example.org")); })
        << QStringLiteral("http://www.example.org");
    QTest::newRow("author mail") << Action([](Platform &p) { openAuthorMail(p); })
                                 << authorMailUrl().toDisplayString();
    QTest::newRow("author home") << Action([](Platform &p) { openAuthorHome(p); })
                                 << authorHomeUrl().toDisplayString();
}

void TestLinkActions::refusalByTheDesktopIsReported()
{
    QFETCH(Action, action);
    QFETCH(QString, shown);

    ScriptedPlatform platform;
    platform.urlOpens = false;
    action(platform);

    QCOMPARE(platform.openedUrls.size(), 1);
    QCOMPARE(platform.messages.size(), 1);
    QVERIFY2(
        platform.messages.first().text.startsWith(QStringLiteral("Non è stato possibile aprire:\n") + shown),
        qPrintable(platform.messages.first().text));
    QCOMPARE(platform.messages.first().icon, MessageIcon::Exclamation);
}

void TestLinkActions::helpPageOpensFromProgramDirectory()
{
    // Characters that mean something in a URL or to a shell must stay part of the path.
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString programDir = QDir(root.path()).filePath(QStringLiteral("Rubrello #2 & più"));
    QVERIFY(QDir().mkpath(programDir));
    QFile page(QDir(programDir).filePath(QStringLiteral("Rubrello.html")));
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.close();

    ScriptedPlatform platform;
    openHelpPage(platform, programDir);
    QCOMPARE(platform.messages.size(), 0);
    QCOMPARE(platform.openedUrls.size(), 1);
    QVERIFY(platform.openedUrls.first().isLocalFile());
    QCOMPARE(platform.openedUrls.first().toLocalFile(), page.fileName());

    platform.urlOpens = false;
    openHelpPage(platform, programDir);
    QCOMPARE(platform.messages.size(), 1);
    QVERIFY(platform.messages.first().text.contains(QDir::toNativeSeparators(page.fileName())));
}

void TestLinkActions::missingHelpPageNamesItsPath()
{
    QTemporaryDir programDir;
    QVERIFY(programDir.isValid());
    // A directory by the page's name is no page either.
    QVERIFY(QDir(programDir.path()).mkdir(QStringLiteral("sub")));

    for (const QString &dir : {programDir.path(), QDir(programDir.path()).filePath(QStringLiteral("sub"))}) {
        ScriptedPlatform platform;
        if (dir != programDir.path())
            QVERIFY(QDir(dir).mkdir(QStringLiteral("Rubrello.html")));
        openHelpPage(platform, dir);
        QVERIFY(platform.openedUrls.isEmpty());
        QCOMPARE(platform.messages.size(), 1);
        QCOMPARE(platform.messages.first().text,
            QStringLiteral("La pagina di aiuto non è stata trovata:\n")
                + QDir::toNativeSeparators(QDir(dir).filePath(QStringLiteral("Rubrello.html"))));
        QCOMPARE(platform.messages.first().icon, MessageIcon::Exclamation);
    }
}

void TestLinkActions::authorLinksAreWellFormed()
{
    const QUrl mail = authorMailUrl();
    QVERIFY2(mail.isValid(), qPrintable(mail.errorString()));
    QCOMPARE(mail.scheme(), QStringLiteral("mailto"));
    const QString address = mail.path(QUrl::FullyDecoded);
    QVERIFY2(address.count(QLatin1Char('@')) == 1 && !address.startsWith(QLatin1Char('@'))
            && !address.endsWith(QLatin1Char('@')),
        qPrintable(address));
    const QUrlQuery query(mail);
    QCOMPARE(query.queryItems().size(), 1);
    QVERIFY(!query.queryItemValue(QStringLiteral("subject"), QUrl::FullyDecoded).trimmed().isEmpty());
    QVERIFY2(!mail.toEncoded().contains(' '), mail.toEncoded().constData());

    const QUrl home = authorHomeUrl();
    QVERIFY2(home.isValid(), qPrintable(home.errorString()));
    QVERIFY(home.scheme() == QLatin1String("https") || home.scheme() == QLatin1String("http"));
    QVERIFY(!home.host().isEmpty());

    QVERIFY(authorHomeCaption().contains(QLatin1Char('&')));

    ScriptedPlatform platform;
    openAuthorMail(platform);
    openAuthorHome(platform);
    QCOMPARE(platform.openedUrls, (QList<QUrl> {mail, home}));
}

void TestLinkActions::helpPageShipsBesideTheProgram()
{
    QFile page(QStringLiteral(RUBRELLO_BUILT_HELP_PAGE));
    QVERIFY2(page.open(QIODevice::ReadOnly), qPrintable(page.fileName()));
    const QByteArray bytes = page.readAll();
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(bytes);
    QVERIFY(!utf8.hasError());
    QVERIFY(text.contains(QLatin1String("<meta charset=\"utf-8\">")));
    QVERIFY(text.contains(QLatin1String("<html lang=\"it\">")));
}

QTEST_GUILESS_MAIN(TestLinkActions)
#include "test_linkactions.moc"
