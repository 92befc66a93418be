// The first version's text file: its encodings and line ends, the fixed columns of a line, and the
// import into the store with what the user is told when it stops.
#include "import/FirstVersionImport.h"
#include "import/FirstVersionLine.h"
#include "import/FirstVersionReader.h"
#include "tests/reliability/SystemFaults.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestStore.h"
#include "tests/text/CaseTable.h"

#include <QBuffer>
#include <QDir>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

// Fixed bytes that fail once budget bytes in all have been read; the reader goes through a file
// twice, once to learn its encoding and once for the lines.
class FailingDevice : public QBuffer
{
public:
    FailingDevice(const QByteArray &bytes, qint64 budget)
        : m_budget(budget)
    {
        setData(bytes);
        open(QIODevice::ReadOnly);
    }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        if (m_budget <= 0) {
            setErrorString(u"errore di I/O simulato"_s);
            return -1;
        }
        const qint64 read = QBuffer::readData(data, std::min(maxSize, m_budget));
        m_budget -= std::max<qint64>(read, 0);
        return read;
    }

private:
    qint64 m_budget;
};

QString readAllLines(QIODevice &device, bool *utf8 = nullptr)
{
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
    void reader_data() { addCaseRows("import/reader.tsv", {"bytes", "lines", "utf8"}); }
    void reader();
    void readerAcrossPieces();
    void line_data() { addCaseRows("import/lines.tsv", {"line", "last", "first", "address", "phone"}); }
    void line();
    void importsNamedLines();
    void refusedFiles();
    void fullDiskImportsNothingAndSaysSo();
    void preparation();
    void refusalKeepsTheRowsBefore();
    void readFailureKeepsTheRowsBefore();
    void messages();
};

void TestImport::reader()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, lines);
    QFETCH(QByteArray, utf8);
    QBuffer buffer(&bytes);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    bool isUtf8 = false;
    QCOMPARE(readAllLines(buffer, &isUtf8), ::utf8(lines));
    if (!utf8.isEmpty())
        QCOMPARE(isUtf8, utf8 == "1");
}

void TestImport::readerAcrossPieces()
{
    // Long enough that line ends and UTF-8 sequences fall on the reader's piece boundaries.
    QByteArray bytes;
    QString expected;
    for (int i = 0; i < 5000; ++i) {
        const QByteArray line = QByteArray::number(i) + " Nicol\xC3\xB2" + QByteArray(i % 40, 'x');
        bytes += line + (i % 3 == 0 ? "\r\n" : i % 3 == 1 ? "\n" : "\r");
        expected += QString::fromUtf8(line) + QLatin1Char('|');
    }
    QBuffer buffer(&bytes);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    QCOMPARE(readAllLines(buffer), expected);
}

void TestImport::line()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, last);
    const std::optional<FirstVersionContact> parsed = parseFirstVersionLine(utf8(line));
    QCOMPARE(parsed.has_value(), last != "-");
    if (!parsed)
        return;
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, address);
    QFETCH(QByteArray, phone);
    const QStringList got{parsed->lastName, parsed->firstName, parsed->workAddress, parsed->workPhone};
    QCOMPARE(got, (QStringList{utf8(last), utf8(first), utf8(address), utf8(phone)}));
}

