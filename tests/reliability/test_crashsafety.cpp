// A program killed with SIGKILL while it saves or imports leaves a sound store: every record it had
// committed is there and whole, and an import is absent or a prefix of its file.
#include "CrashRecords.h"
#include "StoreCheck.h"

#include "contacts/ContactStore.h"
#include "import/FirstVersionLine.h"

#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

namespace {

// Runs the driver until it has reported `reports` lines (or `delayMs` after its first one), then
// kills it. Returns every line it wrote.
QStringList runAndKill(const QStringList &arguments, int reports, int delayMs)
{
    QProcess driver;
    driver.setProgram(QStringLiteral(RUBRELLO_CRASH_DRIVER));
    driver.setArguments(arguments);
    driver.start();
    if (!driver.waitForStarted())
        return {QStringLiteral("failed to start")};
    QByteArray output;
    auto lineCount = [&] { return int(output.count('\n')); };
    while (lineCount() < reports && driver.state() == QProcess::Running) {
        driver.waitForReadyRead(100);
        output += driver.readAllStandardOutput();
    }
    if (delayMs > 0)
        QTest::qWait(delayMs);
    driver.kill(); // SIGKILL: no destructor, no rollback, no flush
    driver.waitForFinished();
    output += driver.readAllStandardOutput();
    return QString::fromUtf8(output).split(u'\n', Qt::SkipEmptyParts);
}

// The first-version file: a line per contact, the name in the first 53 characters, the
// telephone from the 55th; every tenth line blank.
QByteArray firstVersionFile(int lines)
{
    QByteArray bytes;
    bytes.reserve(qsizetype(lines) * 72);
    for (int i = 1; i <= lines; ++i) {
        if (i % 10 == 0) {
            bytes += "\r\n";
            continue;
        }
        const QByteArray name = "COGNOME" + QByteArray::number(i) + " NOME" + QByteArray::number(i % 97)
            + " VIA ROMA " + QByteArray::number(i % 300);
        bytes += name.leftJustified(54, ' ') + "06 " + QByteArray::number(1000000 + i) + "\r\n";
    }
    return bytes;
}

} // namespace

class TestCrashSafety : public QObject
{
    Q_OBJECT
private slots:
    void killDuringSaves_data();
    void killDuringSaves();
    void killDuringImport_data();
    void killDuringImport();
};

void TestCrashSafety::killDuringSaves_data()
{
    QTest::addColumn<int>("reports");
    QTest::addColumn<int>("delayMs");
    QTest::newRow("after the first save") << 1 << 0;
    QTest::newRow("after 40 saves") << 40 << 0;
    QTest::newRow("after 150 saves, a little later") << 150 << 7;
}

void TestCrashSafety::killDuringSaves()
{
    QFETCH(int, reports);
    QFETCH(int, delayMs);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Rubrello.MDB"));
    const QStringList lines = runAndKill({QStringLiteral("save"), path}, reports, delayMs);
    QVERIFY2(lines.size() >= reports, qPrintable(lines.join(u'\n')));

    // What the driver said it had committed, per record: the tag of its last reported write.
    QMap<qint64, QString> reported;
    for (const QString &line : lines) {
        const QStringList words = line.split(u' ');
        QVERIFY2(words.size() == 3 && words.at(0) != QLatin1String("failed"), qPrintable(line));
        reported[words.at(1).toLongLong()] = words.at(2);
    }

    // The store is opened first, with the log the kill left: it is the store's own and must be taken.
    QString error;
    const auto store = ContactStore::open(path, &error);
    QVERIFY2(store, qPrintable(error));
    QVERIFY2(store->notices().isEmpty(), qPrintable(store->notices().join(u'\n')));
    QCOMPARE(integrityCheck(path), QStringLiteral("ok"));
    bool ok = false;
    const std::vector<ContactRecord> rows = store->readAll(&ok);
    QVERIFY(ok);
    QMap<qint64, QString> stored;
    for (const ContactRecord &row : rows) {
        const QString tag = wholeRecordTag(row);
        QVERIFY2(!tag.isEmpty(), qPrintable(QStringLiteral("torn record %1").arg(row.id)));
        stored[row.id] = tag;
    }
    for (auto it = reported.cbegin(); it != reported.cend(); ++it) {
        QVERIFY2(stored.contains(it.key()), qPrintable(QStringLiteral("record %1 lost").arg(it.key())));
        // The stored version is the reported one, or a later write that committed before the kill.
        const int reportedVersion = it.value().section(u'.', 1).toInt();
        const int storedVersion = stored.value(it.key()).section(u'.', 1).toInt();
        QCOMPARE(stored.value(it.key()).section(u'.', 0, 0), it.value().section(u'.', 0, 0));
        QVERIFY(storedVersion >= reportedVersion);
    }
    // At most the one write in flight may be there unreported.
    QVERIFY(stored.size() <= reported.size() + 1);
}

