// The vCard reader over any bytes. What it reads is written as 3.0 and as 4.0, and property by
// property as single lines, and must read back the same.
#include "FuzzInput.h"
#include "vcard/VCardLine.h"
#include "vcard/VCardReader.h"
#include "vcard/VCardWriter.h"

#include <QBuffer>

#include <optional>

namespace {

// The one card of bytes the writer made.
std::optional<VCard> readWritten(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    VCardReader reader(&buffer);
    VCard card;
    VCard more;
    if (!reader.next(&card) || reader.next(&more) || !reader.error().isEmpty())
        return std::nullopt;
    return card;
}

void checkWrittenBack(const VCard &card, VCardVersion version)
{
    VCard expected = card;
    if (version == VCardVersion::V4_0 && !card.first(u"FN"))
        expected.properties.prepend({{}, QStringLiteral("FN"), {}, derivedFormattedName(card), {}});
    const std::optional<VCard> again = readWritten(vCardBytes(card, version));
    FUZZ_CHECK(again.has_value());
    FUZZ_CHECK(again->properties == expected.properties);
    for (const VCardProperty &property : card.properties)
        FUZZ_CHECK(parseVCardLine(vCardLine(property, version)) == property);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QBuffer buffer;
    buffer.setData(reinterpret_cast<const char *>(data), qsizetype(size));
    buffer.open(QIODevice::ReadOnly);
    VCardReader reader(&buffer);
    VCard card;
    while (reader.next(&card)) {
        checkWrittenBack(card, VCardVersion::V3_0);
        checkWrittenBack(card, VCardVersion::V4_0);
    }
    // The reading stops at the end of the bytes, or with a message that names the line.
    FUZZ_CHECK(reader.error().isEmpty() || reader.error().startsWith(u"riga "));
    return 0;
}
