// The files contacts come in from: a vCard file, a CSV file read with a column mapping, and the
// telling apart of these and the first version's text file by their content.
#pragma once

#include "csv/CsvFormat.h"
#include "csv/CsvVCard.h"
#include "exchange/ContactSource.h"

#include <QFile>
#include <QString>

#include <memory>

class CsvReader;
class VCardReader;

enum class ContactFileKind { VCard, Csv, FirstVersion, Unknown };

// What the file holds, from its first bytes: BEGIN:VCARD (after blank lines or a byte order mark),
// the first version's fixed columns, or rows with separators. reason says why it cannot be read.
ContactFileKind contactFileKind(const QString &path, QString *reason);

class VCardFileSource : public ContactSource
{
public:
    explicit VCardFileSource(QString path);
    ~VCardFileSource() override;
    bool rewind() override;
    bool next(VCard *card) override;
    QString error() const override;

private:
    QString m_path;
    QFile m_file;
    std::unique_ptr<VCardReader> m_reader;
    QString m_error;
};

// A CSV file whose first row is its header; every other row is a contact.
class CsvFileSource : public ContactSource
{
public:
    CsvFileSource(QString path, CsvFormat format, CsvMapping mapping);
    ~CsvFileSource() override;
    bool rewind() override;
    bool next(VCard *card) override;
    QString error() const override;

    // The header and the first rows of the file, for the preview of the mapping.
    static bool firstRows(
        const QString &path, const CsvFormat &format, int count, QList<QStringList> *rows, QString *error);
    // The format guessed from the file's first bytes.
    static CsvFormat guessFormat(const QString &path);

private:
    QString m_path;
    CsvFormat m_format;
    CsvRowReader m_rows;
    QFile m_file;
    std::unique_ptr<CsvReader> m_reader;
    QString m_error;
};
