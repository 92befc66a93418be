#include "tests/support/TestFiles.h"
#include "dial/DialOptions.h"
#include "tests/reliability/SystemFaults.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

class OptionsFileTest : public QObject
{
    Q_OBJECT
private slots:
    void readOptions_data();
    void readOptions();
    void rewriteLines_data();
    void rewriteLines();
    void decodeText_data();
    void decodeText();
    void encodeText_data();
    void encodeText();
    void saveFile_data();
    void saveFile();
    void keepsEveryLineOfALongFile();
    void failingFileIsRetriedAFewTimes_data();
    void failingFileIsRetriedAFewTimes();
    void failureCanClearOnRetry();
    void fullDiskKeepsTheOldFile();
    void onlyARegularFileIsRead();
};

void OptionsFileTest::readOptions_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("outsideLine");
    QTest::newRow("both keys") << QStringList {"PrefissoLocale=02", "Centralino=0"} << "02"
                               << "0";
    QTest::newRow("blanks around values") << QStringList {"PrefissoLocale=  02 ", "Centralino= 0"} << "02"
                                          << "0";
    QTest::newRow("later line wins") << QStringList {"PrefissoLocale=02", "Centralino=0", "PrefissoLocale=06"}
                                     << "06"
                                     << "0";
    QTest::newRow("key not at line start") << QStringList {"  PrefissoLocale=02", "; Centralino=9"} << "02"
                                           << "9";
    QTest::newRow("prefix key wins on a line with both")
        << QStringList {"PrefissoLocale=02 Centralino=0"} << "02 Centralino=0"
        << "";
    QTest::newRow("keys are case-sensitive") << QStringList {"prefissolocale=02", "CENTRALINO=0"} << ""
                                             << "";
    QTest::newRow("key with blank before the equals sign") << QStringList {"PrefissoLocale =02"} << ""
                                                           << "";
    QTest::newRow("other lines only") << QStringList {"[Rubrello]", "", "Lingua=it"} << ""
                                      << "";
}

void OptionsFileTest::readOptions()
{
    QFETCH(QStringList, lines);
    QFETCH(QString, prefix);
    QFETCH(QString, outsideLine);
    const DialOptions options = readDialOptions(lines);
    QCOMPARE(options.prefix, prefix);
    QCOMPARE(options.outsideLine, outsideLine);
}

void OptionsFileTest::rewriteLines_data()
{
    QTest::addColumn<QStringList>("oldLines");
    QTest::addColumn<QString>("text1");
    QTest::addColumn<QString>("text2");
    QTest::addColumn<QStringList>("newLines");
    QTest::newRow("new file: two lines, texts as typed")
        << QStringList {} << " 02 "
        << "0" << QStringList {"PrefissoLocale= 02 ", "Centralino=0"};
    QTest::newRow("other lines kept in order")
        << QStringList {"[Opzioni]", "PrefissoLocale=02", "; nota", "Centralino=0", "fine"} << "06"
        << "9" << QStringList {"[Opzioni]", "PrefissoLocale=06", "; nota", "Centralino=9", "fine"};
    QTest::newRow("missing key not added") << QStringList {"PrefissoLocale=02"} << "06"
                                           << "0" << QStringList {"PrefissoLocale=06"};
    QTest::newRow("only the outside line") << QStringList {"x", "Centralino=0"} << "06"
                                           << "" << QStringList {"x", "Centralino="};
    QTest::newRow("key inside a line replaces the line")
        << QStringList {"; PrefissoLocale=02 vecchio"} << "06"
        << "" << QStringList {"PrefissoLocale=06"};
    QTest::newRow("every key line replaced") << QStringList {"PrefissoLocale=02", "PrefissoLocale=03"} << "06"
                                             << "" << QStringList {"PrefissoLocale=06", "PrefissoLocale=06"};
}

void OptionsFileTest::rewriteLines()
{
    QFETCH(QStringList, oldLines);
    QFETCH(QString, text1);
    QFETCH(QString, text2);
    QFETCH(QStringList, newLines);
    QCOMPARE(rewriteOptionLines(oldLines, text1, text2), newLines);
}

