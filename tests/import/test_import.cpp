// The first version's text file: its encodings and line ends, the fixed columns of a line, and the
// import into the store with what the user is told when it stops.
#include "history/UndoHistory.h"
#include "import/FirstVersionImport.h"
#include "import/FirstVersionLine.h"
#include "import/FirstVersionReader.h"
#include "tests/reliability/SystemFaults.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestStore.h"
#include "tests/text/CaseTable.h"

#include <QBuffer>
#include <QDir>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

// Fixed bytes that fail once budget bytes in all have been read; the reader goes through a file
// twice, once to learn its encoding and once for the lines.
struct FailingDevice : QBuffer
{
    FailingDevice(const QByteArray &bytes, qint64 budget)
        : budget(budget)
    {
        setData(bytes);
        open(QIODevice::ReadOnly);
    }
    qint64 readData(char *data, qint64 maxSize) override
    {
        const qint64 read = budget > 0 ? QBuffer::readData(data, std::min(maxSize, budget)) : -1;
        budget -= std::max<qint64>(read, 0);
        if (read < 0)
            setErrorString(u"errore di I/O simulato"_s);
        return read;
    }
    qint64 budget;
};

QString readAllLines(QByteArray bytes, bool *utf8 = nullptr)
{
    QBuffer device(&bytes);
    device.open(QIODevice::ReadOnly);
    FirstVersionReader reader(device);
    if (!reader.start())
        return u"<start failed>"_s;
    if (utf8)
        *utf8 = reader.isUtf8();
    QString lines;
    QString line;
    while (reader.nextLine(line))
        lines += line + QLatin1Char('|');
    return reader.failed() ? lines + u"<failed>"_s : lines;
}

QByteArray numberedLines(int count)
{
    QByteArray bytes;
    for (int i = 1; i <= count; ++i)
        bytes += QByteArray("Rossi Mario" + QByteArray(i % 26, 'a')).leftJustified(54) + QByteArray::number(i)
            + "\r\n";
    return bytes;
}

QString writeFile(const QString &dir, const QByteArray &bytes)
{
    const QString path = QDir(dir).filePath(u"NUMBO.TXT"_s);
    writeBytes(path, bytes);
    return path;
}

// What another connection sees: only committed rows.
qint64 committedCount(const QString &path)
{
    QString error;
    const std::unique_ptr<ContactStore> other = ContactStore::open(path, &error);
    return other ? other->count() : -1;
}

} // namespace

class TestImport : public QObject
{
    Q_OBJECT
private slots:
    void reader_data() { addCaseRows("import/reader.tsv"); }
    void reader()
    {
        const auto [bytes, lines, utf8] = caseValues<3>();
        bool isUtf8 = false;
        QCOMPARE(readAllLines(bytes, &isUtf8), ::utf8(lines));
        if (!utf8.isEmpty())
            QCOMPARE(isUtf8, utf8 == "1");
    }

    void readerAcrossPieces()
    {
        // Long enough that line ends and UTF-8 sequences fall on the reader's piece boundaries.
        QByteArray bytes;
        QString expected;
        for (int i = 0; i < 5000; ++i) {
            const QByteArray line = QByteArray::number(i) + " Nicol\xC3\xB2" + QByteArray(i % 40, 'x');
            bytes += line + (i % 3 == 0 ? "\r\n" : i % 3 == 1 ? "\n" : "\r");
            expected += QString::fromUtf8(line) + QLatin1Char('|');
        }
        QCOMPARE(readAllLines(bytes), expected);
    }

    void line_data() { addCaseRows("import/lines.tsv"); }
    void line()
    {
        const auto [line, last, first, address, phone] = caseValues<5>();
        const std::optional<FirstVersionContact> parsed = parseFirstVersionLine(utf8(line));
        const QStringList got = parsed
            ? QStringList{parsed->lastName, parsed->firstName, parsed->workAddress, parsed->workPhone}
            : QStringList{u"-"_s, {}, {}, {}};
        QCOMPARE(got, (QStringList{utf8(last), utf8(first), utf8(address), utf8(phone)}));
    }

    void importsNamedLines()
    {
        TestStore test;
        const QByteArray bytes = QByteArray("Rossi Mario Via Roma 1").leftJustified(54) + "051 123456\r\n\r\n"
            + QByteArray().leftJustified(54) + "02 999\r\n" // no name, only a phone
            + "Nicol\xF2 Bianca"; // no line end
        int asked = 0; // "yes", asked once before the first record
        const ImportOutcome outcome = importFirstVersionFile(writeFile(test.directory(), bytes), test.store(),
            [&] { return ++asked == 1 && test.store().count() == 0; });
        QVERIFY(outcome.ok());
        QCOMPARE(outcome.added, 2);
        std::vector<ContactRecord> records = test.store().readAll();
        std::sort(records.begin(), records.end(), [](const auto &a, const auto &b) { return a.id < b.id; });
        QCOMPARE(records.size(), size_t(2));
        ContactRecord first = makeRecord({{Field::LastName, u"Rossi"_s}, {Field::FirstName, u"Mario"_s},
            {Field::WorkAddress, u"Via Roma 1"_s}, {Field::WorkPhone, u"051 123456"_s}});
        first.id = records[0].id;
        QCOMPARE(records[0], first); // every other field Null
        // Empty, not Null: the line had no address and no phone.
        QCOMPARE(records[1].value(Field::WorkPhone), FieldValue(QString()));
        QCOMPARE(committedCount(test.path()), 2);
        // The whole file is one step: one undo takes both contacts away.
        QVERIFY(undoStep(test.store()).ok());
        QCOMPARE(test.store().count(), 0);
    }

