// The link rules and commands: what the e-mail and home-page boxes become, what reaches the desktop
// through the scripted platform, and what the user is told when there is nothing to open.
#include "links/AuthorLinks.h"
#include "links/LinkActions.h"
#include "links/LinkRules.h"
#include "tests/support/ScriptedPlatform.h"
#include "tests/text/CaseTable.h"

#include <QDir>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

class TestLinks : public QObject
{
    Q_OBJECT
private slots:
    void contactMail_data() { addCaseRows("links/mail.tsv"); }
    void contactMail()
    {
        const auto [address, encoded] = caseValues<2>();
        const QUrl url = contactMailUrl(utf8(address));
        QCOMPARE(url.toEncoded(), encoded); // the whole text is the address and nothing else
        ScriptedPlatform platform;
        openContactMail(platform, utf8(address));
        QCOMPARE(platform.openedUrls, QList<QUrl>{url});
        QVERIFY(platform.messages.isEmpty());
    }

    void homePage_data() { addCaseRows("links/homepage.tsv"); }
    void homePage()
    {
        const auto [text, opened] = caseValues<2>();
        const HomePageLink link = homePageLink(utf8(text));
        const bool web = !opened.startsWith('!');
        ScriptedPlatform platform;
        openContactHomePage(platform, utf8(text));
        QCOMPARE(platform.openedUrls.size(), web ? 1 : 0);
        QCOMPARE(platform.messages.size(), web ? 0 : 1);
        if (web) {
            QCOMPARE(link.url.toEncoded(), opened);
            QCOMPARE(platform.openedUrls.first(), link.url);
            return;
        }
        QCOMPARE(platform.messages.first().text, utf8(opened.mid(1)));
    }

    void refusalByTheDesktopIsReported()
    {
        const std::vector<std::pair<std::function<void(Platform &)>, QString>> actions{
            {[](Platform &p) { openContactMail(p, u"a@example.it"_s); }, u"mailto:a@example.it"_s},
            {[](Platform &p) { openContactHomePage(p, u"www.example.org"_s); }, u"http://www.example.org"_s},
            {[](Platform &p) { openAuthorMail(p); }, authorMailUrl().toDisplayString()},
            {[](Platform &p) { openAuthorHome(p); }, authorHomeUrl().toDisplayString()}};
        for (const auto &[action, shown] : actions) {
            ScriptedPlatform platform;
            platform.urlOpens = false;
            action(platform);
            QCOMPARE(platform.openedUrls.size(), 1);
            QCOMPARE(platform.messages.size(), 1);
            QVERIFY2(platform.messages.first().text.startsWith(u"Non è stato possibile aprire:\n"_s + shown),
                qPrintable(platform.messages.first().text));
        }
    }

    void helpPage()
    {
        // Characters that mean something in a URL or to a shell stay part of the path.
        QTemporaryDir root;
        const QString programDir = QDir(root.path()).filePath(u"Rubrello #2 & più"_s);
        const QString page = QDir(programDir).filePath(u"Rubrello.html"_s);
        ScriptedPlatform platform;
        // A directory by the page's name is no page either.
        QVERIFY(QDir().mkpath(page));
        openHelpPage(platform, programDir);
        QVERIFY(platform.openedUrls.isEmpty());
        QVERIFY(platform.messages.takeFirst().text.contains(":\n" + QDir::toNativeSeparators(page)));
        QVERIFY(QDir().rmdir(page));
        QFile file(page);
        QVERIFY(file.open(QIODevice::WriteOnly));
        openHelpPage(platform, programDir);
        QCOMPARE(platform.openedUrls, QList<QUrl>{QUrl::fromLocalFile(page)});
        QVERIFY(platform.messages.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestLinks)
#include "test_links.moc"
