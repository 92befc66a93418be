// CSV files in and out: the three exports the program knows and our own, quoting and line ends,
// the encoding guess, hostile files, and a mapping kept as text.
#include "csv/CsvHeaders.h"
#include "csv/CsvReader.h"
#include "csv/CsvVCard.h"
#include "csv/CsvWriter.h"
#include "tests/text/CaseTable.h"
#include "text/Utf8Text.h"

#include <QBuffer>

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype Megabyte = 1024 * 1024;

struct ReadResult
{
    QList<QStringList> rows;
    QList<qint64> lines;
    QString error;
};

ReadResult readAll(QByteArray bytes, const CsvFormat &format)
{
    QBuffer device(&bytes);
    device.open(QIODevice::ReadOnly);
    CsvReader reader(device, format);
    ReadResult result;
    QStringList row;
    while (reader.next(&row)) {
        result.rows.append(row);
        result.lines.append(reader.line());
    }
    result.error = reader.error();
    // A reader that stopped stays stopped.
    if (reader.next(&row))
        result.error += u" (and then read on)"_s;
    return result;
}

// A property as the golden files show it.
QString describe(const VCardProperty &property)
{
    QString line = property.group.isEmpty() ? property.name : property.group + u'.' + property.name;
    for (const VCardParameter &parameter : property.parameters)
        line += u';' + parameter.name + u'=' + parameter.values.join(u',');
    return line + u':'
        + (property.data.isEmpty() ? property.value : QString::fromLatin1(property.data.toBase64()));
}

QStringList described(const VCard &card)
{
    QStringList lines;
    for (const VCardProperty &property : card.properties)
        lines.append(describe(property));
    lines.sort();
    return lines;
}

CsvFormat format(char separator)
{
    CsvFormat format;
    format.separator = separator;
    return format;
}

} // namespace

