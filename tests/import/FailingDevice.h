// A readable device over fixed bytes that fails once a read reaches a given offset, from a given
// pass through the bytes on (the reader goes through a file twice).
#pragma once

#include <QBuffer>

class FailingDevice : public QBuffer
{
public:
    FailingDevice(const QByteArray &bytes, qint64 failAt, int failingPass)
        : m_failAt(failAt)
        , m_failingPass(failingPass)
    {
        setData(bytes);
    }

    bool seek(qint64 position) override
    {
        if (position == 0)
            ++m_pass;
        return QBuffer::seek(position);
    }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        if (m_pass >= m_failingPass && pos() + maxSize > m_failAt) {
            const qint64 allowed = m_failAt - pos();
            if (allowed <= 0) {
                setErrorString(QStringLiteral("errore di I/O simulato"));
                return -1;
            }
            maxSize = allowed;
        }
        return QBuffer::readData(data, maxSize);
    }

private:
    qint64 m_failAt;
    int m_failingPass;
    int m_pass = 1;
};
