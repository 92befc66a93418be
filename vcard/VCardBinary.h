// Inline binary values: base64 both ways, data: URIs, and the media type a property's parameters give.
#pragma once

#include "vcard/VCard.h"

#include <optional>

// The properties whose value can be inline bytes.
bool canHoldVCardBinary(QStringView name);

// The bytes of base64 text, blanks skipped; nothing when it is not base64.
std::optional<QByteArray> decodeVCardBase64(QByteArrayView text);

struct VCardDataUri
{
    QString mediaType; // "image/jpeg", empty when the URI names none
    QByteArray data;
};

enum class DataUriOutcome { NotDataUri, Decoded, BadBase64 };

// Takes a data: URI ("data:image/jpeg;base64,/9j/...") apart.
DataUriOutcome parseDataUri(QStringView text, VCardDataUri *uri);

// The media type of a binary value as the parameters give it: MEDIATYPE, or a TYPE that names an
// image, sound or key format (TYPE=JPEG is image/jpeg); empty when none does.
QString impliedMediaType(const QList<VCardParameter> &parameters);

// Keeps the media type of a data: URI among the parameters when they do not already give it.
void keepMediaType(QList<VCardParameter> &parameters, const QString &mediaType);

// Drops a VALUE that only said the value was written inline (BINARY, INLINE) or as a URI.
void dropBinaryValueType(QList<VCardParameter> &parameters);
