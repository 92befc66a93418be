#include "text/TextDecoding.h"

namespace {

// Bytes 0x80 to 0x9F, where Windows-1252 differs from Latin-1. The five bytes the code page leaves
// undefined keep their own value, as Windows itself decodes them.
constexpr char16_t Windows1252High[32] = {
    0x20AC,
    0x0081,
    0x201A,
    0x0192,
    0x201E,
    0x2026,
    0x2020,
    0x2021,
    0x02C6,
    0x2030,
    0x0160,
    0x2039,
    0x0152,
    0x008D,
    0x017D,
    0x008F,
    0x0090,
    0x2018,
    0x2019,
    0x201C,
    0x201D,
    0x2022,
    0x2013,
    0x2014,
    0x02DC,
    0x2122,
    0x0161,
    0x203A,
    0x0153,
    0x009D,
    0x017E,
    0x0178,
};

} // namespace

QString decodeWindows1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        *out++ = (byte >= 0x80 && byte <= 0x9F) ? QChar(Windows1252High[byte - 0x80]) : QChar(byte);
    }
    return text;
}

void Utf8Check::feed(QByteArrayView bytes)
{
    for (const char c : bytes) {
        if (m_broken)
            return;
        const auto byte = static_cast<unsigned char>(c);
        if (m_pending > 0) {
            if (byte < m_lowest || byte > m_highest) {
                m_broken = true;
                return;
            }
            m_lowest = 0x80;
            m_highest = 0xBF;
            --m_pending;
            continue;
        }
        if (byte <= 0x7F)
            continue;
        if (byte >= 0xC2 && byte <= 0xDF) {
            m_pending = 1;
        } else if (byte >= 0xE0 && byte <= 0xEF) {
            m_pending = 2;
            if (byte == 0xE0)
                m_lowest = 0xA0; // overlong below U+0800
            else if (byte == 0xED)
                m_highest = 0x9F; // surrogates
        } else if (byte >= 0xF0 && byte <= 0xF4) {
            m_pending = 3;
            if (byte == 0xF0)
                m_lowest = 0x90; // overlong below U+10000
            else if (byte == 0xF4)
                m_highest = 0x8F; // above U+10FFFF
        } else {
            m_broken = true;
        }
    }
}
