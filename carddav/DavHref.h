// Where a resource a server names lives: an href is a path or a whole URL, written with its
// characters escaped or not ("a%26b.vcf", "a&b.vcf"), and the sync must know two writings of one
// resource for one.
#pragma once

#include <QString>
#include <QUrl>

// The resource href names, read against the URL of the request that named it.
QUrl resolvedHref(const QUrl &base, const QString &href);

// One writing of a resource's place, whatever the way it was written: scheme, host and port in
// lower case with the scheme's own port left out, the path with its escapes undone where they
// stand for plain characters. Equal keys, one resource.
QString hrefKey(const QUrl &url);
