// The bodies of the requests the sync sends to a CardDAV server, as RFC 4918, 6352 and 6578 write
// them; every text from outside (a token, an href) is escaped by the XML writer.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// PROPFIND for discovery: who the user is, where the address books live, what each one is and
// offers, and its ETag and sync token.
QByteArray discoveryBody();

// PROPFIND, depth 1, of an address book's cards and their ETags: the way of a server without
// sync-collection.
QByteArray etagsBody();

// REPORT sync-collection: what changed since token (everything for an empty one), with ETags.
QByteArray syncCollectionBody(const QString &token);

// REPORT addressbook-multiget: the ETag and the vCard of each href.
QByteArray multigetBody(const QStringList &hrefs);
