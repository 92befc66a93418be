#include "carddav/DavDiscovery.h"

#include "carddav/DavHref.h"
#include "carddav/DavRequests.h"
#include "carddav/DavResponse.h"

namespace {

struct Found
{
    DavMultistatus answer;
    QUrl url; // where the server answered from
    DavReply reply;
};

Found propfind(DavTransport &client, const QUrl &url, const char *depth)
{
    Found found;
    found.reply = client.send({"PROPFIND", url, discoveryBody(), {{"Depth", depth}}});
    found.url = found.reply.url.isValid() ? found.reply.url : url;
    if (found.reply.status == 207)
        found.answer = parseMultistatus(found.reply.body);
    return found;
}

// The properties the server gave for the resource it was asked about.
const DavResource *itself(const Found &found)
{
    const QString key = hrefKey(found.url);
    for (const DavResource &resource : found.answer.resources)
        if (hrefKey(resolvedHref(found.url, resource.href)) == key)
            return &resource;
    return found.answer.resources.size() == 1 ? &found.answer.resources.front() : nullptr;
}

AddressBookPlace placeOf(const QUrl &url, const DavResource &resource)
{
    QString name = resource.displayName.trimmed();
    if (name.isEmpty()) {
        const QStringList parts = url.path().split(u'/', Qt::SkipEmptyParts);
        name = parts.isEmpty() ? url.host() : parts.back();
    }
    return {url, name, resource.offersSyncCollection};
}

DiscoveryResult failed(const DavReply &reply, const QString &otherwise)
{
    DiscoveryResult result;
    result.failure = davFailureText(reply);
    if (result.failure.isEmpty() || reply.status == 404)
        result.failure = otherwise;
    result.refusedCertificate = reply.refusedCertificate;
    return result;
}

} // namespace

DiscoveryResult discoverAddressBooks(DavTransport &client, const QUrl &start)
{
    const QString none = QStringLiteral("A questo indirizzo non si trova una rubrica CardDAV.");
    Found here = propfind(client, start, "0");
    if (here.reply.status == 401 || !here.reply.failure.isEmpty() || here.reply.cancelled)
        return failed(here.reply, none);
    const DavResource *resource = itself(here);
    if (resource && resource->addressBook)
        return {{placeOf(resolvedHref(here.url, resource->href), *resource)}, {}, {}};

    // The principal, from the address given or else from the one every server answers at.
    QString principal = resource ? resource->principal : QString();
    QString home = resource ? resource->addressBookHome : QString();
    QUrl base = here.url;
    if (principal.isEmpty() && home.isEmpty()) {
        Found known = propfind(client, start.resolved(QUrl(QStringLiteral("/.well-known/carddav"))), "0");
        if (known.reply.status != 207)
            return failed(known.reply, none);
        resource = itself(known);
        if (!resource || resource->principal.isEmpty())
            return failed(known.reply, none);
        principal = resource->principal;
        home = resource->addressBookHome;
        base = known.url;
    }
    if (home.isEmpty()) {
        const QUrl principalUrl = resolvedHref(base, principal);
        Found user = propfind(client, principalUrl, "0");
        if (user.reply.status != 207)
            return failed(user.reply, none);
        resource = itself(user);
        if (!resource || resource->addressBookHome.isEmpty())
            return failed(user.reply, none);
        home = resource->addressBookHome;
        base = user.url;
    }
    const QUrl homeUrl = resolvedHref(base, home);
    Found books = propfind(client, homeUrl, "1");
    if (books.reply.status != 207)
        return failed(books.reply, none);
    DiscoveryResult result;
    for (const DavResource &book : books.answer.resources)
        if (book.addressBook)
            result.books.push_back(placeOf(resolvedHref(books.url, book.href), book));
    if (result.books.empty())
        result.failure = QStringLiteral("Il server non ha rubriche per questo utente.");
    return result;
}

QUrl serverUrlFromText(const QString &text)
{
    const QString trimmed = text.trimmed();
    QUrl url = QUrl::fromUserInput(trimmed);
    if (!trimmed.contains(QLatin1StringView("://")) && url.scheme() == QLatin1StringView("http"))
        url.setScheme(QStringLiteral("https"));
    if (url.path().isEmpty())
        url.setPath(QStringLiteral("/"));
    return url;
}
