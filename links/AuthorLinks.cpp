#include "links/AuthorLinks.h"

QString authorHomeCaption()
{
    return QStringLiteral("&Home page di Rubrello");
}

QUrl authorHomeUrl()
{
    return QUrl(QStringLiteral("https://rubrello.example.org/"));
}

QUrl authorMailUrl()
{
    return QUrl(QStringLiteral("mailto:rubrello@example.org?subject=Rubrello"));
}
