#include "text/Utf8Text.h"

#include <QString>
#include <QStringDecoder>

#include <algorithm>
#include <cstring>

namespace {

char asciiUpper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

void appendBytes(std::string &out, QByteArrayView text)
{
    out.append(text.data(), static_cast<std::size_t>(text.size()));
}

void appendCodePoint(std::string &out, char32_t cp)
{
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// Upper-cases valid UTF-8 one character at a time with the simple (one character) mapping. That
// is what QString::toUpper gives for every character but those whose upper case is several
// characters ("ß", "ǰ", "ﬀ"...): those are lower or title case letters the simple mapping leaves
// as they are, and on meeting one the answer is false, for QString to do the whole text.
bool appendSimpleUpper(std::string &out, QByteArrayView text)
{
    const auto *bytes = reinterpret_cast<const uchar *>(text.data());
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size;) {
        const uchar lead = bytes[i];
        if (lead < 0x80) {
            out.push_back(asciiUpper(static_cast<char>(lead)));
            ++i;
            continue;
        }
        const int length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        if (i + length > size)
            return false;
        char32_t cp = lead & (0x3F >> (length - 1));
        for (int k = 1; k < length; ++k)
            cp = (cp << 6) | (bytes[i + k] & 0x3F);
        const char32_t upper = QChar::toUpper(cp);
        if (upper == cp) {
            const QChar::Category category = QChar::category(cp);
            if (category == QChar::Letter_Lowercase || category == QChar::Letter_Titlecase)
                return false;
        }
        appendCodePoint(out, upper);
        i += length;
    }
    return true;
}

} // namespace

bool isAscii(QByteArrayView text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<uchar>(c) < 0x80; });
}

std::size_t nextNonAscii(const std::string &text, std::size_t from)
{
    constexpr quint64 highBits = 0x8080808080808080ull;
    while (from + 8 <= text.size()) {
        quint64 word;
        std::memcpy(&word, text.data() + from, 8);
        if (word & highBits)
            break;
        from += 8;
    }
    while (from < text.size() && static_cast<uchar>(text[from]) < 0x80)
        ++from;
    return from;
}

void appendStored(std::string &out, QByteArrayView text)
{
    if (isValidUtf8(text))
        appendBytes(out, text);
    else
        appendBytes(out, QString::fromUtf8(text).toUtf8());
}

void appendFolded(std::string &out, QByteArrayView text)
{
    const std::size_t at = out.size();
    if (appendSimpleUpper(out, text))
        return;
    out.resize(at);
    appendBytes(out, QString::fromUtf8(text).toUpper().toUtf8());
}

void foldAsciiFrom(std::string &out, std::size_t at)
{
    std::transform(out.begin() + static_cast<std::ptrdiff_t>(at), out.end(),
        out.begin() + static_cast<std::ptrdiff_t>(at), asciiUpper);
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

QString textOfUtf8(QByteArrayView bytes)
{
    if (!bytes.startsWith(Utf8ByteOrderMark))
        return QString::fromUtf8(bytes);
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return utf8.decode(bytes);
}
