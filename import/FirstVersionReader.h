// Reads the lines of a first-version text file from an open device, one at a time, so a big file
// is never held whole in memory.
#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;

class FirstVersionReader
{
public:
    explicit FirstVersionReader(QIODevice &device);

    // Reads the device once to learn whether it is UTF-8 or Windows-1252, then goes back to its
    // start. False on a read failure or when the device cannot go back (a pipe).
    bool start();
    // The next line without its line end (CR LF, or a lone LF or CR); a last line without a line
    // end counts too. False at the end of the text and after a read failure.
    bool nextLine(QString &line);

    bool isUtf8() const { return m_utf8; }
    bool failed() const { return m_failed; }
    // The device holds no text (a program, a picture, random bytes): start() said no to it.
    bool notText() const { return m_notText; }
    QString errorString() const { return m_error; }

private:
    // Appends the next piece of the device to the buffer; at the end of the device sets m_atEnd.
    bool readMore();
    bool fail(const QString &reason);
    QString decode(QByteArrayView bytes) const;

    QIODevice &m_device;
    QByteArray m_buffer;
    qsizetype m_next = 0; // first byte of the buffer not yet handed out
    qsizetype m_scanned = 0; // bytes from m_next already known to hold no line end
    bool m_atEnd = false;
    bool m_failed = false;
    bool m_notText = false;
    bool m_utf8 = false;
    bool m_skipByteOrderMark = false;
    bool m_skipLineFeed = false; // the last line ended with CR: an LF right after it belongs to it
    QString m_error;
};
