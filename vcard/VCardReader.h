// Reads the cards of a vCard file one at a time (2.1 as phones write it, 3.0 and 4.0), holding no
// more of the file than the card being read.
#pragma once

#include "vcard/VCard.h"

#include <QList>

class QIODevice;

class VCardReader
{
public:
    explicit VCardReader(QIODevice *device);

    // Reads the next card. False at the end of the file, and on the first fault, which stops the
    // reading and is told by error() ("riga 12: ..."); a card read before it stays good.
    bool next(VCard *card);
    QString error() const { return m_error; }
    // The number of the last line read, from 1.
    qint64 line() const { return m_line; }
    // The version of the last card read.
    VCardVersion version() const { return m_version; }

private:
    bool readLines();
    const QByteArray *peekLine();
    QByteArray takeLine();
    bool takeContentLine(QByteArray *content, qint64 *start);
    bool fail(qint64 line, const QString &message);

    QIODevice *m_device;
    QList<QByteArray> m_lines; // read from the device, not yet taken
    qint64 m_line = 0;
    bool m_started = false;
    bool m_failed = false;
    QString m_error;
    VCardVersion m_version = VCardVersion::V3_0;
};
