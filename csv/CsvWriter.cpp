#include "csv/CsvWriter.h"

#include "text/Utf8Text.h"

#include <QIODevice>

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

bool needsQuotes(const QString &field, QChar separator)
{
    if (field.isEmpty())
        return false;
    if (isBlank(field.front()) || isBlank(field.back()))
        return true;
    for (const QChar c : field) {
        if (c == separator || c == u'"' || c == u'\r' || c == u'\n')
            return true;
    }
    return false;
}

} // namespace

CsvWriter::CsvWriter(QIODevice &device, char separator)
    : m_device(device)
    , m_separator(separator)
{
}

bool CsvWriter::writeRow(const QStringList &row)
{
    const QChar separator = QLatin1Char(m_separator);
    QString line;
    for (qsizetype i = 0; i < row.size(); ++i) {
        if (i > 0)
            line += separator;
        const QString &field = row[i];
        if (needsQuotes(field, separator))
            line += u'"' + QString(field).replace(u'"', QStringLiteral("\"\"")) + u'"';
        else
            line += field;
    }
    if (row.isEmpty() || (row.size() == 1 && row.front().isEmpty()))
        line = QStringLiteral("\"\"");
    line += u"\r\n";

    QByteArray bytes = line.toUtf8();
    if (!m_started)
        bytes.prepend(Utf8ByteOrderMark);
    if (m_device.write(bytes) != bytes.size()) {
        m_error = QStringLiteral("scrittura del file non riuscita (%1)").arg(m_device.errorString());
        return false;
    }
    m_started = true;
    return true;
}