    void refusedFiles()
    {
        // Each of these once froze the window, filled the memory, added thousands of junk contacts or
        // left half an import: nothing is added, and the preparation is asked only for a file it reads.
        TestStore test;
        ScratchMount disk(u"1m"_s);
        using F = ImportOutcome::Failure;
        const QString normal = u"non è un file normale"_s, text = u"non contiene testo"_s;
        const std::vector<std::tuple<std::function<bool(const QString &)>, F, QString>> cases{
            {[](const QString &p) { return mkfifo(QFile::encodeName(p).constData(), 0600) == 0; }, F::Refused,
                normal},
            {[](const QString &p) { return QFile::link(u"/dev/zero"_s, p); }, F::Refused, normal},
            {[](const QString &p) { return QDir().mkdir(p); }, F::Refused, normal},
            {[](const QString &p) { return QFile::copy(u"/bin/true"_s, p); }, F::Refused, text},
            {[](const QString &) { return true; }, F::Open, QString()},
            // The store is on a full disk: the last, skipped where no disk of our own can be mounted.
            {[](const QString &p) { return writeBytes(p, numberedLines(30000)), true; }, F::Write,
                u"disco è pieno"_s}};
        int row = 0;
        for (const auto &[make, failure, reason] : cases) {
            const bool fullDisk = failure == F::Write;
            if (fullDisk && !disk.mounted())
                QSKIP("a small file system of our own needs root");
            const QString path = QDir(test.directory()).filePath(u"NUMBO%1.TXT"_s.arg(++row));
            QVERIFY(make(path));
            QString error;
            const std::unique_ptr<ContactStore> onDisk
                = fullDisk ? ContactStore::open(disk.filePath(u"Rubrello.MDB"_s), &error) : nullptr;
            ContactStore &store = fullDisk ? *onDisk : test.store();
            int asked = 0;
            const ImportOutcome outcome = importFirstVersionFile(path, store, [&] { return ++asked > 0; });
            QCOMPARE(outcome.failure, failure);
            QCOMPARE(asked, fullDisk ? 1 : 0);
            QVERIFY2(outcome.reason.contains(reason), qPrintable(outcome.reason));
            QCOMPARE(outcome.added, 0);
            QCOMPARE(store.count(), 0);
        }
    }

    void preparation()
    {
        // Asked only when there is a record, before it; "no" stops the import.
        TestStore test;
        const QByteArray noName = "\r\n" + QByteArray("123").leftJustified(54) + "051\r\n";
        for (const QByteArray &bytes : {QByteArray(), noName, numberedLines(3)}) {
            int asked = 0;
            const ImportOutcome outcome = importFirstVersionFile(
                writeFile(test.directory(), bytes), test.store(), [&] { return ++asked < 0; });
            QCOMPARE(asked, bytes.size() > noName.size() ? 1 : 0);
            QCOMPARE(outcome.failure, asked ? ImportOutcome::Failure::Stopped : ImportOutcome::Failure::None);
            QCOMPARE(test.store().count(), 0);
        }
    }

    void failureKeepsTheRowsBefore()
    {
        // A row the store refuses on line 500; a read failing while the encoding is learnt, which adds
        // nothing, and one failing on line 201.
        const QByteArray lines = numberedLines(499) + "Rifiutato Carlo\r\n" + numberedLines(100);
        const qint64 line201 = lines.indexOf(" 200\r\n") + 16;
        using F = ImportOutcome::Failure;
        const std::tuple<qint64, F, int, const char *> cases[]
            = {{3 * lines.size(), F::Write, 500, "rifiutato"}, {line201, F::Read, 0, "simulato"},
                {lines.size() + line201, F::Read, 201, "simulato"}};
        for (const auto &[budget, failure, line, reason] : cases) {
            TestStore test;
            runSqlElsewhere(test.path(),
                {u"CREATE TRIGGER refuse BEFORE INSERT ON PhoneList WHEN NEW.LastName = 'Rifiutato' "
                 "BEGIN SELECT RAISE(ABORT, 'contatto rifiutato'); END"_s});
            FailingDevice device(lines, budget);
            const ImportOutcome outcome = importFirstVersionText(device, test.store());
            QCOMPARE(outcome.failure, failure);
            QCOMPARE(outcome.line, line);
            QCOMPARE(outcome.added, std::max(line - 1, 0));
            QCOMPARE(committedCount(test.path()), outcome.added);
            // The user is told the reason, the line and how many rows are already in the agenda.
            const QString told = importFailureMessage(outcome);
            const QString added = outcome.added ? QString::number(outcome.added) : u"Nessun contatto"_s;
            QVERIFY2(told.contains(reason) && told.contains(added)
                    && (!line || told.contains(QString::number(line))),
                qPrintable(told));
        }
    }
};

QTEST_GUILESS_MAIN(TestImport)
#include "test_import.moc"
