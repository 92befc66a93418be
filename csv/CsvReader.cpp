#include "csv/CsvReader.h"

#include "text/Utf8Text.h"
#include "text/Windows1252.h"

#include <QIODevice>

namespace {

constexpr qint64 PieceSize = 64 * 1024;

// What peek and takeUntil return instead of a byte.
constexpr int EndOfData = -1;
constexpr int ReadFailed = -2;
constexpr int FieldTooLong = -3;

} // namespace

CsvReader::CsvReader(QIODevice &device, const CsvFormat &format)
    : m_device(device)
    , m_format(format)
{
}

bool CsvReader::fill()
{
    if (m_atEnd || m_readFailed)
        return false;
    m_buffer.resize(PieceSize);
    const qint64 got = m_device.read(m_buffer.data(), PieceSize);
    m_buffer.resize(std::max<qint64>(got, 0));
    m_pos = 0;
    m_readFailed = got < 0;
    m_atEnd = got == 0;
    if (got > 0 && !m_started) {
        m_started = true;
        if (m_format.encoding == CsvEncoding::Utf8 && m_buffer.startsWith(Utf8ByteOrderMark))
            m_pos = 3;
        if (m_pos == m_buffer.size())
            return fill();
    }
    return got > 0;
}

int CsvReader::peek()
{
    if (m_pos == m_buffer.size() && !fill())
        return m_readFailed ? ReadFailed : EndOfData;
    return static_cast<unsigned char>(m_buffer[m_pos]);
}

int CsvReader::get()
{
    const int c = peek();
    if (c >= 0)
        ++m_pos;
    return c;
}

template<typename Stop>
int CsvReader::takeUntil(QByteArray &field, Stop isStop)
{
    for (;;) {
        if (m_pos == m_buffer.size() && !fill())
            return m_readFailed ? ReadFailed : EndOfData;
        qsizetype end = m_pos;
        while (end < m_buffer.size() && !isStop(m_buffer[end]))
            ++end;
        field.append(m_buffer.constData() + m_pos, end - m_pos);
        m_pos = end;
        if (field.size() > MaxFieldBytes)
            return FieldTooLong;
        if (end < m_buffer.size())
            return static_cast<unsigned char>(m_buffer[end]);
    }
}

void CsvReader::takeLineEnd()
{
    if (get() == '\r' && peek() == '\n')
        get();
    ++m_line;
}

bool CsvReader::fail(qint64 line, const QString &reason)
{
    m_error = QStringLiteral("riga %1: %2").arg(line).arg(reason);
    return false;
}

bool CsvReader::failRead()
{
    return fail(m_line, QStringLiteral("lettura del file non riuscita (%1)").arg(m_device.errorString()));
}

QString CsvReader::decode(QByteArrayView bytes) const
{
    // A file whose first bytes are plain ASCII is guessed UTF-8; an accent further on that is not
    // UTF-8 is then most likely Windows-1252, which reads it right where UTF-8 would lose it.
    if (bytes.isEmpty())
        return {};
    if (m_format.encoding == CsvEncoding::Utf8 && isValidUtf8(bytes)) {
        // Only the file's first byte order mark is one: one at a field's start is kept.
        return textOfUtf8(bytes);
    }
    return decodeWindows1252(bytes);
}

bool CsvReader::next(QStringList *row)
{
    row->clear();
    if (failed())
        return false;
    int c = peek();
    while (c == '\r' || c == '\n') {
        takeLineEnd();
        c = peek();
    }
    if (c == ReadFailed)
        return failRead();
    if (c == EndOfData)
        return false;

    m_rowLine = m_line;
    const char separator = m_format.separator;
    const auto endsQuoted = [](char b) { return b == '"' || b == '\r' || b == '\n'; };
    const auto endsField = [separator](char b) { return b == separator || b == '\r' || b == '\n'; };
    QStringList fields;
    QByteArray field;
    qsizetype rowBytes = 0;
    for (;;) {
        const qint64 fieldLine = m_line;
        if (peek() == '"') {
            get();
            for (;;) {
                c = takeUntil(field, endsQuoted);
                if (c == '"') {
                    get();
                    if (peek() != '"')
                        break;
                    get();
                    field.append('"');
                } else if (c == '\r' || c == '\n') {
                    get();
                    field.append(char(c));
                    if (c == '\r' && peek() == '\n') {
                        get();
                        field.append('\n');
                    }
                    ++m_line;
                } else if (c == EndOfData) {
                    return fail(fieldLine,
                        QStringLiteral("le virgolette aperte qui non si chiudono prima della fine del file"));
                } else if (c == FieldTooLong) {
                    return fail(fieldLine, QStringLiteral("un campo è più lungo di 4 MB"));
                } else {
                    return failRead();
                }
            }
        }
        // A field without quotes, or what follows the closing quote (a spreadsheet keeps it too),
        // runs to the separator or the line end.
        c = takeUntil(field, endsField);
        if (c == FieldTooLong)
            return fail(fieldLine, QStringLiteral("un campo è più lungo di 4 MB"));
        if (c == ReadFailed)
            return failRead();
        rowBytes += field.size();
        if (rowBytes > MaxRowBytes)
            return fail(m_rowLine, QStringLiteral("la riga è più lunga di 16 MB"));
        if (fields.size() == MaxColumns)
            return fail(m_rowLine, QStringLiteral("la riga ha più di 10.000 colonne"));
        fields.append(decode(field));
        field.clear();
        if (c == separator) {
            get();
            continue;
        }
        if (c != EndOfData)
            takeLineEnd();
        *row = std::move(fields);
        return true;
    }
}
