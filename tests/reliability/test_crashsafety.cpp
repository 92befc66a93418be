// A program killed with SIGKILL while it saves or imports leaves a sound store: every record it had
// committed is there and whole, and an import is absent or a prefix of its file. Killed while it
// restores a backup, it leaves the store as it was or the backup, never a mix.
#include "StoreCheck.h"
#include "tests/support/TestFiles.h"

#include "backup/BackupEntry.h"
#include "backup/BackupShelf.h"
#include "contacts/ContactStore.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <set>

using namespace Qt::StringLiterals;

namespace {

// Runs the driver until it has reported `reports` lines, waits delayMs more and kills it (SIGKILL: no
// destructor, no rollback, no flush). Returns every line it wrote.
QStringList runAndKill(const QStringList &arguments, int reports, int delayMs)
{
    QProcess driver;
    driver.start(QStringLiteral(RUBRELLO_CRASH_DRIVER), arguments);
    QByteArray output;
    while (output.count('\n') < reports && driver.waitForReadyRead(10000))
        output += driver.readAllStandardOutput();
    QTest::qWait(delayMs);
    driver.kill();
    driver.waitForFinished();
    output += driver.readAllStandardOutput();
    return QString::fromUtf8(output).split(u'\n', Qt::SkipEmptyParts);
}

// Opens the store as the next start does, with the log the kill left (the store's own, to be taken),
// and gives its rows in the order they were added.
void reopen(const QString &path, std::vector<ContactRecord> *rows)
{
    QString error;
    const auto store = ContactStore::open(path, &error);
    QVERIFY2(store, qPrintable(error));
    QVERIFY2(store->notices().isEmpty(), qPrintable(store->notices().join(u'\n')));
    QCOMPARE(integrityCheck(path), u"ok"_s);
    bool ok = false;
    *rows = store->readAll(&ok);
    QVERIFY(ok);
    std::sort(rows->begin(), rows->end(), [](const auto &a, const auto &b) { return a.id < b.id; });
}

// A store of count contacts all named lastName.
void fillStore(const QString &path, const QString &lastName, int count)
{
    QString error;
    const auto store = ContactStore::open(path, &error);
    QVERIFY2(store, qPrintable(error));
    ContactStore::Batch batch(*store);
    ContactRecord record;
    record.setValue(Field::LastName, lastName);
    for (int i = 0; i < count; ++i) {
        record.setValue(Field::FirstName, QString::number(i));
        QVERIFY(store->insert(record));
    }
    QVERIFY(batch.commit());
}

} // namespace

class TestCrashSafety : public QObject
{
    Q_OBJECT
private slots:
    void killDuringSaves();
    void killDuringImport();
    void killDuringRestore();
};

// Killed after 150 saves, a little after one was reported: likely in the middle of the next.
void TestCrashSafety::killDuringSaves()
{
    const int reports = 150;
    QTemporaryDir dir;
    const QString path = dir.filePath(u"Rubrello.MDB"_s);
    const QStringList lines = runAndKill({u"save"_s, path}, reports, 7);
    QVERIFY2(lines.size() >= reports, qPrintable(lines.join(u'\n')));
    std::vector<ContactRecord> rows;
    reopen(path, &rows);
    if (QTest::currentTestFailed())
        return;
    QMap<qint64, QString> stored;
    for (const ContactRecord &row : rows) {
        stored[row.id] = wholeRecordTag(row);
        QVERIFY2(!stored[row.id].isEmpty(), qPrintable(u"torn record %1"_s.arg(row.id)));
    }
    // Each reported write is there, or a later write of the same record that committed before the kill.
    for (const QString &line : lines) {
        const QStringList words = line.split(u' '); // "inserted|updated <id> <tag>"
        QVERIFY2(words.size() == 3 && words.at(0) != u"failed"_s, qPrintable(line));
        const QString tag = stored.value(words.at(1).toLongLong());
        QVERIFY2(tag.section(u'.', 0, 0) == words.at(2).section(u'.', 0, 0)
                && tag.section(u'.', 1).toInt() >= words.at(2).section(u'.', 1).toInt(),
            qPrintable(line + u", stored: "_s + tag));
    }
    // At most the one insert in flight may be there unreported.
    QVERIFY(rows.size() <= size_t(lines.filter(u"inserted"_s).size()) + 1);
}

