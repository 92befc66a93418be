// What a WebDAV server answers with 207 Multi-Status (RFC 4918), as PROPFIND and the CardDAV reports
// (RFC 6352, RFC 6578) give it: one entry per resource, with the properties the sync asks for.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <vector>

struct DavResource
{
    QString href; // as the server wrote it: a path, or a whole URL
    int status = 200; // the response's own status: 404 is a card gone, in a sync report
    // The properties the server has (a propstat of status 200); the others stay empty.
    QString etag; // quotes kept: If-Match wants it back as it was given
    QByteArray addressData; // the vCard, in UTF-8
    QString displayName;
    bool collection = false;
    bool addressBook = false;
    QString principal; // current-user-principal
    QString addressBookHome; // addressbook-home-set
    bool offersSyncCollection = false; // supported-report-set names sync-collection
    QString syncToken; // a collection's sync-token property
};

struct DavMultistatus
{
    std::vector<DavResource> resources;
    QString syncToken; // the token a sync-collection report ends with
    QString error; // why the body is no multi-status; empty when it is one
};

// Reads a Multi-Status body. Elements it does not know are passed over; anything that is not
// well-formed XML with a DAV: multistatus at its root is an error, with nothing else kept.
DavMultistatus parseMultistatus(QByteArrayView body);
