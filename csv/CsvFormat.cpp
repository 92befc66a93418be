#include "csv/CsvFormat.h"

#include "text/Utf8Text.h"

#include <array>

namespace {

constexpr std::array<char, 3> Separators = {',', ';', '\t'};

// How many bytes at the end begin a UTF-8 character that the head cut short.
qsizetype cutCharacter(QByteArrayView bytes)
{
    for (qsizetype back = 1; back <= 3 && back <= bytes.size(); ++back) {
        const auto byte = static_cast<unsigned char>(bytes[bytes.size() - back]);
        if (byte >= 0x80 && byte < 0xC0)
            continue;
        const qsizetype length = byte >= 0xF0 && byte <= 0xF4 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC2 ? 2 : 1;
        return length > back ? back : 0;
    }
    return 0;
}

char guessSeparator(QByteArrayView text)
{
    std::array<int, Separators.size()> counts{};
    bool quoted = false;
    bool started = false;
    for (const char c : text) {
        if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && (c == '\r' || c == '\n')) {
            // Blank lines before the header do not end it.
            if (started)
                break;
            continue;
        } else if (!quoted) {
            for (std::size_t i = 0; i < Separators.size(); ++i)
                counts[i] += c == Separators[i];
        }
        started = true;
    }
    std::size_t best = 0;
    for (std::size_t i = 1; i < Separators.size(); ++i) {
        if (counts[i] > counts[best])
            best = i;
    }
    return Separators[best];
}

} // namespace

CsvFormat guessCsvFormat(QByteArrayView head)
{
    CsvFormat format;
    format.byteOrderMark = head.startsWith(QByteArrayView(Utf8ByteOrderMark));
    const QByteArrayView text = format.byteOrderMark ? head.sliced(3) : head;
    const bool utf8 = format.byteOrderMark || isValidUtf8(text.chopped(cutCharacter(text)));
    format.encoding = utf8 ? CsvEncoding::Utf8 : CsvEncoding::Windows1252;
    format.separator = guessSeparator(text);
    return format;
}