void TestImport::importsNamedLines()
{
    TestStore test;
    const QByteArray bytes = QByteArray("Rossi Mario Via Roma 1").leftJustified(54) + "051 123456\r\n\r\n"
        + QByteArray().leftJustified(54) + "02 999\r\n" // no name, only a phone
        + "Nicol\xF2 Bianca\r\n" // code page 1252
        + "D'Angelo  Rosa  Via dell'Orto 2"; // no line end
    const ImportOutcome outcome = importFirstVersionFile(writeFile(test.directory(), bytes), test.store());
    QVERIFY(outcome.ok());
    QCOMPARE(outcome.added, 3);
    std::vector<ContactRecord> records = test.store().readAll();
    std::sort(records.begin(), records.end(), [](const auto &a, const auto &b) { return a.id < b.id; });
    QCOMPARE(records.size(), size_t(3));
    ContactRecord first = makeRecord({{Field::LastName, u"Rossi"_s}, {Field::FirstName, u"Mario"_s},
        {Field::WorkAddress, u"Via Roma 1"_s}, {Field::WorkPhone, u"051 123456"_s}});
    first.id = records[0].id;
    QCOMPARE(records[0], first); // every other field Null
    QCOMPARE(records[1].value(Field::LastName), FieldValue(u"Nicolò"_s));
    // Empty, not Null: the line had no address and no phone.
    QCOMPARE(records[1].value(Field::WorkPhone), FieldValue(QString()));
    QCOMPARE(records[2].value(Field::WorkAddress), FieldValue(u"Via dell'Orto 2"_s));
    QCOMPARE(committedCount(test.path()), 3);
}

void TestImport::refusedFiles()
{
    // Each of these once froze the window, filled the memory or added thousands of junk contacts.
    TestStore test;
    const QDir dir(test.directory());
    QByteArray noise;
    for (int i = 0; i < 64 * 1024; ++i)
        noise.append(char(QRandomGenerator::global()->bounded(256)));
    const QString normal = u"non è un file normale"_s, text = u"non contiene testo"_s;
    const std::vector<std::pair<std::function<bool(const QString &)>, QString>> kinds{
        {[](const QString &p) { return mkfifo(QFile::encodeName(p).constData(), 0600) == 0; }, normal},
        {[](const QString &p) { return QFile::link(u"/dev/zero"_s, p); }, normal},
        {[](const QString &p) { return QDir().mkdir(p); }, normal},
        {[](const QString &p) { return QFile::copy(u"/bin/true"_s, p); }, text},
        {[&](const QString &p) { return writeBytes(p, noise), true; }, text}};
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        const QString path = dir.filePath(u"NUMBO%1.TXT"_s.arg(i));
        QVERIFY(kinds[i].first(path));
        const ImportOutcome outcome = importFirstVersionFile(path, test.store(), [] { return false; });
        QCOMPARE(outcome.failure, ImportOutcome::Failure::Refused); // refused before the preparation
        QVERIFY2(outcome.reason.contains(kinds[i].second), qPrintable(outcome.reason));
        QVERIFY(importFailureMessage(outcome).contains(u"Nessun contatto è stato importato."_s));
    }
    for (const QString &name : {u"manca.txt"_s, u"C:\\NUMBO\\NUMBO.TXT"_s})
        QCOMPARE(importFirstVersionFile(dir.filePath(name), test.store(), [] { return false; }).failure,
            ImportOutcome::Failure::Open);
    QCOMPARE(test.store().count(), 0);
}

void TestImport::fullDiskImportsNothingAndSaysSo()
{
    ScratchMount disk(u"1m"_s);
    if (!disk.mounted())
        QSKIP("a small file system of our own needs root");
    QString error;
    std::unique_ptr<ContactStore> store = ContactStore::open(disk.filePath(u"Rubrello.MDB"_s), &error);
    QVERIFY2(store, qPrintable(error));
    QTemporaryDir source;
    const ImportOutcome outcome
        = importFirstVersionFile(writeFile(source.path(), numberedLines(30000)), *store);
    QCOMPARE(outcome.failure, ImportOutcome::Failure::Write);
    QCOMPARE(outcome.added, 0);
    QVERIFY2(outcome.reason.contains(u"il disco è pieno"_s), qPrintable(outcome.reason));
    QCOMPARE(store->count(), 0);
}

