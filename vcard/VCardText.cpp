#include "vcard/VCardText.h"

#include "text/Utf8Text.h"
#include "text/Windows1252.h"

#include <QStringDecoder>

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool isCharset(QStringView charset, std::initializer_list<const char16_t *> names)
{
    for (const char16_t *name : names) {
        if (charset.compare(QStringView(name), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

// Phones that write quoted-printable encode their own text, and Android has been seen to leave a
// stray byte at the end of a long value (the last contact of tests/data/vcard/John_Doe_ANDROID.vcf):
// that byte becomes U+FFFD, as other readers make it, rather than the whole file being refused.
// Bytes written as they are under a UTF-8 declaration that are not UTF-8 are a file saved in
// another code page, whose every accent would come out wrong: those are refused.
std::optional<QString> decodeUtf8(QByteArrayView bytes, bool quotedPrintable)
{
    if (!quotedPrintable && !isValidUtf8(bytes))
        return std::nullopt;
    return textOfUtf8(bytes);
}

// Other decoders (UTF-7, UTF-16) can leave half a surrogate pair, which UTF-8 cannot write back.
QString withoutLoneSurrogates(QString text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            text[i] = QChar::ReplacementCharacter;
    }
    return text;
}

} // namespace

QByteArray decodeQuotedPrintable(QByteArrayView encoded)
{
    QByteArray bytes;
    bytes.reserve(encoded.size());
    for (qsizetype i = 0; i < encoded.size(); ++i) {
        const char c = encoded[i];
        if (c == '=' && i + 2 < encoded.size() && hexDigit(encoded[i + 1]) >= 0
            && hexDigit(encoded[i + 2]) >= 0) {
            bytes += char(hexDigit(encoded[i + 1]) * 16 + hexDigit(encoded[i + 2]));
            i += 2;
        } else {
            // A broken escape is kept as it was written: its bytes are the best guess of the text.
            bytes += c;
        }
    }
    return bytes;
}

std::optional<QString> decodeVCardText(
    QByteArrayView bytes, QStringView charset, VCardVersion version, bool quotedPrintable)
{
    if (charset.isEmpty()) {
        // 4.0 knows no other character set than UTF-8.
        if (version == VCardVersion::V4_0)
            return decodeUtf8(bytes, quotedPrintable);
        return decodeUnlabelledText(bytes);
    }
    if (isCharset(charset, {u"UTF-8", u"UTF8"}))
        return decodeUtf8(bytes, quotedPrintable);
    // Files that say ISO-8859-1 come from Windows programs and mean its code page, as browsers read
    // them: the two differ only in 0x80-0x9F, control characters nobody writes in a contact.
    if (isCharset(charset, {u"WINDOWS-1252", u"CP1252", u"ISO-8859-1", u"ISO_8859-1", u"LATIN1", u"LATIN-1"}))
        return decodeWindows1252(bytes);
    // A US-ASCII label on bytes that are not ASCII, and a name Qt does not know, count as no label.
    if (isCharset(charset, {u"US-ASCII", u"ASCII"}))
        return decodeUnlabelledText(bytes);
    QStringDecoder decoder(charset.toLatin1().constData());
    if (!decoder.isValid())
        return decodeUnlabelledText(bytes);
    return withoutLoneSurrogates(decoder.decode(bytes));
}

QString decodeUnlabelledText(QByteArrayView bytes)
{
    return isValidUtf8(bytes) ? textOfUtf8(bytes) : decodeWindows1252(bytes);
}

QString escapedVCardValue(const QString &text, VCardVersion version)
{
    if (!holdsAnyOf(text, version == VCardVersion::V2_1 ? u"\r\n\\," : u"\r\n"))
        return text;
    QString value;
    value.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            value += u"\\n";
        } else if (version != VCardVersion::V2_1) {
            value += c;
        } else if (c == u'\\' && i + 1 < text.size() && text[i + 1] == u';') {
            value += u"\\;";
            ++i;
        } else if (c == u'\\' || c == u',') {
            value += u'\\';
            value += c;
        } else {
            value += c;
        }
    }
    return value;
}
