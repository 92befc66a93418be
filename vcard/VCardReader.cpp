#include "vcard/VCardReader.h"

#include "text/Utf8Text.h"
#include "vcard/VCardLimits.h"
#include "vcard/VCardLine.h"
#include "vcard/VCardText.h"

#include <QIODevice>

#include <algorithm>
#include <array>

namespace {

bool isBlankLine(QByteArrayView line)
{
    return std::all_of(line.begin(), line.end(), [](char c) { return c == ' ' || c == '\t'; });
}

bool isLine(QByteArrayView line, QByteArrayView wanted)
{
    while (!line.isEmpty() && (line.back() == ' ' || line.back() == '\t'))
        line.chop(1);
    return line.compare(wanted, Qt::CaseInsensitive) == 0;
}

QString shown(QByteArrayView line)
{
    const QString text = decodeUnlabelledText(line.first(qMin(line.size(), qsizetype(60))));
    return line.size() > 60 ? text + u'…' : text;
}

} // namespace

VCardReader::VCardReader(QIODevice *device)
    : m_device(device)
{
}

// Reads up to the next LF. The line ends there, its CRs taken off (CRLF, and the CR CR LF some
// iPhones write); a CR alone, as old Macs wrote, ends a line as well.
bool VCardReader::readLines()
{
    QByteArray chunk;
    // In pieces: QIODevice::readLine(maxSize) would allocate the whole bound for every line.
    std::array<char, 8192> piece;
    while (!chunk.endsWith('\n')) {
        const qint64 read = m_device->readLine(piece.data(), qint64(piece.size()));
        if (read <= 0)
            break;
        chunk.append(piece.data(), qsizetype(read));
        if (chunk.size() > MaxVCardLineBytes && !chunk.endsWith('\n'))
            return fail(m_line + 1, QStringLiteral("la riga supera gli 8 MB"));
    }
    if (chunk.isEmpty())
        return false;
    if (!m_started) {
        m_started = true;
        if (chunk.startsWith("\xFF\xFE") || chunk.startsWith("\xFE\xFF"))
            return fail(1, QStringLiteral("il file è in UTF-16; si leggono file in UTF-8 o Windows-1252"));
        if (chunk.startsWith(Utf8ByteOrderMark))
            chunk.remove(0, 3);
    }
    while (chunk.endsWith('\n') || chunk.endsWith('\r'))
        chunk.chop(1);
    if (chunk.contains('\r'))
        m_lines.append(chunk.split('\r'));
    else
        m_lines.append(std::move(chunk));
    return true;
}

const QByteArray *VCardReader::peekLine()
{
    if (m_lines.isEmpty() && !readLines())
        return nullptr;
    return &m_lines.first();
}

QByteArray VCardReader::takeLine()
{
    ++m_line;
    return m_lines.takeFirst();
}

// Takes the next line with the lines that continue it: those starting with a blank, and in
// quoted-printable the line after one ending in "=", which 2.1 writers do not indent.
bool VCardReader::takeContentLine(QByteArray *content, qint64 *start)
{
    if (!peekLine())
        return false;
    *content = takeLine();
    *start = m_line;
    bool headRead = false;
    bool quotedPrintable = false;
    bool softBreak = false;
    while (true) {
        if (!headRead) {
            if (const qsizetype colon = vCardValueStart(*content); colon >= 0) {
                headRead = true;
                quotedPrintable = declaresQuotedPrintable(QByteArrayView(*content).first(colon), m_version);
                softBreak = quotedPrintable && content->endsWith('=');
            }
        }
        const QByteArray *next = peekLine();
        if (!next)
            return !m_failed;
        if (softBreak) {
            content->chop(1);
            *content += *next;
            softBreak = next->endsWith('=');
        } else if (next->startsWith(' ') || next->startsWith('\t')) {
            *content += QByteArrayView(*next).sliced(1);
            softBreak = quotedPrintable && next->size() > 1 && next->endsWith('=');
        } else {
            return true;
        }
        takeLine();
        if (content->size() > MaxVCardContentLineBytes) {
            return fail(
                *start, QStringLiteral("la proprietà %1 supera i 20 MB").arg(vCardPropertyName(*content)));
        }
    }
}

bool VCardReader::fail(qint64 line, const QString &message)
{
    m_failed = true;
    m_error = QStringLiteral("riga %1: %2").arg(line).arg(message);
    return false;
}

bool VCardReader::next(VCard *card)
{
    card->properties.clear();
    if (m_failed)
        return false;
    QByteArray content;
    qint64 start = 0;
    do {
        if (!takeContentLine(&content, &start))
            return false;
    } while (isBlankLine(content));
    if (!isLine(content, "BEGIN:VCARD"))
        return fail(start, QStringLiteral("atteso BEGIN:VCARD, trovato «%1»").arg(shown(content)));

    const qint64 begin = start;
    m_version = VCardVersion::V3_0;
    qsizetype cardBytes = 0;
    while (true) {
        if (!takeContentLine(&content, &start)) {
            if (m_failed)
                return false;
            return fail(m_line,
                QStringLiteral("la scheda iniziata alla riga %1 non termina con END:VCARD").arg(begin));
        }
        if (isBlankLine(content))
            continue;
        cardBytes += content.size();
        if (cardBytes > MaxVCardCardBytes)
            return fail(start, QStringLiteral("la scheda iniziata alla riga %1 supera i 64 MB").arg(begin));
        QString error;
        std::optional<VCardProperty> property = parseVCardContentLine(content, m_version, &error);
        if (!property)
            return fail(start, error);
        if (property->name != u"BEGIN" && property->name != u"END" && property->name != u"VERSION") {
            if (card->properties.size() == MaxVCardProperties) {
                return fail(start,
                    QStringLiteral("la scheda iniziata alla riga %1 ha più di %2 proprietà")
                        .arg(begin)
                        .arg(MaxVCardProperties));
            }
            card->properties.append(std::move(*property));
            continue;
        }
        const QString value = property->text().trimmed();
        if (property->name == u"BEGIN") {
            return fail(start,
                QStringLiteral(
                    "BEGIN:%1 dentro la scheda iniziata alla riga %2, che non è chiusa da END:VCARD")
                    .arg(value, QString::number(begin)));
        }
        if (property->name == u"END") {
            if (value.compare(u"VCARD", Qt::CaseInsensitive) != 0)
                return fail(start, QStringLiteral("atteso END:VCARD, trovato END:%1").arg(value));
            return true;
        }
        if (value == u"2.1")
            m_version = VCardVersion::V2_1;
        else if (value == u"3.0")
            m_version = VCardVersion::V3_0;
        else if (value == u"4.0")
            m_version = VCardVersion::V4_0;
        else
            return fail(start, QStringLiteral("versione vCard sconosciuta: «%1»").arg(value));
    }
}
