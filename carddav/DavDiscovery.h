// Where a user's address books are, from the address of a server (RFC 6764: /.well-known/carddav,
// the principal, its addressbook-home-set; RFC 6352) or from the address of a book itself.
#pragma once

#include "carddav/DavClient.h"

#include <QString>
#include <QUrl>

#include <vector>

struct AddressBookPlace
{
    QUrl url;
    QString name; // the book's display name, or the last part of its address
    bool offersSyncCollection = false;
};

struct DiscoveryResult
{
    std::vector<AddressBookPlace> books;
    QString failure; // in Italian, when none could be found
    QString refusedCertificate; // the fingerprint of a certificate that stopped the search
};

DiscoveryResult discoverAddressBooks(DavTransport &client, const QUrl &start);

// The address as the user wrote it, made whole: "dav.example.org" is https://dav.example.org/.
QUrl serverUrlFromText(const QString &text);
