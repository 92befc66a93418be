// Writes rows as CSV in UTF-8, with the byte order mark first so that spreadsheets read the
// accents right, and CR LF line ends.
#pragma once

#include <QString>
#include <QStringList>

class QIODevice;

class CsvWriter
{
public:
    // The device is open for writing; the byte order mark goes before the first row.
    explicit CsvWriter(QIODevice &device, char separator = ',');

    // Quotes only the fields that need it: those holding the separator, a quote or a line break,
    // and those that start or end with a blank, which a spreadsheet would trim. A row of no fields
    // is written as one empty field, since a blank line holds no row.
    bool writeRow(const QStringList &row);
    // Why the last write failed, in Italian, or empty.
    QString error() const { return m_error; }

private:
    QIODevice &m_device;
    char m_separator;
    bool m_started = false;
    QString m_error;
};
