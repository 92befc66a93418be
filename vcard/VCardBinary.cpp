#include "vcard/VCardBinary.h"

#include <utility>

namespace {

// The formats 2.1 and 3.0 writers name in TYPE, with the media type a 4.0 data: URI gives them.
constexpr std::pair<const char16_t *, const char16_t *> TypeMediaTypes[] = {
    {u"JPEG", u"image/jpeg"},
    {u"JPG", u"image/jpeg"},
    {u"PNG", u"image/png"},
    {u"GIF", u"image/gif"},
    {u"BMP", u"image/bmp"},
    {u"TIFF", u"image/tiff"},
    {u"WAVE", u"audio/wav"},
    {u"WAV", u"audio/wav"},
    {u"MP3", u"audio/mpeg"},
    {u"X509", u"application/pkix-cert"},
    {u"PGP", u"application/pgp-keys"},
};

QString mediaTypeOfType(const QString &type)
{
    if (type.contains(u'/'))
        return type.toLower();
    for (const auto &[name, mediaType] : TypeMediaTypes) {
        if (type.compare(QStringView(name), Qt::CaseInsensitive) == 0)
            return QString::fromUtf16(mediaType);
    }
    return {};
}

} // namespace

bool canHoldVCardBinary(QStringView name)
{
    return name == u"PHOTO" || name == u"LOGO" || name == u"SOUND" || name == u"KEY";
}

std::optional<QByteArray> decodeVCardBase64(QByteArrayView text)
{
    QByteArray compact;
    compact.reserve(text.size());
    for (const char c : text) {
        if (c == ' ' || c == '\t')
            continue;
        const bool base64 = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')
            || c == '+' || c == '/' || c == '=';
        if (!base64)
            return std::nullopt;
        compact += c;
    }
    // Only the characters are checked: phones write photos whose length is not a multiple of four
    // (the fifth contact of tests/data/vcard/John_Doe_ANDROID.vcf), and the bytes that can be read
    // are worth more than the whole file refused.
    return QByteArray::fromBase64(compact);
}

DataUriOutcome parseDataUri(QStringView text, VCardDataUri *uri)
{
    const qsizetype comma = text.indexOf(u',');
    if (!text.startsWith(u"data:", Qt::CaseInsensitive) || comma < 0)
        return DataUriOutcome::NotDataUri;
    QStringView meta = text.sliced(5, comma - 5);
    const QStringView payload = text.sliced(comma + 1);
    if (meta.endsWith(u";base64", Qt::CaseInsensitive)) {
        meta.chop(7);
        auto data = decodeVCardBase64(payload.toLatin1());
        if (!data)
            return DataUriOutcome::BadBase64;
        uri->data = std::move(*data);
    } else {
        uri->data = QByteArray::fromPercentEncoding(payload.toUtf8());
    }
    uri->mediaType = meta.toString();
    return DataUriOutcome::Decoded;
}

QString impliedMediaType(const QList<VCardParameter> &parameters)
{
    for (const VCardParameter &parameter : parameters) {
        if (parameter.name == u"MEDIATYPE" && !parameter.values.isEmpty())
            return parameter.values.first();
    }
    for (const VCardParameter &parameter : parameters) {
        if (parameter.name != u"TYPE")
            continue;
        for (const QString &type : parameter.values) {
            if (QString mediaType = mediaTypeOfType(type); !mediaType.isEmpty())
                return mediaType;
        }
    }
    return {};
}

void keepMediaType(QList<VCardParameter> &parameters, const QString &mediaType)
{
    if (mediaType.isEmpty() || mediaType.compare(impliedMediaType(parameters), Qt::CaseInsensitive) == 0)
        return;
    // A MEDIATYPE that says otherwise than the URI gives way to it.
    for (VCardParameter &parameter : parameters) {
        if (parameter.name == u"MEDIATYPE") {
            parameter.values = {mediaType};
            return;
        }
    }
    parameters.append({QStringLiteral("MEDIATYPE"), {mediaType}});
}

void dropBinaryValueType(QList<VCardParameter> &parameters)
{
    parameters.removeIf([](const VCardParameter &parameter) {
        if (parameter.name != u"VALUE" || parameter.values.size() != 1)
            return false;
        const QString &type = parameter.values.first();
        for (const char16_t *inline_ : {u"BINARY", u"INLINE", u"URI", u"URL"}) {
            if (type.compare(QStringView(inline_), Qt::CaseInsensitive) == 0)
                return true;
        }
        return false;
    });
}
