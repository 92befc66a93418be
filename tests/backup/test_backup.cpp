// The copies of the store: what one holds, which ones the folder keeps, and a restore that never
// loses what the store held.
#include "backup/BackupRestore.h"
#include "backup/BackupShelf.h"
#include "backup/StoreCopy.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestStore.h"

#include <QDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QDateTime at(int month, int day, QTime time = QTime(9, 0))
{
    return QDateTime(QDate(2026, month, day), time);
}

QStringList fileNames(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

QStringList namesOf(const std::vector<BackupEntry> &entries)
{
    QStringList names;
    for (const BackupEntry &entry : entries)
        names.append(QFileInfo(entry.path).fileName());
    return names;
}

QStringList contactLines(const ContactStore &store)
{
    QStringList lines;
    for (const ContactStore::IndexEntry &entry : store.readIndex())
        lines.append(entry.line());
    lines.sort();
    return lines;
}

} // namespace

class TestBackup : public QObject
{
    Q_OBJECT
private slots:
    // A copy taken while another program is midway through a write holds the committed contacts
    // only, in one file with no log beside it, and the store is only read.
    void copyOfAStoreInUse()
    {
        TestStore files;
        files.add(u"Rossi"_s, u"Mario"_s);
        files.add(u"Bianchi"_s, u"Anna"_s);
        QSqlDatabase writer = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"writer"_s);
        writer.setDatabaseName(files.path());
        QVERIFY(writer.open());
        QVERIFY(QSqlQuery(u"BEGIN IMMEDIATE"_s, writer).isActive());
        QVERIFY(QSqlQuery(u"INSERT INTO PhoneList (LastName) VALUES ('Verdi')"_s, writer).isActive());
        const QByteArray store = fileBytes(files.path());

        QTemporaryDir shelf;
        QString error;
        QCOMPARE(takeDailyBackup(files.path(), shelf.path(), at(12, 7), &error), DailyBackup::Taken);
        const QString copy = shelf.filePath(u"Rubrello-2026-12-07.MDB"_s);
        QCOMPARE(fileNames(shelf.path()), QStringList{QFileInfo(copy).fileName()});
        QCOMPARE(fileBytes(copy).mid(18, 2), QByteArray("\x01\x01")); // no write-ahead log
        QCOMPARE(fileBytes(files.path()), store);

