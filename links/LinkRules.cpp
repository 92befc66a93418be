#include "links/LinkRules.h"

#include "text/Blanks.h"

#include <QRegularExpression>

namespace {

// "name:" where a digit does not follow, so "www.example.org:8080" is a host with its port.
QString schemeOf(const QString &page)
{
    static const QRegularExpression scheme(QStringLiteral("^([A-Za-z][A-Za-z0-9+.\\-]*):(?!\\d)"));
    const QRegularExpressionMatch match = scheme.match(page);
    return match.hasMatch() ? match.captured(1).toLower() : QString();
}

} // namespace

QUrl contactMailUrl(const QString &address)
{
    return QUrl::fromEncoded("mailto:" + QUrl::toPercentEncoding(address, "@"), QUrl::StrictMode);
}

HomePageLink homePageLink(const QString &text)
{
    const QString page = trimBlanks(text);
    if (page.isEmpty())
        return {{}, HomePageLink::Problem::Missing};

    const QString scheme = schemeOf(page);
    // A contact's page must never open a local file or start another kind of handler.
    if (!scheme.isEmpty() && scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        return {{}, HomePageLink::Problem::NotWeb};

    const QUrl url(scheme.isEmpty() ? QStringLiteral("http://") + page : page, QUrl::TolerantMode);
    if (!url.isValid() || url.host().isEmpty())
        return {{}, HomePageLink::Problem::Malformed};
    return {url, HomePageLink::Problem::None};
}
