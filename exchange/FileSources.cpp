#include "exchange/FileSources.h"

#include "csv/CsvReader.h"
#include "csv/CsvVCard.h"
#include "platform/RegularFile.h"
#include "vcard/VCardReader.h"

#include <QBuffer>

namespace {

// Contact files of several hundred megabytes are real (a million contacts); beyond this one is not.
constexpr qint64 LargestFile = qint64(2) * 1024 * 1024 * 1024;

bool openForReading(QFile &file, const QString &path, QString *error)
{
    file.close();
    QString reason;
    if (openRegularFile(file, path, LargestFile, &reason))
        return true;
    *error = reason;
    return false;
}

} // namespace

ContactFileKind contactFileKind(const QString &path, QString *reason)
{
    QString unused;
    if (!reason)
        reason = &unused;
    QFile file;
    if (!openForReading(file, path, reason))
        return ContactFileKind::Unknown;
    const QByteArray head = file.read(64 * 1024);
    QByteArray text = head;
    if (text.startsWith("\xEF\xBB\xBF"))
        text.remove(0, 3);
    if (text.trimmed().left(11).toUpper() == "BEGIN:VCARD")
        return ContactFileKind::VCard;
    if (text.trimmed().isEmpty()) {
        *reason = QStringLiteral("il file è vuoto");
        return ContactFileKind::Unknown;
    }
    // A CSV file starts with a header of several columns; the first version's lines are a name,
    // an address and a number in fixed columns, where a comma is only part of an address.
    QBuffer buffer(&text);
    buffer.open(QIODevice::ReadOnly);
    CsvReader reader(buffer, guessCsvFormat(head));
    QStringList header;
    if (reader.next(&header) && header.size() >= 3)
        return ContactFileKind::Csv;
    return ContactFileKind::FirstVersion;
}

VCardFileSource::VCardFileSource(QString path)
    : m_path(std::move(path))
{
}

VCardFileSource::~VCardFileSource() = default;

bool VCardFileSource::rewind()
{
    m_reader.reset();
    m_error.clear();
    if (!openForReading(m_file, m_path, &m_error))
        return false;
    m_reader = std::make_unique<VCardReader>(&m_file);
    return true;
}

bool VCardFileSource::next(VCard *card)
{
    if (!m_reader)
        return false;
    if (m_reader->next(card))
        return true;
    m_error = m_reader->error();
    return false;
}

QString VCardFileSource::error() const
{
    return m_error;
}

CsvFileSource::CsvFileSource(QString path, CsvFormat format, CsvMapping mapping)
    : m_path(std::move(path))
    , m_format(format)
    , m_rows(std::move(mapping))
{
}

CsvFileSource::~CsvFileSource() = default;

bool CsvFileSource::rewind()
{
    m_reader.reset();
    m_error.clear();
    if (!openForReading(m_file, m_path, &m_error))
        return false;
    m_reader = std::make_unique<CsvReader>(m_file, m_format);
    QStringList header;
    if (!m_reader->next(&header) && m_reader->failed()) {
        m_error = m_reader->error();
        return false;
    }
    return true;
}

bool CsvFileSource::next(VCard *card)
{
    if (!m_reader)
        return false;
    QStringList row;
    if (!m_reader->next(&row)) {
        m_error = m_reader->error();
        return false;
    }
    *card = m_rows.card(row);
    return true;
}

QString CsvFileSource::error() const
{
    return m_error;
}

bool CsvFileSource::firstRows(
    const QString &path, const CsvFormat &format, int count, QList<QStringList> *rows, QString *error)
{
    QFile file;
    if (!openForReading(file, path, error))
        return false;
    CsvReader reader(file, format);
    QStringList row;
    while (rows->size() < count && reader.next(&row))
        rows->append(row);
    *error = reader.error();
    return error->isEmpty();
}

CsvFormat CsvFileSource::guessFormat(const QString &path)
{
    QFile file;
    QString error;
    return openForReading(file, path, &error) ? guessCsvFormat(file.read(64 * 1024)) : CsvFormat();
}
