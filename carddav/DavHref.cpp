#include "carddav/DavHref.h"

#include <QStringList>

QUrl resolvedHref(const QUrl &base, const QString &href)
{
    return base.resolved(QUrl(href.trimmed(), QUrl::TolerantMode));
}

QString hrefKey(const QUrl &url)
{
    QUrl normal = url.adjusted(QUrl::NormalizePathSegments | QUrl::RemoveFragment | QUrl::RemoveUserInfo);
    normal.setScheme(normal.scheme().toLower());
    normal.setHost(normal.host().toLower());
    if ((normal.scheme() == u"http" && normal.port() == 80)
        || (normal.scheme() == u"https" && normal.port() == 443))
        normal.setPort(-1);
    // Each segment of the path decoded, then escaped again one way: what a path segment may hold as
    // it is stays plain, the rest (a slash inside a segment among it) is escaped.
    QStringList segments = normal.path(QUrl::FullyEncoded).split(u'/');
    for (QString &segment : segments)
        segment = QString::fromLatin1(QUrl::toPercentEncoding(
            QUrl::fromPercentEncoding(segment.toLatin1()), QByteArrayLiteral("!$&'()*+,;=:@")));
    normal.setPath(segments.join(u'/'), QUrl::StrictMode);
    return normal.toString(QUrl::FullyEncoded);
}