void OptionsFileTest::decodeText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<bool>("utf8");
    QTest::newRow("CRLF") << QByteArray("a\r\nb\r\n") << QStringList {"a", "b"} << false;
    QTest::newRow("no line end at the end") << QByteArray("a\r\nb") << QStringList {"a", "b"} << false;
    QTest::newRow("LF and CR line ends") << QByteArray("a\nb\rc") << QStringList {"a", "b", "c"} << false;
    QTest::newRow("empty lines kept") << QByteArray("a\r\n\r\nb\r\n") << QStringList {"a", "", "b"} << false;
    QTest::newRow("empty file") << QByteArray() << QStringList {} << false;
    QTest::newRow("Windows-1252 letters")
        << QByteArray("; citt\xe0 \x80 \x93x\x94\r\n") << QStringList {"; città € “x”"} << false;
    QTest::newRow("UTF-8 letters") << QByteArray("; citt\xc3\xa0 \xe2\x82\xac\r\n")
                                   << QStringList {"; città €"} << true;
    QTest::newRow("UTF-8 with byte order mark")
        << QByteArray("\xef\xbb\xbfPrefissoLocale=02\r\n") << QStringList {"PrefissoLocale=02"} << true;
    QTest::newRow("invalid UTF-8 read as Windows-1252")
        << QByteArray("\xc3\xa0\xe0\r\n") << QStringList {"Ã\u00a0à"} << false;
}

void OptionsFileTest::decodeText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    QFETCH(bool, utf8);
    const OptionsText text = decodeOptionsText(bytes);
    QCOMPARE(text.lines, lines);
    QCOMPARE(text.encoding == TextEncoding::Utf8, utf8);
}

void OptionsFileTest::encodeText_data()
{
    QTest::addColumn<QByteArray>("oldBytes");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QByteArray>("newBytes");
    QTest::newRow("new file, Windows-1252 fits") << QByteArray() << QStringList {"PrefissoLocale=è€", "x"}
                                                 << QByteArray("PrefissoLocale=\xe8\x80\r\nx\r\n");
    QTest::newRow("new file, Windows-1252 does not fit")
        << QByteArray() << QStringList {"PrefissoLocale=ł"} << QByteArray("PrefissoLocale=\xc5\x82\r\n");
    QTest::newRow("UTF-8 file stays UTF-8")
        << QByteArray("\xc3\xa0\r\n") << QStringList {"à", "è"} << QByteArray("\xc3\xa0\r\n\xc3\xa8\r\n");
    QTest::newRow("byte order mark kept")
        << QByteArray("\xef\xbb\xbfx\r\n") << QStringList {"y"} << QByteArray("\xef\xbb\xbfy\r\n");
    QTest::newRow("Windows-1252 file that no longer fits becomes UTF-8")
        << QByteArray("\xe0\r\n") << QStringList {"à", "ł"} << QByteArray("\xc3\xa0\r\n\xc5\x82\r\n");
}

void OptionsFileTest::encodeText()
{
    QFETCH(QByteArray, oldBytes);
    QFETCH(QStringList, lines);
    QFETCH(QByteArray, newBytes);
    OptionsText text = decodeOptionsText(oldBytes);
    text.lines = lines;
    QCOMPARE(encodeOptionsText(text), newBytes);
}

void OptionsFileTest::saveFile_data()
{
    QTest::addColumn<QByteArray>("oldBytes"); // null: no file
    QTest::addColumn<QByteArray>("newBytes");
    QTest::newRow("no file") << QByteArray() << QByteArray("PrefissoLocale=06\r\nCentralino=9\r\n");
    QTest::newRow("empty file") << QByteArray("") << QByteArray("PrefissoLocale=06\r\nCentralino=9\r\n");
    QTest::newRow("LF file gets CRLF")
        << QByteArray("[x]\nPrefissoLocale=02\n") << QByteArray("[x]\r\nPrefissoLocale=06\r\n");
    // Every byte of code page 1252, the five unused ones too, goes back as it was.
    QByteArray allBytes;
    for (int b = 0x20; b < 0x100; ++b)
        allBytes.append(static_cast<char>(b));
    QTest::newRow("Windows-1252 bytes unchanged") << QByteArray("; " + allBytes + "\r\nCentralino=0\r\n")
                                                  << QByteArray("; " + allBytes + "\r\nCentralino=9\r\n");
    QTest::newRow("UTF-8 bytes unchanged")
        << QByteArray("; perch\xc3\xa9\r\nCentralino=0") << QByteArray("; perch\xc3\xa9\r\nCentralino=9\r\n");
}

