// CSV from any bytes: the format guess, the reader, the writer giving back what was read, each row
// through our export's columns and back, the header recognized, and a mapping's text.
#include "FuzzInput.h"
#include "csv/CsvHeaders.h"
#include "csv/CsvReader.h"
#include "csv/CsvVCard.h"
#include "csv/CsvWriter.h"

#include <QBuffer>
#include <QMap>

namespace {

QList<QStringList> readRows(QByteArray bytes, const CsvFormat &format, QString *error)
{
    QBuffer device(&bytes);
    device.open(QIODevice::ReadOnly);
    CsvReader reader(device, format);
    QList<QStringList> rows;
    QStringList row;
    qint64 line = 0;
    while (reader.next(&row)) {
        FUZZ_CHECK(!row.isEmpty() && row.size() <= CsvReader::MaxColumns);
        FUZZ_CHECK(reader.line() > line);
        line = reader.line();
        rows.append(row);
    }
    *error = reader.error();
    return rows;
}

// The card's properties in an order of their own, parameters compared as csvRowFromVCard does:
// the export may move a property between a column and "Altri dati", and spell its types anew.
QStringList comparable(const VCard &card)
{
    QStringList lines;
    for (const VCardProperty &property : card.properties) {
        QMap<QString, QStringList> parameters;
        for (const VCardParameter &parameter : property.parameters) {
            for (const QString &value : parameter.values)
                parameters[parameter.name.toUpper()].append(value.toLower());
        }
        QString line = property.group + u'.' + property.name;
        for (auto it = parameters.begin(); it != parameters.end(); ++it) {
            it->sort();
            line += u';' + it.key() + u'=' + it->join(u'\x1f');
        }
        lines.append(line + u':' + property.value + u':' + QString::fromLatin1(property.data.toBase64()));
    }
    lines.sort();
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const FuzzInput input = splitFuzzInput(data, size);
    const QByteArray bytes = input.rawParts.value(0);

    // The guess, or what the user may correct it to: the control byte's low bits.
    CsvFormat format = guessCsvFormat(bytes);
    if (input.control & 0x04) {
        format.separator = ",;\t"[input.control % 3];
        format.encoding = (input.control & 0x08) ? CsvEncoding::Windows1252 : CsvEncoding::Utf8;
    }
    QString error;
    const QList<QStringList> rows = readRows(bytes, format, &error);
    FUZZ_CHECK(error.isEmpty() || error.startsWith(u"riga "));

    // Written and read again, the rows come back as they were.
    QBuffer written;
    written.open(QIODevice::WriteOnly);
    CsvWriter writer(written, format.separator);
    for (const QStringList &row : rows)
        FUZZ_CHECK(writer.writeRow(row));
    CsvFormat utf8 = format;
    utf8.encoding = CsvEncoding::Utf8;
    FUZZ_CHECK(readRows(written.data(), utf8, &error) == rows && error.isEmpty());

    // Any row read as our export gives the same card once exported and read again.
    const CsvMapping exportMapping = csvExportMapping();
    for (const QStringList &row : rows) {
        const VCard card = csvRowToVCard(exportMapping, row);
        const VCard again = csvRowToVCard(exportMapping, csvRowFromVCard(exportMapping, card));
        FUZZ_CHECK(comparable(again) == comparable(card));
    }

    if (!rows.isEmpty()) {
        const CsvMapping mapping = recognizeCsvHeader(rows.first());
        FUZZ_CHECK(mapping.columns.size() == rows.first().size());
        FUZZ_CHECK(csvMappingFromString(csvMappingToString(mapping)) == mapping);
        for (const QStringList &row : rows)
            csvRowFromVCard(mapping, csvRowToVCard(mapping, row));
    }

    // A mapping's text from a damaged settings file is refused, or read whole and used.
    if (const std::optional<CsvMapping> mapping = csvMappingFromString(input.part(1))) {
        FUZZ_CHECK(csvMappingFromString(csvMappingToString(*mapping)) == mapping);
        for (const QStringList &row : rows)
            csvRowFromVCard(*mapping, csvRowToVCard(*mapping, row));
    }
    return 0;
}