void TestCrashSafety::killDuringImport()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"Rubrello.MDB"_s);
    const QString textPath = dir.filePath(u"NUMBO.TXT"_s);
    QByteArray text; // the name in the first 53 characters, the telephone from the 55th
    for (int i = 1; i <= 100000; ++i)
        text += ("COGNOME" + QByteArray::number(i) + " NOME").leftJustified(54) + "06 "
            + QByteArray::number(i) + "\r\n";
    writeBytes(textPath, text);
    // A contact saved before the import must come through it untouched.
    ContactRecord before = crashRecord(crashTag(1, 0));
    {
        QString error;
        const auto store = ContactStore::open(path, &error);
        QVERIFY2(store, qPrintable(error));
        before.id = store->insert(before).value_or(0);
    }

    const QStringList lines = runAndKill({u"import"_s, path, textPath}, 1, 150);
    QVERIFY2(lines.value(0) == u"begin"_s, qPrintable(lines.join(u'\n')));
    std::vector<ContactRecord> rows;
    reopen(path, &rows);
    if (QTest::currentTestFailed())
        return;
    QVERIFY(!rows.empty());
    QCOMPARE(rows.front(), before);
    for (size_t i = 1; i < rows.size(); ++i) {
        const QString n = QString::number(i);
        QVERIFY2(rows[i].text(Field::LastName) == u"COGNOME"_s + n
                && rows[i].text(Field::WorkPhone) == u"06 "_s + n,
            qPrintable(u"imported row %1 is not line %1 of the file"_s.arg(i)));
    }
    if (lines.last().startsWith(u"done"_s)) // the import ended before the kill
        QCOMPARE(rows.size(), size_t(100001));
}

void TestCrashSafety::killDuringRestore()
{
    QTemporaryDir dir;
    const QString before = dir.filePath(u"vecchio.MDB"_s);
    const QString backup = dir.filePath(u"copia.MDB"_s);
    fillStore(before, u"Vecchio"_s, 2000);
    fillStore(backup, u"Nuovo"_s, 20000);
    // The backups are looked for where the program keeps them, under its own name.
    QCoreApplication::setApplicationName(u"rubrello"_s);
    QCoreApplication::setOrganizationName(u"Rubrello"_s);
    // Each round restores the backup into a fresh store and kills the command a little later than
    // the round before, from its start to past its end; what the store then holds is looked at.
    struct Found
    {
        qint64 count = 0;
        std::set<QString> names;
        QString integrity;
        qint64 took = 0;
    };
    const auto restoreAndKill = [&](int delayMs) {
        QTemporaryDir place;
        const QString path = place.filePath(u"Rubrello.MDB"_s);
        const QString folder = backupFolderFor(path);
        QFile::copy(before, path);
        QFile::copy(backup, folder + u'/' + dailyBackupName(QDate::currentDate()));
        QProcess cli;
        QElapsedTimer clock;
        clock.start();
        cli.start(QStringLiteral(RUBRELLO_CLI), {u"--store"_s, path, u"restore"_s, u"1"_s});
        if (delayMs >= 0) {
            QTest::qWait(delayMs);
            cli.kill();
        }
        cli.waitForFinished();
        Found found;
        found.took = clock.elapsed();
        QString error;
        if (const auto store = ContactStore::open(path, &error)) {
            for (const ContactStore::IndexEntry &entry : store->readIndex())
                found.names.insert(entry.lastName().value_or(QString()));
            found.count = store->count();
        }
        found.integrity = integrityCheck(path);
        QDir(folder).removeRecursively();
        return found;
    };
    const qint64 whole = restoreAndKill(-1).took;
    const int rounds = 12;
    int restored = 0;
    for (int round = 0; round <= rounds; ++round) {
        const int delay = int(whole * round / rounds);
        const Found found = restoreAndKill(delay);
        const bool old = found.count == 2000 && found.names == std::set{u"Vecchio"_s};
        const bool whole = found.count == 20000 && found.names == std::set{u"Nuovo"_s};
        QVERIFY2(
            old || whole, qPrintable(u"%1 contacts after a kill at %2 ms"_s.arg(found.count).arg(delay)));
        QCOMPARE(found.integrity, u"ok"_s);
        restored += whole;
    }
    // Some kills came before the restore was done, some after.
    QVERIFY2(
        restored > 0 && restored <= rounds, qPrintable(u"%1 restored of %2"_s.arg(restored).arg(rounds + 1)));
}

QTEST_GUILESS_MAIN(TestCrashSafety)
#include "test_crashsafety.moc"