void TestCrashSafety::killDuringImport_data()
{
    QTest::addColumn<int>("delayMs");
    QTest::newRow("at the first record") << 0;
    QTest::newRow("early in the import") << 150;
    QTest::newRow("late in the import") << 900;
}

void TestCrashSafety::killDuringImport()
{
    QFETCH(int, delayMs);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Rubrello.MDB"));
    const QString textPath = dir.filePath(QStringLiteral("NUMBO.TXT"));
    const QByteArray text = firstVersionFile(100000);
    {
        QFile file(textPath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(text), text.size());
    }
    // A contact saved before the import must come through it untouched.
    ContactRecord before = crashRecord(crashTag(1, 0));
    {
        QString error;
        const auto store = ContactStore::open(path, &error);
        QVERIFY2(store, qPrintable(error));
        const auto id = store->insert(before);
        QVERIFY(id);
        before.id = *id;
    }

    const QStringList lines = runAndKill({QStringLiteral("import"), path, textPath}, 1, delayMs);
    QVERIFY2(!lines.isEmpty() && lines.first() == QLatin1String("begin"), qPrintable(lines.join(u'\n')));

    QString error;
    const auto store = ContactStore::open(path, &error);
    QVERIFY2(store, qPrintable(error));
    QVERIFY2(store->notices().isEmpty(), qPrintable(store->notices().join(u'\n')));
    QCOMPARE(integrityCheck(path), QStringLiteral("ok"));
    bool ok = false;
    std::vector<ContactRecord> rows = store->readAll(&ok);
    QVERIFY(ok);
    std::sort(rows.begin(), rows.end(), [](const auto &a, const auto &b) { return a.id < b.id; });
    QVERIFY(!rows.empty());
    QCOMPARE(rows.front(), before);

    std::vector<FirstVersionContact> expected;
    for (const QByteArray &line : text.split('\n')) {
        if (const auto contact
            = parseFirstVersionLine(QString::fromLatin1(line.chopped(line.endsWith('\r') ? 1 : 0))))
            expected.push_back(*contact);
    }
    const size_t imported = rows.size() - 1;
    QVERIFY(imported <= expected.size());
    if (lines.last().startsWith(QLatin1String("done")))
        QCOMPARE(imported, expected.size()); // the import finished before the kill
    for (size_t i = 0; i < imported; ++i) {
        const ContactRecord &row = rows[i + 1];
        const FirstVersionContact &want = expected[i];
        const bool same = row.text(Field::LastName) == want.lastName
            && row.text(Field::FirstName) == want.firstName
            && row.text(Field::WorkAddress) == want.workAddress
            && row.text(Field::WorkPhone) == want.workPhone && row.isNull(Field::Note);
        QVERIFY2(same, qPrintable(QStringLiteral("imported row %1 is not line %1 of the file").arg(i + 1)));
    }
}

QTEST_GUILESS_MAIN(TestCrashSafety)
#include "test_crashsafety.moc"
