#include "links/AuthorLinks.h"

#include "links/AuthorConfig.h"

QString authorHomeCaption()
{
    return QString::fromUtf8(RUBRELLO_AUTHOR_HOME_CAPTION);
}

QUrl authorHomeUrl()
{
    return QUrl(QString::fromUtf8(RUBRELLO_AUTHOR_HOME_URL), QUrl::TolerantMode);
}

QUrl authorMailUrl()
{
    // Tolerant parsing keeps the subject's percent-encoding and still encodes a blank left in by mistake.
    return QUrl(QStringLiteral("mailto:") + QString::fromUtf8(RUBRELLO_AUTHOR_MAIL)
            + QStringLiteral("?subject=") + QString::fromUtf8(RUBRELLO_AUTHOR_MAIL_SUBJECT),
        QUrl::TolerantMode);
}