void OptionsFileTest::saveFile()
{
    QFETCH(QByteArray, oldBytes);
    QFETCH(QByteArray, newBytes);
    QTemporaryDir dir;
    const QString path = dir.filePath(optionsFileName());
    if (!oldBytes.isNull())
        writeBytes(path, oldBytes);
    int failures = 0;
    QVERIFY(saveDialOptions(path, "06", "9", 3, [&] { ++failures; }));
    QCOMPARE(failures, 0);
    QCOMPARE(fileBytes(path), newBytes);
}

void OptionsFileTest::keepsEveryLineOfALongFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(optionsFileName());
    QByteArray old;
    QByteArray expected;
    for (int i = 1; i <= 250; ++i) {
        const QByteArray line = i == 180 ? "PrefissoLocale=02" : "; riga " + QByteArray::number(i);
        old += line + "\r\n";
        expected += (i == 180 ? QByteArray("PrefissoLocale=0335") : line) + "\r\n";
    }
    writeBytes(path, old);
    QVERIFY(saveDialOptions(path, "0335", "", 3, [] {}));
    QCOMPARE(fileBytes(path), expected);
}

void OptionsFileTest::failingFileIsRetriedAFewTimes_data()
{
    QTest::addColumn<QString>("relativePath");
    QTest::newRow("the name is a directory") << "RUBRELLO.INI";
    QTest::newRow("the directory is missing") << "manca/RUBRELLO.INI";
}

void OptionsFileTest::failingFileIsRetriedAFewTimes()
{
    // Tests run as root, who may write anywhere: the file is made unwritable in ways root cannot pass.
    QFETCH(QString, relativePath);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath("RUBRELLO.INI/keep"));
    const QString path = dir.filePath(relativePath);
    int failures = 0;
    QVERIFY(!saveDialOptions(path, "02", "0", 3, [&] { ++failures; }));
    QCOMPARE(failures, 3);
    QVERIFY(QFileInfo(dir.filePath("RUBRELLO.INI/keep")).isDir());
}

void OptionsFileTest::failureCanClearOnRetry()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("nuova/RUBRELLO.INI");
    int failures = 0;
    QVERIFY(saveDialOptions(path, "02", "0", 3, [&] {
        ++failures;
        QDir(dir.path()).mkdir("nuova"); // the user mends the problem before pressing OK
    }));
    QCOMPARE(failures, 1);
    QCOMPARE(fileBytes(path), QByteArray("PrefissoLocale=02\r\nCentralino=0\r\n"));
}

void OptionsFileTest::fullDiskKeepsTheOldFile()
{
    ScratchMount disk(QStringLiteral("64k"));
    if (!disk.mounted())
        QSKIP("a small file system of our own needs root");
    const QString path = disk.filePath(QStringLiteral("RUBRELLO.INI"));
    const QByteArray old = "[Rubrello]\r\nPrefissoLocale=06\r\nCentralino=0\r\n";
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(old), old.size());
    }
    QVERIFY(fillUp(disk.filePath(QStringLiteral("zavorra"))));
    int failures = 0;
    QVERIFY(!saveDialOptions(path, "02", "9", 2, [&] { ++failures; }));
    QCOMPARE(failures, 2);
    QCOMPARE(fileBytes(path), old);
}

void OptionsFileTest::onlyARegularFileIsRead()
{
    // A pipe would wait for a writer for ever, /dev/zero would fill the memory.
    QTemporaryDir dir;
    const QString fifo = dir.filePath("fifo/RUBRELLO.INI");
    QVERIFY(QDir(dir.path()).mkdir("fifo"));
    QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString zero = dir.filePath("RUBRELLO.INI");
    QVERIFY(QFile::link("/dev/zero", zero));
    for (const QString &path : {fifo, zero}) {
        const OptionsFileRead read = readOptionsFile(path);
        QVERIFY(!read.ok);
        QVERIFY2(read.error.contains("non è un file normale"), qPrintable(read.error));
    }
}

QTEST_APPLESS_MAIN(OptionsFileTest)
#include "tst_optionsfile.moc"