class TestCsv : public QObject
{
    Q_OBJECT
private slots:
    // Each export is read as the import does it: its format guessed, its header recognized, each
    // row made a card; the golden file lists every card's properties under the row's line.
    void exports_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<char>("separator");
        QTest::addColumn<bool>("windows1252");
        QTest::addColumn<bool>("byteOrderMark");
        QTest::newRow("Google, types in their own columns") << u"google"_s << ',' << false << false;
        QTest::newRow("Outlook, every field quoted") << u"outlook"_s << ',' << false << true;
        QTest::newRow("Thunderbird, LF and a comma at each line's end")
            << u"thunderbird"_s << ',' << false << false;
        QTest::newRow("Outlook in Italian, semicolons and Windows-1252")
            << u"outlook-it"_s << ';' << true << false;
        QTest::newRow("our own, with a card pasted into Altri dati") << u"rubrello"_s << ',' << false << true;
    }
    void exports()
    {
        QFETCH(QString, name);
        QFETCH(char, separator);
        QFETCH(bool, windows1252);
        QFETCH(bool, byteOrderMark);
        QFile file(QStringLiteral(RUBRELLO_TEST_DATA "/csv/") + name + u".csv"_s);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const CsvFormat guessed = guessCsvFormat(file.peek(64 * 1024));
        QCOMPARE(guessed.separator, separator);
        QCOMPARE(guessed.encoding, windows1252 ? CsvEncoding::Windows1252 : CsvEncoding::Utf8);
        QCOMPARE(guessed.byteOrderMark, byteOrderMark);

        CsvReader reader(file, guessed);
        QStringList header;
        QVERIFY(reader.next(&header));
        const CsvMapping mapping = recognizeCsvHeader(header);
        QString cards;
        QStringList row;
        while (reader.next(&row)) {
            cards += u"riga %1\n"_s.arg(reader.line());
            for (const VCardProperty &property : csvRowToVCard(mapping, row).properties)
                cards += describe(property) + u'\n';
            cards += u'\n';
        }
        QVERIFY2(!reader.failed(), qPrintable(reader.error()));
        compareWithGolden(cards, qPrintable(u"csv/"_s + name + u".cards"_s));
    }

    void reader_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<char>("separator");
        QTest::addColumn<QList<QStringList>>("rows");
        QTest::addColumn<QList<qint64>>("lines");
        QTest::newRow("doubled quotes") << QByteArray("a,\"b \"\"c\"\" d\",e\r\n") << ','
                                        << QList<QStringList>{{"a", "b \"c\" d", "e"}} << QList<qint64>{1};
        QTest::newRow("line breaks inside quotes kept, and counted")
            << QByteArray("\"x\r\ny\nz\",w\n\"p\rq\"\nlast") << ','
            << QList<QStringList>{{"x\r\ny\nz", "w"}, {"p\rq"}, {"last"}} << QList<qint64>{1, 4, 6};
        QTest::newRow("CR line ends, blank lines skipped")
            << QByteArray("\r\n\ra;b\r\r\nc;\r") << ';' << QList<QStringList>{{"a", "b"}, {"c", ""}}
            << QList<qint64>{3, 5};
        QTest::newRow("an empty quoted field is a row")
            << QByteArray("\"\"\n") << ',' << QList<QStringList>{{""}} << QList<qint64>{1};
        QTest::newRow("text after the closing quote")
            << QByteArray("\"a\"b,c") << ',' << QList<QStringList>{{"ab", "c"}} << QList<qint64>{1};
        QTest::newRow("tab separator")
            << QByteArray("a\tb,c;d\n") << '\t' << QList<QStringList>{{"a", "b,c;d"}} << QList<qint64>{1};
        QTest::newRow("byte order mark skipped once")
            << QByteArray("\xEF\xBB\xBFx,\xEF\xBB\xBFy") << ',' << QList<QStringList>{{"x", u"\uFEFFy"_s}}
            << QList<qint64>{1};
        QTest::newRow("a field that is not UTF-8 is Windows-1252")
            << QByteArray("caf\xE9,\xC3\xA8\n") << ',' << QList<QStringList>{{u"café"_s, u"è"_s}}
            << QList<qint64>{1};
    }
    void reader()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(char, separator);
        QFETCH(QList<QStringList>, rows);
        QFETCH(QList<qint64>, lines);
        const ReadResult read = readAll(bytes, format(separator));
        QCOMPARE(read.error, QString());
        QCOMPARE(read.rows, rows);
        QCOMPARE(read.lines, lines);
    }

    void guess_data()
    {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<char>("separator");
        QTest::addColumn<bool>("windows1252");
        QTest::newRow("comma") << QByteArray("Nome,Cognome\r\n") << ',' << false;
        QTest::newRow("semicolon, Windows-1252") << QByteArray("Nome;Citt\xE0\r\n") << ';' << true;
        QTest::newRow("separators inside quotes do not count") << QByteArray("\"a;b;c\",d\n") << ',' << false;
        QTest::newRow("tab") << QByteArray("a\tb\tc,d\n") << '\t' << false;
        QTest::newRow("only the first record counts") << QByteArray("a;b\nc,d,e,f\n") << ';' << false;
        QTest::newRow("a character cut at the end of the head") << QByteArray("a,b\xC3") << ',' << false;
        QTest::newRow("a broken sequence inside it") << QByteArray("\xC3(,b") << ',' << true;
        QTest::newRow("a byte order mark says UTF-8") << QByteArray("\xEF\xBB\xBF\xE0;b") << ';' << false;
    }
    void guess()
    {
        QFETCH(QByteArray, head);
        QFETCH(char, separator);
        QFETCH(bool, windows1252);
        const CsvFormat guessed = guessCsvFormat(head);
        QCOMPARE(guessed.separator, separator);
        QCOMPARE(guessed.encoding, windows1252 ? CsvEncoding::Windows1252 : CsvEncoding::Utf8);
        QCOMPARE(guessed.byteOrderMark, head.startsWith(Utf8ByteOrderMark));
    }

    // A broken or hostile file stops the reading at its row, with the line to look at.
    void badInput_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("rowsBefore");
        QTest::addColumn<qint64>("line");
        QTest::newRow("quotes left open to the end") << QByteArray("a,b\r\n\"c,d\r\ne\r\n") << 1 << qint64(2);
        QTest::newRow("quotes opened on the row's second line")
            << QByteArray("a,\"b\nc\",\"d\ne\n") << 0 << qint64(2);
        QTest::newRow("10,001 columns") << "\"x\ny\"\n" + QByteArray(10000, ',') + "\n" << 1 << qint64(3);
        QTest::newRow("10,000 columns are read") << "\"x\ny\"\n" + QByteArray(9999, ',') + "\n"
                                                 << 2 << qint64(0);
        QTest::newRow("a field over 4 MB") << "a\n\"" + QByteArray(4 * Megabyte + 1, 'x') + "\"\n"
                                           << 1 << qint64(2);
        QTest::newRow("a row over 16 MB")
            << "a\n\n" + (QByteArray(4 * Megabyte - 1, 'x') + ',').repeated(5) << 1 << qint64(3);
    }
    void badInput()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, rowsBefore);
        QFETCH(qint64, line);
        const ReadResult read = readAll(bytes, format(','));
        QCOMPARE(read.rows.size(), rowsBefore);
        if (line == 0)
            QCOMPARE(read.error, QString());
        else
            QVERIFY2(read.error.startsWith(u"riga %1: "_s.arg(line)), qPrintable(read.error));
    }

    void writer_data()
    {
        QTest::addColumn<char>("separator");
        QTest::newRow("comma") << ',';
        QTest::newRow("semicolon") << ';';
        QTest::newRow("tab") << '\t';
    }
    void writer()
    {
        QFETCH(char, separator);
        const QList<QStringList> rows = {
            {u"Cognome"_s, u"Nome"_s, u"Note"_s},
            {u"D’Angelo"_s, u"Anna Maria"_s, u"Riceve il martedì.\r\nPortare i documenti."_s},
            {u"Rossi; Bianchi"_s, u"Via Roma, 1"_s, u"a\tb"_s},
            {u" davanti"_s, u"dietro "_s, u"\"Nico\""_s},
            {u""_s, u""_s, u""_s},
            {u""_s},
            {u"€ ü"_s, u"solo LF\n"_s, u"solo CR\r"_s},
        };
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        CsvWriter writer(buffer, separator);
        for (const QStringList &row : rows)
            QVERIFY(writer.writeRow(row));
        const QByteArray bytes = buffer.data();
        QVERIFY(bytes.startsWith(Utf8ByteOrderMark));
        QCOMPARE(bytes.indexOf(Utf8ByteOrderMark, 1), -1);
        QVERIFY(bytes.startsWith(
            QByteArray(Utf8ByteOrderMark) + "Cognome" + separator + "Nome" + separator + "Note\r\n"));

        const CsvFormat guessed = guessCsvFormat(bytes);
        QCOMPARE(guessed.separator, separator);
        QCOMPARE(guessed.encoding, CsvEncoding::Utf8);
        const ReadResult read = readAll(bytes, guessed);
        QCOMPARE(read.error, QString());
        QCOMPARE(read.rows, rows);
    }
    void writerQuotesOnlyWhereNeeded()
    {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        CsvWriter writer(buffer);
        QVERIFY(
            writer.writeRow({u"Rossi"_s, u"Via Roma, 1"_s, u" a"_s, u"b\t"_s, u"x\"y"_s, u"a;b"_s, u""_s}));
        QCOMPARE(buffer.data(), "\xEF\xBB\xBFRossi,\"Via Roma, 1\",\" a\",\"b\t\",\"x\"\"y\",a;b,\r\n");
    }

    // Our export puts the card's fields in their columns and every other property in "Altri
    // dati"; read back, it gives the same card.
    void exportRoundTrip()
    {
        const auto property = [](const char *name, QList<VCardParameter> parameters, const QString &value) {
            return VCardProperty{QString(), QString::fromLatin1(name), parameters, value, {}};
        };
        const QStringList work = {u"work"_s};
        VCard card;
        card.properties = {
            property("FN", {}, u"Mario Rossi"_s),
            property("N", {}, u"Rossi;Mario;;;"_s),
            property("TEL", {{u"TYPE"_s, {u"cell"_s}}}, u"+39 333 1"_s),
            property("ADR", {{u"TYPE"_s, work}}, u";;Via Roma 1\\, scala B;Milano;MI;20100;"_s),
            // A country has no column of its own: the whole address goes to "Altri dati".
            property("ADR", {{u"TYPE"_s, {u"home"_s}}}, u";;Via Po 2;Torino;TO;10100;Italia"_s),
            property("NOTE", {}, u"Prima riga\\nseconda\\; terza"_s),
            property("EMAIL", {}, u"mario@esempio.it"_s),
            property("EMAIL", {}, u"altro@esempio.it"_s),
            property("ORG", {}, u"Acme;Vendite"_s),
            property("TEL", {{u"TYPE"_s, {u"work"_s, u"voice"_s, u"pref"_s}}}, u"02 1"_s),
            property("X-CSV", {{u"X-COLUMN"_s, {u"Hobby, tempo libero"_s}}}, u"Scacchi"_s),
            {u"item1"_s, u"TEL"_s, {}, u"555"_s, {}},
            {u"item1"_s, u"X-ABLABEL"_s, {}, u"Portineria"_s, {}},
            {{}, u"PHOTO"_s, {{u"TYPE"_s, {u"JPEG"_s}}}, {}, QByteArray("\xFF\xD8\xFF\xE0", 4)},
            // The column takes a property whose types differ in case and order only.
            property("TEL", {{u"TYPE"_s, {u"FAX"_s}}, {u"TYPE"_s, {u"HOME"_s}}}, u"011 9"_s),
        };
        const QStringList header = csvExportHeader();
        const QStringList row = csvRowFromVCard(csvExportMapping(), card);
        const auto cell = [&](const QString &column) { return row.value(header.indexOf(column)); };
        QCOMPARE(cell(u"Cognome"_s), u"Rossi"_s);
        QCOMPARE(cell(u"Cellulare"_s), u"+39 333 1"_s);
        QCOMPARE(cell(u"Indirizzo lavoro"_s), u"Via Roma 1, scala B"_s);
        QCOMPARE(cell(u"CAP lavoro"_s), u"20100"_s);
        QCOMPARE(cell(u"Indirizzo casa"_s), QString());
        QCOMPARE(cell(u"Note"_s), u"Prima riga\nseconda; terza"_s);
        QCOMPARE(cell(u"E-mail"_s), u"mario@esempio.it"_s);
        QCOMPARE(cell(u"Azienda"_s), QString());
        QCOMPARE(cell(u"Telefono lavoro"_s), QString());
        QCOMPARE(cell(u"Fax casa"_s), u"011 9"_s);
        QCOMPARE(header.last(), u"Altri dati"_s);

        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        CsvWriter writer(buffer);
        QVERIFY(writer.writeRow(header));
        QVERIFY(writer.writeRow(row));
        const ReadResult read = readAll(buffer.data(), guessCsvFormat(buffer.data()));
        QCOMPARE(read.rows.size(), 2);
        VCard expected = card;
        expected.properties.last() = property("TEL", {{u"TYPE"_s, {u"home"_s, u"fax"_s}}}, u"011 9"_s);
        QCOMPARE(
            described(csvRowToVCard(recognizeCsvHeader(read.rows[0]), read.rows[1])), described(expected));
    }

    void mappingText()
    {
        QFile file(QStringLiteral(RUBRELLO_TEST_DATA "/csv/google.csv"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        CsvReader reader(file, CsvFormat());
        QStringList header;
        QVERIFY(reader.next(&header));
        // Google's header has columns of every kind: types, slots, components, several values.
        CsvMapping mapping = recognizeCsvHeader(header);
        mapping.columns[0].use = CsvColumnUse::Ignored;
        mapping.columns[1].parameters.append({u"X-ORIGINE"_s, {u"a,b"_s, u"\"c\"\n"_s}});
        const QString text = csvMappingToString(mapping);
        QVERIFY(!text.contains(u'\n'));
        QVERIFY(csvMappingFromString(text) == mapping);
    }
    void damagedMappingText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QString();
        QTest::newRow("not JSON") << u"{\"version\":1,\"columns\":["_s;
        QTest::newRow("a later version") << u"{\"version\":2,\"columns\":[]}"_s;
        QTest::newRow("an unknown use")
            << u"{\"version\":1,\"columns\":[{\"header\":\"a\",\"use\":\"x\"}]}"_s;
        QTest::newRow("no property")
            << u"{\"version\":1,\"columns\":[{\"header\":\"a\",\"use\":\"property\"}]}"_s;
        QTest::newRow("a property name with a colon")
            << u"{\"version\":1,\"columns\":[{\"header\":\"a\",\"use\":\"property\",\"property\":\"T:L\"}]}"_s;
        QTest::newRow("a component far out")
            << u"{\"version\":1,\"columns\":[{\"header\":\"a\",\"use\":\"property\",\"property\":\"N\",\"component\":100000}]}"_s;
    }
    void damagedMappingText()
    {
        QFETCH(QString, text);
        QVERIFY(!csvMappingFromString(text));
    }
};

QTEST_GUILESS_MAIN(TestCsv)
#include "test_csv.moc"
