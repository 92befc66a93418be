#include "vcard/VCardWriter.h"

#include "vcard/VCardLine.h"

#include <QIODevice>

namespace {

constexpr qsizetype FoldWidth = 75;

bool isUtf8Continuation(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

} // namespace

QString derivedFormattedName(const VCard &card)
{
    QStringList words;
    if (const VCardProperty *n = card.first(u"N")) {
        // N is family; given; additional; prefixes; suffixes.
        const QStringList parts = n->components();
        for (const int index : {3, 1, 2, 0, 4}) {
            const QString part = parts.value(index).trimmed();
            if (!part.isEmpty())
                words.append(part);
        }
    }
    if (words.isEmpty()) {
        if (const VCardProperty *org = card.first(u"ORG"))
            words.append(org->components().value(0).trimmed());
    }
    return escapeVCardText(words.join(u' '));
}

QByteArray foldVCardLine(QByteArrayView line)
{
    QByteArray folded;
    folded.reserve(line.size() + line.size() / 24 + 2);
    qsizetype width = FoldWidth;
    while (line.size() > width) {
        qsizetype cut = width;
        while (cut > 0 && isUtf8Continuation(line[cut]))
            --cut;
        // Bytes that are not UTF-8 may have no start of a character to cut before.
        if (cut == 0)
            cut = width;
        folded += line.first(cut);
        folded += "\r\n ";
        line = line.sliced(cut);
        width = FoldWidth - 1;
    }
    folded += line;
    folded += "\r\n";
    return folded;
}

QByteArray vCardBytes(const VCard &card, VCardVersion version)
{
    const bool v4 = version == VCardVersion::V4_0;
    QByteArray bytes = v4 ? "BEGIN:VCARD\r\nVERSION:4.0\r\n" : "BEGIN:VCARD\r\nVERSION:3.0\r\n";
    if (v4 && !card.first(u"FN")) {
        VCardProperty fn;
        fn.name = QStringLiteral("FN");
        fn.value = derivedFormattedName(card);
        bytes += foldVCardLine(vCardLine(fn, version));
    }
    for (const VCardProperty &property : card.properties) {
        if (property.name == u"BEGIN" || property.name == u"END" || property.name == u"VERSION")
            continue;
        bytes += foldVCardLine(vCardLine(property, version));
    }
    bytes += "END:VCARD\r\n";
    return bytes;
}

bool writeVCard(QIODevice *device, const VCard &card, VCardVersion version)
{
    const QByteArray bytes = vCardBytes(card, version);
    return device->write(bytes) == bytes.size();
}
