// The number as it is dialled, and the options file RUBRELLO.INI: its two keys, rewriting it in the
// encoding it came in, and what happens when it cannot be written or is no file at all.
#include "dial/DialOptions.h"
#include "dial/NumberRules.h"
#include "tests/reliability/SystemFaults.h"
#include "tests/support/TestFiles.h"
#include "tests/text/CaseTable.h"

#include <QDir>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

class TestDial : public QObject
{
    Q_OBJECT
private slots:
    void dialString_data() { addCaseRows("dial/numbers.tsv"); }
    void dialString()
    {
        const auto [number, prefix, outsideLine, dialled] = caseValues<4>();
        QCOMPARE(::dialString(utf8(number), utf8(prefix), utf8(outsideLine)), utf8(dialled));
    }

    void read_data() { addCaseRows("dial/read.tsv"); }
    void read()
    {
        const auto [bytes, prefix, outsideLine] = caseValues<3>();
        const DialOptions options = readDialOptions(decodeOptionsText(bytes).lines);
        QCOMPARE(options.prefix, utf8(prefix));
        QCOMPARE(options.outsideLine, utf8(outsideLine));
    }

    void save_data() { addCaseRows("dial/save.tsv"); }
    void save()
    {
        const auto [oldBytes, prefix, outsideLine, newBytes] = caseValues<4>();
        QTemporaryDir dir;
        const QString path = dir.filePath(optionsFileName());
        if (oldBytes != "-")
            writeBytes(path, oldBytes);
        int failures = 0;
        QVERIFY(saveDialOptions(path, utf8(prefix), utf8(outsideLine), 3, [&] { ++failures; }));
        QCOMPARE(failures, 0);
        QCOMPARE(fileBytes(path), newBytes);
    }

    void failureIsRetriedThenGivenUp()
    {
        // Tests run as root, who may write anywhere: a directory in the file's place stops root too.
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("RUBRELLO.INI/keep"));
        int failures = 0;
        QVERIFY(!saveDialOptions(dir.filePath("RUBRELLO.INI"), "02", "0", 3, [&] { ++failures; }));
        QCOMPARE(failures, 3);
        QVERIFY(QFileInfo(dir.filePath("RUBRELLO.INI/keep")).isDir());
        // The user may mend the problem before pressing OK: here a missing folder.
        QVERIFY(saveDialOptions(dir.filePath("nuova/RUBRELLO.INI"), "02", "0", 3, [&] {
            ++failures;
            QDir(dir.path()).mkdir("nuova");
        }));
        QCOMPARE(failures, 4);
    }

    void fullDiskKeepsTheOldFile()
    {
        ScratchMount disk(u"64k"_s);
        if (!disk.mounted())
            QSKIP("a small file system of our own needs root");
        const QString path = disk.filePath(u"RUBRELLO.INI"_s);
        const QByteArray old = "[Rubrello]\r\nPrefissoLocale=06\r\nCentralino=0\r\n";
        writeBytes(path, old);
        QVERIFY(fillUp(disk.filePath(u"zavorra"_s)));
        int failures = 0;
        QVERIFY(!saveDialOptions(path, "02", "9", 2, [&] { ++failures; }));
        QCOMPARE(failures, 2);
        QCOMPARE(fileBytes(path), old);
    }

    void onlyARegularFileIsRead()
    {
        // /dev/zero would fill the memory.
        QTemporaryDir dir;
        const QString zero = dir.filePath("RUBRELLO.INI");
        QVERIFY(QFile::link("/dev/zero", zero));
        const OptionsFileRead read = readOptionsFile(zero);
        QVERIFY2(!read.ok && read.error.contains("non è un file normale"), qPrintable(read.error));
    }
};

QTEST_APPLESS_MAIN(TestDial)
#include "test_dial.moc"
