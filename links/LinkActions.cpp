#include "links/LinkActions.h"

#include "links/AuthorLinks.h"
#include "links/LinkRules.h"
#include "platform/InstalledFiles.h"
#include "platform/Platform.h"

#include <QDir>
#include <QFileInfo>

namespace {

// A refusal by the desktop (no handler, no desktop at all) is told to the user, never passed over.
void openLink(Platform &platform, const QUrl &url)
{
    if (platform.openUrl(url))
        return;
    platform.showMessage(
        QStringLiteral("Non è stato possibile aprire:\n%1\n\nControllare che il sistema abbia un "
                       "programma predefinito per questo tipo di collegamento.")
            .arg(url.isLocalFile() ? QDir::toNativeSeparators(url.toLocalFile()) : url.toDisplayString()),
        MessageIcon::Exclamation);
}

} // namespace

void openContactMail(Platform &platform, const QString &address)
{
    openLink(platform, contactMailUrl(address));
}

void openContactHomePage(Platform &platform, const QString &text)
{
    const HomePageLink link = homePageLink(text);
    switch (link.problem) {
    case HomePageLink::Problem::None:
        openLink(platform, link.url);
        return;
    case HomePageLink::Problem::Missing:
        platform.showMessage(QStringLiteral("Nessuna Home Page specificata!"));
        return;
    case HomePageLink::Problem::NotWeb:
        platform.showMessage(QStringLiteral("La Home Page \"%1\" non è un indirizzo web: si aprono solo "
                                            "indirizzi http:// e https://.")
                                 .arg(text.trimmed()),
            MessageIcon::Exclamation);
        return;
    case HomePageLink::Problem::Malformed:
        platform.showMessage(
            QStringLiteral("La Home Page \"%1\" non è un indirizzo web valido.").arg(text.trimmed()),
            MessageIcon::Exclamation);
        return;
    }
}

QString helpPagePath(const QString &programDir)
{
    return helpPageFile(programDir);
}

void openHelpPage(Platform &platform, const QString &programDir)
{
    const QString path = helpPagePath(programDir);
    if (!QFileInfo(path).isFile()) {
        platform.showMessage(
            QStringLiteral("La pagina di aiuto non è stata trovata:\n%1").arg(QDir::toNativeSeparators(path)),
            MessageIcon::Exclamation);
        return;
    }
    openLink(platform, QUrl::fromLocalFile(path));
}

void openAuthorMail(Platform &platform)
{
    openLink(platform, authorMailUrl());
}

void openAuthorHome(Platform &platform)
{
    openLink(platform, authorHomeUrl());
}