        const std::vector<BackupEntry> entries = listBackups(shelf.path(), Thoroughness::Thorough);
        QCOMPARE(entries.size(), size_t(1));
        QVERIFY2(entries[0].good(), qPrintable(entries[0].problem));
        QCOMPARE(entries[0].contacts, 2);
        QCOMPARE(fileNames(shelf.path()).size(), 1); // reading left nothing beside it
        writer.close();
        writer = {};
        QSqlDatabase::removeDatabase(u"writer"_s);
    }

    // Every store has a folder of its own, however its path is written.
    void folderOfEachStore()
    {
        QTemporaryDir one;
        QTemporaryDir two;
        writeBytes(one.filePath(u"Rubrello.MDB"_s), {});
        QVERIFY(QFile::link(one.filePath(u"Rubrello.MDB"_s), two.filePath(u"Collegamento.MDB"_s)));
        const QString folder = backupFolderFor(one.filePath(u"Rubrello.MDB"_s));
        QVERIFY(QFileInfo(folder).isDir());
        QVERIFY(QFileInfo(folder).fileName().startsWith(u"Rubrello-"_s));
        QCOMPARE(backupFolderFor(two.filePath(u"Collegamento.MDB"_s)), folder);
        const QString other = backupFolderFor(two.filePath(u"Rubrello.MDB"_s));
        QVERIFY(other != folder);
        QDir(folder).removeRecursively();
        QDir(other).removeRecursively();
    }

    // Forty days of daily copies leave the last seven days and the last day of each of the four
    // latest weeks; copies before a restore are five at most; other files are never touched.
    void rotation()
    {
        TestStore files;
        QTemporaryDir shelf;
        const QStringList others{u"Rubrello-2026-11-31.MDB"_s, u"Rubrello-2026-11-02.MDB.bak"_s,
            u"Rubrello-2026-11-02-250000-prima-del-ripristino.MDB"_s};
        for (const QString &name : others)
            writeBytes(shelf.filePath(name), "altro");
        QString error;
        for (QDate day(2026, 11, 1); day <= QDate(2026, 12, 10); day = day.addDays(1)) {
            QCOMPARE(takeDailyBackup(files.path(), shelf.path(), QDateTime(day, QTime(8, 30)), &error),
                DailyBackup::Taken);
        }
        QCOMPARE(takeDailyBackup(files.path(), shelf.path(), at(12, 10, QTime(23, 59)), &error),
            DailyBackup::AlreadyToday);

        for (int minute = 1; minute <= 5; ++minute)
            QVERIFY(!takeCopyBeforeRestore(files.path(), shelf.path(), at(12, 10, QTime(10, minute)), &error)
                         .isEmpty());
        // A second restore within the same second keeps both copies.
        const QString last
            = takeCopyBeforeRestore(files.path(), shelf.path(), at(12, 10, QTime(10, 5)), &error);
        QVERIFY(QFileInfo(last).isFile());

        const std::vector<BackupEntry> entries = listBackups(shelf.path(), Thoroughness::Quick);
        QCOMPARE(namesOf(entries),
            (QStringList{u"Rubrello-2026-12-10-100501-prima-del-ripristino.MDB"_s,
                u"Rubrello-2026-12-10-100500-prima-del-ripristino.MDB"_s,
                u"Rubrello-2026-12-10-100400-prima-del-ripristino.MDB"_s,
                u"Rubrello-2026-12-10-100300-prima-del-ripristino.MDB"_s,
                u"Rubrello-2026-12-10-100200-prima-del-ripristino.MDB"_s, u"Rubrello-2026-12-10.MDB"_s,
                u"Rubrello-2026-12-09.MDB"_s, u"Rubrello-2026-12-08.MDB"_s, u"Rubrello-2026-12-07.MDB"_s,
                u"Rubrello-2026-12-06.MDB"_s, u"Rubrello-2026-12-05.MDB"_s, u"Rubrello-2026-12-04.MDB"_s,
                u"Rubrello-2026-11-29.MDB"_s, u"Rubrello-2026-11-22.MDB"_s}));
        QCOMPARE(entries[0].kind, BackupKind::BeforeRestore);
        QCOMPARE(backupDateText(entries[0]), u"giovedì 10 dicembre 2026, 10:05"_s);
        QVERIFY(entries[5].good() && entries[5].kind == BackupKind::Daily);
        for (const QString &name : others)
            QCOMPARE(fileBytes(shelf.filePath(name)), QByteArray("altro"));
        QCOMPARE(fileNames(shelf.path()).size(), entries.size() + others.size());
    }

    // A file that is no store and a damaged copy are shown with their problem, and a restore of
    // either is refused before anything is written.
    void badCopiesAreRefused()
    {
        TestStore files;
        for (int i = 0; i < 300; ++i)
            files.add(
                u"Cognome%1"_s.arg(i), u"Nome"_s, {{Field::Note, u"Una nota di prova. "_s.repeated(10)}});
        QTemporaryDir shelf;
        QString error;
        QCOMPARE(takeDailyBackup(files.path(), shelf.path(), at(12, 1), &error), DailyBackup::Taken);
        QByteArray pages = fileBytes(shelf.filePath(u"Rubrello-2026-12-01.MDB"_s));
        QVERIFY(pages.size() > 16 * 4096);
        // A leaf in the middle whose cells all point at its first row: a count still reads 300 rows.
        const qsizetype leaf = pages.size() / 4096 / 2 * 4096;
        QCOMPARE(pages[leaf], '\x0d');
        for (int cell = 1; cell < 16; ++cell)
            pages.replace(leaf + 8 + 2 * cell, 2, pages.mid(leaf + 8, 2));
        writeBytes(shelf.filePath(u"Rubrello-2026-12-02.MDB"_s), pages);
        writeBytes(
            shelf.filePath(u"Rubrello-2026-12-03.MDB"_s), "BEGIN:VCARD\r\nVERSION:3.0\r\nEND:VCARD\r\n");
        runSqlElsewhere(shelf.filePath(u"Rubrello-2026-12-04.MDB"_s), {u"CREATE TABLE Altro (x)"_s});

        const std::vector<BackupEntry> listed = listBackups(shelf.path(), Thoroughness::Quick);
        const std::vector<BackupEntry> entries = listBackups(shelf.path(), Thoroughness::Thorough);
        QCOMPARE(entries.size(), size_t(4));
        QCOMPARE(entries[0].problem, u"non è un archivio di contatti"_s);
        QCOMPARE(entries[1].problem, u"non è un archivio di contatti"_s);
        QVERIFY2(entries[2].problem.startsWith(u"danneggiata: "_s), qPrintable(entries[2].problem));
        QVERIFY(entries[3].good() && entries[3].contacts == 300);
        QCOMPARE(newestGoodBackup(shelf.path())->path, entries[3].path);
        QVERIFY(listed[2].good()); // a count reads past this damage: the restore must check again

        const QByteArray store = fileBytes(files.path());
        for (int i = 0; i < 3; ++i) {
            QVERIFY(!restoreBackup(files.store(), listed[i], at(12, 5), &error));
            QVERIFY2(error.contains(entries[i].problem) && error.contains(u"non è stato modificato"_s),
                qPrintable(error));
        }
        QCOMPARE(fileBytes(files.path()), store);
        QCOMPARE(files.store().count(), 300);
        QCOMPARE(fileNames(shelf.path()).size(), 4);

        // A damaged store is not copied as a backup, but kept as it is before a restore replaces it.
        QTemporaryDir other;
        QVERIFY(!copyStore(entries[2].path, other.filePath(u"copia.MDB"_s), &error));
        QVERIFY2(error.contains(u"danneggiato"_s), qPrintable(error));
        QVERIFY(fileNames(other.path()).isEmpty());
        const QString kept = takeCopyBeforeRestore(entries[2].path, other.path(), at(12, 5), &error);
        QVERIFY2(QFileInfo(kept).isFile(), qPrintable(error));
        QCOMPARE(fileNames(other.path()), QStringList{QFileInfo(kept).fileName()});
    }

    // The store takes back the copy's contacts; what it held before is in a copy of its own.
    void restore()
    {
        TestStore files;
        const qint64 rossi = files.add(u"Rossi"_s, u"Anna"_s);
        QTemporaryDir shelf;
        QString error;
        QCOMPARE(takeDailyBackup(files.path(), shelf.path(), at(12, 1), &error), DailyBackup::Taken);
        files.add(u"Bianchi"_s, u"Bruno"_s);
        QVERIFY(files.store().remove(rossi));

        const BackupEntry daily = listBackups(shelf.path(), Thoroughness::Quick).at(0);
        QVERIFY2(restoreBackup(files.store(), daily, at(12, 2), &error), qPrintable(error));
        QCOMPARE(contactLines(files.store()), QStringList{u"Rossi, Anna"_s});
        files.add(u"Verdi"_s, u"Carlo"_s);

        const std::vector<BackupEntry> entries = listBackups(shelf.path(), Thoroughness::Thorough);
        QCOMPARE(entries.size(), size_t(2));
        QCOMPARE(entries[0].kind, BackupKind::BeforeRestore);
        const std::unique_ptr<ContactStore> before
            = ContactStore::open(entries[0].path, &error, ContactStore::Access::ReadOnly);
        QVERIFY2(before, qPrintable(error));
        QCOMPARE(contactLines(*before), QStringList{u"Bianchi, Bruno"_s});
    }
};

QTEST_GUILESS_MAIN(TestBackup)
#include "test_backup.moc"
