#include "carddav/DavResponse.h"

#include <QXmlStreamReader>

namespace {

constexpr QLatin1StringView Dav("DAV:");
constexpr QLatin1StringView CardDav("urn:ietf:params:xml:ns:carddav");

bool is(const QXmlStreamReader &xml, QLatin1StringView space, QLatin1StringView name)
{
    return xml.namespaceUri() == space && xml.name() == name;
}

// "HTTP/1.1 404 Not Found" gives 404; anything else 0.
int statusCode(const QString &line)
{
    const QStringList parts = line.simplified().split(u' ');
    return parts.size() >= 2 ? parts.at(1).toInt() : 0;
}

// The text of the first href inside the current element, which is read to its end.
QString innerHref(QXmlStreamReader &xml)
{
    QString href;
    while (xml.readNextStartElement()) {
        if (href.isEmpty() && is(xml, Dav, QLatin1StringView("href")))
            href = xml.readElementText().trimmed();
        else
            xml.skipCurrentElement();
    }
    return href;
}

// Whether the current element holds a sync-collection report anywhere below it; read to its end.
bool holdsSyncCollection(QXmlStreamReader &xml)
{
    bool found = false;
    int depth = 1;
    while (depth > 0 && !xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            ++depth;
            found = found || is(xml, Dav, QLatin1StringView("sync-collection"));
        } else if (xml.isEndElement()) {
            --depth;
        }
    }
    return found;
}

void readProperties(QXmlStreamReader &xml, DavResource &found)
{
    while (xml.readNextStartElement()) {
        if (is(xml, Dav, QLatin1StringView("getetag"))) {
            found.etag = xml.readElementText().trimmed();
        } else if (is(xml, CardDav, QLatin1StringView("address-data"))) {
            found.addressData = xml.readElementText().toUtf8();
        } else if (is(xml, Dav, QLatin1StringView("displayname"))) {
            found.displayName = xml.readElementText().trimmed();
        } else if (is(xml, Dav, QLatin1StringView("resourcetype"))) {
            while (xml.readNextStartElement()) {
                found.collection = found.collection || is(xml, Dav, QLatin1StringView("collection"));
                found.addressBook = found.addressBook || is(xml, CardDav, QLatin1StringView("addressbook"));
                xml.skipCurrentElement();
            }
        } else if (is(xml, Dav, QLatin1StringView("current-user-principal"))) {
            found.principal = innerHref(xml);
        } else if (is(xml, CardDav, QLatin1StringView("addressbook-home-set"))) {
            found.addressBookHome = innerHref(xml);
        } else if (is(xml, Dav, QLatin1StringView("supported-report-set"))) {
            found.offersSyncCollection = holdsSyncCollection(xml);
        } else if (is(xml, Dav, QLatin1StringView("sync-token"))) {
            found.syncToken = xml.readElementText().trimmed();
        } else {
            xml.skipCurrentElement();
        }
    }
}

// A propstat's properties count only when its status says the server has them.
void readPropstat(QXmlStreamReader &xml, DavResource &resource)
{
    DavResource found;
    int status = 0;
    while (xml.readNextStartElement()) {
        if (is(xml, Dav, QLatin1StringView("prop")))
            readProperties(xml, found);
        else if (is(xml, Dav, QLatin1StringView("status")))
            status = statusCode(xml.readElementText());
        else
            xml.skipCurrentElement();
    }
    if (status / 100 != 2)
        return;
    const auto keep = [](auto &into, const auto &value) {
        if (!value.isEmpty())
            into = value;
    };
    keep(resource.etag, found.etag);
    keep(resource.addressData, found.addressData);
    keep(resource.displayName, found.displayName);
    keep(resource.principal, found.principal);
    keep(resource.addressBookHome, found.addressBookHome);
    keep(resource.syncToken, found.syncToken);
    resource.collection = resource.collection || found.collection;
    resource.addressBook = resource.addressBook || found.addressBook;
    resource.offersSyncCollection = resource.offersSyncCollection || found.offersSyncCollection;
}

DavResource readResponse(QXmlStreamReader &xml)
{
    DavResource resource;
    while (xml.readNextStartElement()) {
        if (is(xml, Dav, QLatin1StringView("href")))
            resource.href = xml.readElementText().trimmed();
        else if (is(xml, Dav, QLatin1StringView("status")))
            resource.status = statusCode(xml.readElementText());
        else if (is(xml, Dav, QLatin1StringView("propstat")))
            readPropstat(xml, resource);
        else
            xml.skipCurrentElement();
    }
    return resource;
}

} // namespace

DavMultistatus parseMultistatus(QByteArrayView body)
{
    DavMultistatus answer;
    QXmlStreamReader xml(body.toByteArray());
    if (!xml.readNextStartElement() || !is(xml, Dav, QLatin1StringView("multistatus"))) {
        answer.error = xml.hasError()
            ? xml.errorString()
            : QStringLiteral("la risposta non è un elenco di risorse (multistatus)");
        return answer;
    }
    while (xml.readNextStartElement()) {
        if (is(xml, Dav, QLatin1StringView("response")))
            answer.resources.push_back(readResponse(xml));
        else if (is(xml, Dav, QLatin1StringView("sync-token")))
            answer.syncToken = xml.readElementText().trimmed();
        else
            xml.skipCurrentElement();
    }
    // The rest of the document must be well-formed too: a body cut short is no answer.
    while (!xml.atEnd())
        xml.readNext();
    if (xml.hasError()) {
        answer = DavMultistatus();
        answer.error = xml.errorString();
    }
    return answer;
}
