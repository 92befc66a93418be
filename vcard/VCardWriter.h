// Writes cards as 3.0 (what most programs read) or 4.0, folded at 75 octets with CRLF line ends.
#pragma once

#include "vcard/VCard.h"

class QIODevice;

// The card's lines, from BEGIN:VCARD to END:VCARD. V2_1 is written as 3.0.
QByteArray vCardBytes(const VCard &card, VCardVersion version = VCardVersion::V3_0);
bool writeVCard(QIODevice *device, const VCard &card, VCardVersion version = VCardVersion::V3_0);

// The FN a 4.0 card is written with when it has none, as 4.0 requires one: the name of N as it is
// spoken ("Mr. John Doe Jr."), else the first part of ORG, else empty. Already escaped.
QString derivedFormattedName(const VCard &card);

// The line folded: lines of at most 75 octets, a multi-byte character never cut, each continuation
// starting with a blank, each line ending in CRLF.
QByteArray foldVCardLine(QByteArrayView line);
