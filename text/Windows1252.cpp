#include "text/Windows1252.h"

#include <array>

namespace {

// Bytes 0x80 to 0x9F, where code page 1252 differs from Latin-1. The five bytes the code page
// leaves undefined keep their own value.
constexpr std::array<char16_t, 32> HighControlRange = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020,
    0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C,
    0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The byte of c in code page 1252, or -1.
int windows1252Byte(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return u;
    for (std::size_t i = 0; i < HighControlRange.size(); ++i) {
        if (HighControlRange[i] == u)
            return static_cast<int>(0x80 + i);
    }
    return -1;
}

} // namespace

QString decodeWindows1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        *out++ = (byte >= 0x80 && byte <= 0x9F) ? QChar(HighControlRange[byte - 0x80]) : QChar(byte);
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
