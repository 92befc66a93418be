// Reads the rows of a CSV file from a device one at a time (RFC 4180 quoting, CR LF or LF line
// ends), holding no more than the row at hand and one piece of the file.
#pragma once

#include "csv/CsvFormat.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class QIODevice;

class CsvReader
{
public:
    // Bounds that keep a hostile or broken file from filling the memory: a row of more columns,
    // or a field or a row of more bytes, stops the reading. A field holds a note or, in our own
    // export, a contact's other properties, a photo included: 4 MB leaves room for those.
    static constexpr int MaxColumns = 10000;
    static constexpr qsizetype MaxFieldBytes = 4 * 1024 * 1024;
    static constexpr qsizetype MaxRowBytes = 16 * 1024 * 1024;

    // The device is open for reading and gives all its bytes when asked (a file, a buffer).
    CsvReader(QIODevice &device, const CsvFormat &format);

    // The next row's fields, as written between the separators, quotes taken off; line breaks
    // inside a quoted field stay as they are. Blank lines hold no row. False at the end of the
    // file and when the reading stops on an error.
    bool next(QStringList *row);
    // Why the reading stopped, in Italian and naming the line ("riga 12: ..."), or empty.
    QString error() const { return m_error; }
    bool failed() const { return !m_error.isEmpty(); }
    // The line (1 for the first) where the last row read, or the one that failed, began.
    qint64 line() const { return m_rowLine; }

private:
    bool fill();
    int peek();
    int get();
    // Appends to field the bytes up to the first of the stop bytes, and peeks at that one.
    template<typename Stop>
    int takeUntil(QByteArray &field, Stop isStop);
    void takeLineEnd();
    bool fail(qint64 line, const QString &reason);
    bool failRead();
    QString decode(QByteArrayView bytes) const;

    QIODevice &m_device;
    CsvFormat m_format;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
    bool m_started = false;
    bool m_atEnd = false;
    bool m_readFailed = false;
    qint64 m_line = 1; // the line of the next byte
    qint64 m_rowLine = 0;
    QString m_error;
};
