#include "dial/OptionsText.h"

#include "text/Utf8Text.h"
#include "text/Windows1252.h"

#include <QStringDecoder>

namespace {

const QByteArray utf8Bom(Utf8ByteOrderMark);

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

OptionsText decodeOptionsText(const QByteArray &bytes)
{
    OptionsText result;
    const bool bom = bytes.startsWith(utf8Bom);
    const QByteArray body = bom ? bytes.mid(utf8Bom.size()) : bytes;
    // Bytes that are not valid UTF-8 are kept one by one, so they go back to the file unchanged.
    if ((bom || !isAscii(body)) && isValidUtf8(body)) {
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
