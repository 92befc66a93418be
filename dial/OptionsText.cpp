#include "dial/OptionsText.h"

#include <QStringDecoder>

#include <array>

namespace {

// Code page 1252 from 0x80 to 0x9F; the rest of the page is Latin-1.
constexpr std::array<char16_t, 32> highControlRange = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020,
    0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C,
    0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

const QByteArray utf8Bom("\xEF\xBB\xBF");

// The byte of c in code page 1252, or -1.
int windows1252Byte(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return u;
    for (std::size_t i = 0; i < highControlRange.size(); ++i) {
        if (highControlRange[i] == u)
            return static_cast<int>(0x80 + i);
    }
    return -1;
}

bool hasHighBytes(const QByteArray &bytes)
{
    for (const char b : bytes) {
        if (static_cast<unsigned char>(b) >= 0x80)
            return true;
    }
    return false;
}

bool isValidUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString unused = decoder.decode(bytes);
    Q_UNUSED(unused);
    return !decoder.hasError();
}

QStringList splitLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            lines.append(text.mid(start, i - start));
            i += (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n') ? 2 : 1;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < text.size())
        lines.append(text.mid(start));
    return lines;
}

} // namespace

QString decodeWindows1252(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char b : bytes) {
        const auto byte = static_cast<unsigned char>(b);
        text.append(byte >= 0x80 && byte < 0xA0 ? QChar(highControlRange[byte - 0x80]) : QChar(byte));
    }
    return text;
}

bool fitsWindows1252(const QString &text)
{
    for (const QChar c : text) {
        if (windows1252Byte(c) < 0)
            return false;
    }
    return true;
}

QByteArray encodeWindows1252(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const QChar c : text) {
        const int byte = windows1252Byte(c);
        bytes.append(static_cast<char>(byte < 0 ? '?' : byte));
    }
    return bytes;
}

OptionsText decodeOptionsText(const QByteArray &bytes)
{
    OptionsText result;
    const bool bom = bytes.startsWith(utf8Bom);
    const QByteArray body = bom ? bytes.mid(utf8Bom.size()) : bytes;
    // Bytes that are not valid UTF-8 are kept one by one, so they go back to the file unchanged.
    if ((bom || hasHighBytes(body)) && isValidUtf8(body)) {
        result.encoding = TextEncoding::Utf8;
        result.byteOrderMark = bom;
        // QString::fromUtf8 would drop a second byte order mark at the start of the text as well,
        // and each save would lose one more: the text after ours is decoded as it stands.
        QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
        result.lines = splitLines(decoder(body));
    } else {
        result.lines = splitLines(decodeWindows1252(bytes));
    }
    return result;
}

QByteArray encodeOptionsText(const OptionsText &text)
{
    QString whole;
    for (const QString &line : text.lines)
        whole += line + QStringLiteral("\r\n");
    if (text.encoding == TextEncoding::Windows1252 && fitsWindows1252(whole))
        return encodeWindows1252(whole);
    const QByteArray utf8 = whole.toUtf8();
    return text.byteOrderMark ? utf8Bom + utf8 : utf8;
}
