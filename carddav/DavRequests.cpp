#include "carddav/DavRequests.h"

#include <QXmlStreamWriter>

#include <functional>

namespace {

const QString Dav = QStringLiteral("DAV:");
const QString CardDav = QStringLiteral("urn:ietf:params:xml:ns:carddav");

QByteArray document(
    const QString &space, const QString &root, const std::function<void(QXmlStreamWriter &)> &inside)
{
    QByteArray body;
    QXmlStreamWriter xml(&body);
    xml.writeStartDocument();
    xml.writeNamespace(Dav, QStringLiteral("d"));
    xml.writeNamespace(CardDav, QStringLiteral("card"));
    xml.writeStartElement(space, root);
    inside(xml);
    xml.writeEndElement();
    xml.writeEndDocument();
    return body;
}

void properties(QXmlStreamWriter &xml, std::initializer_list<std::pair<const QString &, const char *>> names)
{
    xml.writeStartElement(Dav, QStringLiteral("prop"));
    for (const auto &[space, name] : names)
        xml.writeEmptyElement(space, QString::fromLatin1(name));
    xml.writeEndElement();
}

} // namespace

QByteArray discoveryBody()
{
    return document(Dav, QStringLiteral("propfind"), [](QXmlStreamWriter &xml) {
        properties(xml,
            {{Dav, "current-user-principal"}, {CardDav, "addressbook-home-set"}, {Dav, "resourcetype"},
                {Dav, "displayname"}, {Dav, "supported-report-set"}, {Dav, "sync-token"}, {Dav, "getetag"}});
    });
}

QByteArray etagsBody()
{
    return document(Dav, QStringLiteral("propfind"), [](QXmlStreamWriter &xml) {
        properties(xml, {{Dav, "resourcetype"}, {Dav, "getetag"}});
    });
}

QByteArray syncCollectionBody(const QString &token)
{
    return document(Dav, QStringLiteral("sync-collection"), [&](QXmlStreamWriter &xml) {
        xml.writeTextElement(Dav, QStringLiteral("sync-token"), token);
        xml.writeTextElement(Dav, QStringLiteral("sync-level"), QStringLiteral("1"));
        properties(xml, {{Dav, "getetag"}});
    });
}

QByteArray multigetBody(const QStringList &hrefs)
{
    return document(CardDav, QStringLiteral("addressbook-multiget"), [&](QXmlStreamWriter &xml) {
        properties(xml, {{Dav, "getetag"}, {CardDav, "address-data"}});
        for (const QString &href : hrefs)
            xml.writeTextElement(Dav, QStringLiteral("href"), href);
    });
}
