#include "output/PdfWriter.h"

#include "platform/AtomicFile.h"
#include "text/ForgivingText.h"
#include "text/Windows1252.h"

#include <QList>
#include <QStringView>

namespace {

bool isControl(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

// What a character outside code page 1252 is printed as: its letter without its marks ("ř" as
// "r"), or "?".
QString standIn(char32_t c)
{
    if (const QStringView plain = plainLetters(c); !plain.isEmpty())
        return QChar::isLower(c) ? plain.toString().toLower() : plain.toString();
    const QString decomposed = QString::fromUcs4(&c, 1).normalized(QString::NormalizationForm_D);
    QString base;
    for (const QChar part : decomposed) {
        if (!part.isMark())
            base += part;
    }
    if (base.isEmpty() || base == QString::fromUcs4(&c, 1) || !fitsWindows1252(base))
        return QStringLiteral("?");
    return base;
}

// The text in the bytes of the font's encoding. Composed first, so that a letter typed as a base
// and a mark is the one accented letter the code page holds.
QByteArray fontBytes(const QString &text)
{
    bool plain = true;
    for (const QChar c : text)
        plain = plain && c.unicode() >= 0x20 && c.unicode() < 0x7F;
    if (plain)
        return text.toLatin1();
    QString printable;
    for (const char32_t c : text.normalized(QString::NormalizationForm_C).toUcs4()) {
        if (c == U'\t')
            printable += QLatin1Char(' ');
        else if (isControl(c))
            // The five bytes code page 1252 leaves unused are no glyph of the font either.
            printable += QLatin1Char('?');
        else if (c <= 0xFFFF && fitsWindows1252(QString(QChar(char16_t(c)))))
            printable += QChar(char16_t(c));
        else
            printable += standIn(c);
    }
    return encodeWindows1252(printable);
}

// A string literal: its delimiters and the backslash escaped, and the line breaks a reader would
// otherwise take as a single "\n".
QByteArray literal(const QByteArray &bytes)
{
    QByteArray out;
    out.reserve(bytes.size() + 2);
    out += '(';
    for (const char c : bytes) {
        if (c == '\\' || c == '(' || c == ')')
            out += '\\';
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    out += ')';
    return out;
}

// The document's title: a literal when it is plain ASCII, otherwise UTF-16BE with its byte order
// mark, which every reader takes for a text string.
QByteArray titleString(const QString &title)
{
    bool ascii = true;
    for (const QChar c : title)
        ascii = ascii && c.unicode() >= 0x20 && c.unicode() < 0x7F;
    if (ascii)
        return literal(title.toLatin1());
    QByteArray utf16("\xFE\xFF", 2);
    for (const QChar c : title) {
        utf16 += char(c.unicode() >> 8);
        utf16 += char(c.unicode() & 0xFF);
    }
    return '<' + utf16.toHex().toUpper() + '>';
}

// Two decimals are a hundredth of a point, finer than any printer; no exponent, which PDF lacks.
QByteArray number(qreal value)
{
    QByteArray text = QByteArray::number(value, 'f', 2);
    while (text.endsWith('0'))
        text.chop(1);
    if (text.endsWith('.'))
        text.chop(1);
    return text == "-0" ? QByteArray("0") : text;
}

qreal points(qreal millimetres)
{
    return millimetres / MillimetresPerPoint;
}

QByteArray contentStream(const PrintedPage &page)
{
    QByteArray content;
    for (const PlacedText &text : page.texts) {
        if (text.text.isEmpty())
            continue;
        content += "BT /F1 " + number(text.pointSize) + " Tf " + number(points(text.x)) + ' '
            + number(points(page.paper.height() - text.baseline)) + " Td " + literal(fontBytes(text.text))
            + " Tj ET\n";
    }
    return content;
}

class PdfDocument
{
public:
    // Starts object number (1 up, in order) and returns it.
    int beginObject()
    {
        m_offsets.push_back(m_bytes.size());
        const int object = int(m_offsets.size());
        m_bytes += QByteArray::number(object) + " 0 obj\n";
        return object;
    }
    void add(const QByteArray &bytes) { m_bytes += bytes; }
    void endObject() { m_bytes += "\nendobj\n"; }

    QByteArray finish(int root, int info)
    {
        const qsizetype table = m_bytes.size();
        m_bytes
            += "xref\n0 " + QByteArray::number(qsizetype(m_offsets.size()) + 1) + "\n0000000000 65535 f \n";
        for (const qsizetype offset : m_offsets)
            m_bytes += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
        m_bytes += "trailer\n<< /Size " + QByteArray::number(qsizetype(m_offsets.size()) + 1) + " /Root "
            + QByteArray::number(root) + " 0 R /Info " + QByteArray::number(info) + " 0 R >>\nstartxref\n"
            + QByteArray::number(table) + "\n%%EOF\n";
        return m_bytes;
    }

private:
    // The comment of four bytes above 127 tells transfer programs the file is binary.
    QByteArray m_bytes = QByteArrayLiteral("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
    std::vector<qsizetype> m_offsets;
};

// The objects in the order they are numbered: each page is followed by its content.
enum Objects { Catalog = 1, PageTree, Font, Information, FirstPage };

QByteArray reference(qsizetype object)
{
    return QByteArray::number(object) + " 0 R";
}

QByteArray pdfBytes(const std::vector<PrintedPage> &pages, const QString &title)
{
    PdfDocument pdf;
    pdf.beginObject();
    pdf.add("<< /Type /Catalog /Pages " + reference(PageTree) + " >>");
    pdf.endObject();
    pdf.beginObject();
    QByteArray kids;
    for (std::size_t i = 0; i < pages.size(); ++i)
        kids += (i ? " " : "") + reference(FirstPage + 2 * qsizetype(i));
    pdf.add(
        "<< /Type /Pages /Kids [" + kids + "] /Count " + QByteArray::number(qsizetype(pages.size())) + " >>");
    pdf.endObject();
    pdf.beginObject();
    pdf.add("<< /Type /Font /Subtype /Type1 /BaseFont /Courier /Encoding /WinAnsiEncoding >>");
    pdf.endObject();
    pdf.beginObject();
    pdf.add("<< /Title " + titleString(title) + " /Producer (Rubrello) >>");
    pdf.endObject();
    for (const PrintedPage &page : pages) {
        const int pageObject = pdf.beginObject();
        pdf.add("<< /Type /Page /Parent " + reference(PageTree) + " /MediaBox [0 0 "
            + number(points(page.paper.width())) + ' ' + number(points(page.paper.height()))
            + "] /Resources << /Font << /F1 " + reference(Font) + " >> >> /Contents "
            + reference(pageObject + 1) + " >>");
        pdf.endObject();
        const QByteArray content = contentStream(page);
        pdf.beginObject();
        pdf.add(
            "<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n" + content + "\nendstream");
        pdf.endObject();
    }
    return pdf.finish(Catalog, Information);
}

} // namespace

QString writePdf(const QString &path, const std::vector<PrintedPage> &pages, const QString &title)
{
    if (pages.empty())
        return QStringLiteral("Non c'è nessuna pagina da scrivere.");
    const QString failure = writeFileAtomically(path, pdfBytes(pages, title));
    if (!failure.isEmpty())
        return QStringLiteral("Impossibile scrivere il file \"%1\": %2").arg(path, failure);
    return {};
}