void TestImport::preparation()
{
    // Asked once, before the first record and only when there is one; "no" stops the import.
    TestStore test;
    const QByteArray noName = "\r\n" + QByteArray("123").leftJustified(54) + "051\r\n";
    for (const QByteArray &bytes : {QByteArray(), noName, numberedLines(3)}) {
        for (const bool answer : {false, true}) {
            int asked = 0;
            const qint64 before = test.store().count();
            const ImportOutcome outcome
                = importFirstVersionFile(writeFile(test.directory(), bytes), test.store(), [&] {
                      ++asked;
                      return test.store().count() == before && answer;
                  });
            const int named = bytes.size() > noName.size() ? 3 : 0;
            QCOMPARE(asked, named ? 1 : 0);
            QCOMPARE(outcome.failure,
                named && !answer ? ImportOutcome::Failure::Stopped : ImportOutcome::Failure::None);
            QCOMPARE(test.store().count() - before, answer ? named : 0);
        }
    }
}

void TestImport::refusalKeepsTheRowsBefore()
{
    TestStore test;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"trigger"_s);
        db.setDatabaseName(test.path());
        QVERIFY(db.open());
        QVERIFY(QSqlQuery(db).exec(QStringLiteral(
            "CREATE TRIGGER refuse BEFORE INSERT ON PhoneList WHEN "
            "NEW.LastName = 'Rifiutato' BEGIN SELECT RAISE(ABORT, 'contatto rifiutato'); END")));
    }
    QSqlDatabase::removeDatabase(u"trigger"_s);
    const QByteArray bytes = numberedLines(499) + "Rifiutato Carlo\r\n" + numberedLines(100);
    const ImportOutcome outcome = importFirstVersionFile(writeFile(test.directory(), bytes), test.store());
    QCOMPARE(outcome.failure, ImportOutcome::Failure::Write);
    QCOMPARE(outcome.line, 500);
    QCOMPARE(outcome.added, 499);
    QVERIFY2(outcome.reason.contains("contatto rifiutato"), qPrintable(outcome.reason));
    QCOMPARE(committedCount(test.path()), 499);
}

void TestImport::readFailureKeepsTheRowsBefore()
{
    // Failing while the encoding is learnt adds nothing; failing on line 201 keeps the 200 before it.
    const QByteArray lines = numberedLines(300);
    for (const int pass : {1, 2}) {
        TestStore test;
        FailingDevice device(lines, (pass == 2 ? lines.size() : 0) + lines.indexOf(" 200\r\n") + 16);
        const ImportOutcome outcome = importFirstVersionText(device, test.store());
        QCOMPARE(outcome.failure, ImportOutcome::Failure::Read);
        QCOMPARE(outcome.added, pass == 1 ? 0 : 200);
        QCOMPARE(outcome.line, pass == 1 ? 0 : 201);
        QVERIFY2(outcome.reason.contains("simulato"), qPrintable(outcome.reason));
        QCOMPARE(committedCount(test.path()), outcome.added);
    }
}

void TestImport::messages()
{
    // Every ending the user can be told of, compared whole with a golden file.
    QString told;
    ImportOutcome outcome;
    outcome.reason = u"il motivo dato dal sistema"_s;
    using F = ImportOutcome::Failure;
    const std::pair<F, const char *> failures[] = {{F::Open, "Open"}, {F::Stopped, "Stopped"},
        {F::Refused, "Refused"}, {F::Write, "Write"}, {F::Read, "Read"}};
    for (const auto &[failure, name] : failures) {
        for (const int line : {0, 500}) {
            for (const int added : {0, 1, 499}) {
                if (failure != F::Write && failure != F::Read && (line || added))
                    continue; // said the same way whatever the line and the rows added
                outcome.failure = failure;
                outcome.line = line;
                outcome.added = added;
                told += u"== %1, line %2, added %3\n"_s.arg(QLatin1String(name)).arg(line).arg(added)
                    + importFailureMessage(outcome) + '\n';
            }
        }
    }
    for (const int added : {0, 1, 2000})
        told += u"== summary, added %1\n"_s.arg(added) + importSummaryMessage(added) + '\n';
    compareWithGolden(told, "import/messages.txt");
}

QTEST_GUILESS_MAIN(TestImport)
#include "test_import.moc"
