#include "import/FirstVersionReader.h"
#include "text/TextDecoding.h"
#include "tests/import/FailingDevice.h"

#include <QBuffer>
#include <QTest>

namespace {

QStringList readAllLines(QIODevice &device, bool *utf8 = nullptr)
{
    FirstVersionReader reader(device);
    if (!reader.start())
        return {QStringLiteral("<start failed>")};
    if (utf8)
        *utf8 = reader.isUtf8();
    QStringList lines;
    QString line;
    while (reader.nextLine(line))
        lines.append(line);
    if (reader.failed())
        lines.append(QStringLiteral("<failed>"));
    return lines;
}

} // namespace

class TestFirstVersionReader : public QObject
{
    Q_OBJECT
private slots:
    void decoding_data();
    void decoding();
    void lineEnds_data();
    void lineEnds();
    void utf8Check_data();
    void utf8Check();
    void lineEndsAcrossPieces();
    void readFailure_data();
    void readFailure();
};

void TestFirstVersionReader::decoding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("utf8");

    QTest::newRow("Windows-1252 accent") << QByteArray("Nicol\xF2") << QString::fromUtf8("Nicolò") << false;
    QTest::newRow("UTF-8 accent") << QByteArray("Nicol\xC3\xB2") << QString::fromUtf8("Nicolò") << true;
    QTest::newRow("UTF-8 with byte order mark")
        << QByteArray("\xEF\xBB\xBFNicol\xC3\xB2") << QString::fromUtf8("Nicolò") << true;
    QTest::newRow("euro sign, 0x80") << QByteArray("\x80 5") << QString::fromUtf8("€ 5") << false;
    QTest::newRow("typographic apostrophe, 0x92") << QByteArray("D\x92") << QString::fromUtf8("D’") << false;
    QTest::newRow("Z caron, 0x8E") << QByteArray("\x8E") << QString::fromUtf8("Ž") << false;
    QTest::newRow("undefined 0x81 keeps its value") << QByteArray("\x81") << QString(QChar(0x81)) << false;
    QTest::newRow("y diaeresis capital, 0x9F") << QByteArray("\x9F") << QString::fromUtf8("Ÿ") << false;
    QTest::newRow("upper half as Latin-1") << QByteArray("\xE0\xE8\xEC") << QString::fromUtf8("àèì") << false;
    QTest::newRow("plain ASCII") << QByteArray("Rossi") << QStringLiteral("Rossi") << true;
    // Bytes that happen to pair up as UTF-8 in one place do not make the whole file UTF-8.
    QTest::newRow("mostly Windows-1252")
        << QByteArray("\xC3\xA8 Perch\xE9") << QString::fromUtf8("Ã¨ Perché") << false;
}

void TestFirstVersionReader::decoding()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(bool, utf8);
    QBuffer buffer(&bytes);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    bool isUtf8 = !utf8;
    QCOMPARE(readAllLines(buffer, &isUtf8), QStringList {text});
    QCOMPARE(isUtf8, utf8);
}

void TestFirstVersionReader::lineEnds_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("empty file") << QByteArray() << QStringList();
    QTest::newRow("CR LF") << QByteArray("a\r\nb\r\n") << QStringList {"a", "b"};
    QTest::newRow("LF") << QByteArray("a\nb\n") << QStringList {"a", "b"};
    QTest::newRow("lone CR") << QByteArray("a\rb\r") << QStringList {"a", "b"};
    QTest::newRow("last line without line end") << QByteArray("a\r\nb") << QStringList {"a", "b"};
    QTest::newRow("empty lines kept") << QByteArray("a\r\n\r\n\nb") << QStringList {"a", "", "", "b"};
    QTest::newRow("LF CR is two line ends") << QByteArray("a\n\rb") << QStringList {"a", "", "b"};
    QTest::newRow("line end alone") << QByteArray("\r\n") << QStringList {""};
    QTest::newRow("byte order mark then lines") << QByteArray("\xEF\xBB\xBF"
                                                              "a\r\nb")
                                                << QStringList {"a", "b"};
}

void TestFirstVersionReader::lineEnds()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    QBuffer buffer(&bytes);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    QCOMPARE(readAllLines(buffer), lines);
}

void TestFirstVersionReader::utf8Check_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("valid");

    QTest::newRow("two-byte") << QByteArray("\xC3\xB2") << true;
    QTest::newRow("three-byte euro") << QByteArray("\xE2\x82\xAC") << true;
    QTest::newRow("four-byte") << QByteArray("\xF0\x9F\x98\x80") << true;
    QTest::newRow("cut short at the end") << QByteArray("a\xE2\x82") << false;
    QTest::newRow("overlong slash") << QByteArray("\xC0\xAF") << false;
    QTest::newRow("overlong three-byte") << QByteArray("\xE0\x80\xAF") << false;
    QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80") << false;
    QTest::newRow("above U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << false;
    QTest::newRow("lone continuation") << QByteArray("\x80") << false;
    QTest::newRow("Latin-1 accent before ASCII") << QByteArray("\xE9t") << false;
}

void TestFirstVersionReader::utf8Check()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, valid);
    QCOMPARE(isValidUtf8(bytes), valid);
    // Fed a byte at a time, a sequence split between pieces is judged the same.
    Utf8Check check;
    for (const char c : bytes)
        check.feed(QByteArrayView(&c, 1));
    QCOMPARE(check.isValid(), valid);
}

void TestFirstVersionReader::lineEndsAcrossPieces()
{
    // Long enough that line ends and a UTF-8 sequence fall on the reader's piece boundaries.
    QByteArray bytes;
    QStringList expected;
    for (int i = 0; i < 5000; ++i) {
        const QByteArray line = QByteArray::number(i) + " Nicol\xC3\xB2" + QByteArray(i % 40, 'x');
        bytes += line + (i % 3 == 0 ? "\r\n" : i % 3 == 1 ? "\n" : "\r");
        expected.append(QString::fromUtf8(line));
    }
    QBuffer buffer(&bytes);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    const QStringList lines = readAllLines(buffer);
    QCOMPARE(lines.size(), expected.size());
    QCOMPARE(lines, expected);
}

void TestFirstVersionReader::readFailure_data()
{
    QTest::addColumn<int>("failingPass");
    QTest::addColumn<bool>("starts");

    QTest::newRow("while learning the encoding") << 1 << false;
    QTest::newRow("while reading the lines") << 2 << true;
}

void TestFirstVersionReader::readFailure()
{
    QFETCH(int, failingPass);
    QFETCH(bool, starts);
    QByteArray bytes;
    for (int i = 0; i < 100; ++i)
        bytes += "Rossi Mario\r\n";
    FailingDevice device(bytes, 13 * 50 + 5, failingPass);
    QVERIFY(device.open(QIODevice::ReadOnly));
    FirstVersionReader reader(device);
    QCOMPARE(reader.start(), starts);
    if (!starts) {
        QVERIFY(reader.failed());
        QVERIFY(reader.errorString().contains("simulato"));
        return;
    }
    int lines = 0;
    QString line;
    while (reader.nextLine(line))
        ++lines;
    QCOMPARE(lines, 50);
    QVERIFY(reader.failed());
    QVERIFY(reader.errorString().contains("simulato"));
}

QTEST_GUILESS_MAIN(TestFirstVersionReader)
#include "tst_FirstVersionReader.moc"
