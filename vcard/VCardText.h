// A value's bytes made text: quoted-printable, the character set, and the escapes of 3.0 and 4.0
// put in place of 2.1's bare commas and line breaks.
#pragma once

#include "vcard/VCard.h"

#include <QByteArrayView>

#include <optional>

QByteArray decodeQuotedPrintable(QByteArrayView encoded);

// The text of bytes written in charset (empty when none is named), or nothing when they are not
// the UTF-8 they are declared to be. quotedPrintable tells that they came out of quoted-printable.
std::optional<QString> decodeVCardText(
    QByteArrayView bytes, QStringView charset, VCardVersion version, bool quotedPrintable);

// Bytes that name no character set: UTF-8 when they are valid UTF-8, else Windows-1252.
QString decodeUnlabelledText(QByteArrayView bytes);

// Decoded text as a value holds it. 2.1 escapes only the semicolon, so its commas and backslashes
// are escaped here; in every version a line break becomes "\n".
QString escapedVCardValue(const QString &text, VCardVersion version);
