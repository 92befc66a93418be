#include "import/FirstVersionReader.h"

#include "text/Utf8Text.h"
#include "text/Windows1252.h"

#include <QIODevice>

namespace {

constexpr qint64 PieceSize = 64 * 1024;

bool startsWithByteOrderMark(QByteArrayView bytes)
{
    return bytes.startsWith(QByteArrayView(Utf8ByteOrderMark));
}

// Control characters that have no place in a text file; tab, line ends, form feed and the old
// end-of-file mark do.
bool isStrayControl(unsigned char byte)
{
    return (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r' && byte != '\f' && byte != 0x1a)
        || byte == 0x7f;
}

} // namespace

FirstVersionReader::FirstVersionReader(QIODevice &device)
    : m_device(device)
{
}

bool FirstVersionReader::fail(const QString &reason)
{
    m_failed = true;
    m_error = reason.isEmpty() ? QStringLiteral("errore di lettura") : reason;
    return false;
}

bool FirstVersionReader::start()
{
    // The encoding is the whole file's: a single accented letter anywhere makes a Windows-1252
    // file invalid as UTF-8, while a plain ASCII file reads the same either way.
    Utf8Check check;
    QByteArray piece(PieceSize, Qt::Uninitialized);
    QByteArray head;
    qint64 total = 0;
    qint64 nulBytes = 0;
    qint64 strayControls = 0;
    for (;;) {
        const qint64 got = m_device.read(piece.data(), PieceSize);
        if (got < 0)
            return fail(m_device.errorString());
        if (got == 0)
            break;
        if (head.size() < 3)
            head.append(piece.constData(), std::min<qint64>(got, 3 - head.size()));
        check.feed(QByteArrayView(piece.constData(), got));
        for (qint64 i = 0; i < got; ++i) {
            const auto byte = static_cast<unsigned char>(piece[i]);
            nulBytes += byte == 0;
            strayControls += isStrayControl(byte);
        }
        total += got;
    }
    // A text file holds no NUL, and hardly any other control character: anything else is a
    // program or a picture, whose bytes would become thousands of junk contacts.
    if (nulBytes > 0 || strayControls * 100 > total) {
        m_notText = true;
        return fail(QStringLiteral("il file non contiene testo"));
    }
    // A byte order mark declares UTF-8, even if a damaged byte follows somewhere.
    m_skipByteOrderMark = startsWithByteOrderMark(head);
    m_utf8 = m_skipByteOrderMark || check.isValid();
    if (!m_device.seek(0))
        return fail(m_device.errorString());
    m_buffer.clear();
    m_next = m_scanned = 0;
    m_atEnd = false;
    return true;
}

bool FirstVersionReader::readMore()
{
    m_buffer.remove(0, m_next);
    m_next = 0;
    const qsizetype kept = m_buffer.size();
    m_buffer.resize(kept + PieceSize);
    const qint64 got = m_device.read(m_buffer.data() + kept, PieceSize);
    m_buffer.resize(kept + std::max<qint64>(got, 0));
    if (got < 0)
        return fail(m_device.errorString());
    if (got == 0)
        m_atEnd = true;
    if (m_skipByteOrderMark && m_buffer.size() >= 3) {
        if (startsWithByteOrderMark(m_buffer))
            m_buffer.remove(0, 3);
        m_skipByteOrderMark = false;
    }
    return true;
}

QString FirstVersionReader::decode(QByteArrayView bytes) const
{
    return m_utf8 ? QString::fromUtf8(bytes) : decodeWindows1252(bytes);
}

bool FirstVersionReader::nextLine(QString &line)
{
    if (m_failed)
        return false;
    for (;;) {
        if (m_skipLineFeed) {
            if (m_next < m_buffer.size()) {
                if (m_buffer.at(m_next) == '\n')
                    ++m_next;
                m_skipLineFeed = false;
            } else if (m_atEnd) {
                m_skipLineFeed = false;
            } else {
                if (!readMore())
                    return false;
                continue;
            }
        }
        for (qsizetype i = m_next + m_scanned; i < m_buffer.size(); ++i) {
            const char c = m_buffer.at(i);
            if (c == '\r' || c == '\n') {
                line = decode(QByteArrayView(m_buffer.constData() + m_next, i - m_next));
                m_next = i + 1;
                m_scanned = 0;
                m_skipLineFeed = c == '\r';
                return true;
            }
        }
        m_scanned = m_buffer.size() - m_next;
        if (m_atEnd) {
            if (m_next >= m_buffer.size())
                return false;
            line = decode(QByteArrayView(m_buffer.constData() + m_next, m_buffer.size() - m_next));
            m_next = m_buffer.size();
            m_scanned = 0;
            return true;
        }
        if (!readMore())
            return false;
    }
}
