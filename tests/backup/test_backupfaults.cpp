// A copy on a full disk: it fails saying so, and neither the store nor the older copies change.
#include "backup/BackupRestore.h"
#include "backup/BackupShelf.h"
#include "tests/reliability/SystemFaults.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestStore.h"

#include <QDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestBackupFaults : public QObject
{
    Q_OBJECT
private slots:
    void diskFull()
    {
        ScratchMount disk(u"256k"_s);
        if (!disk.mounted())
            QSKIP("mounting a small tmpfs needs root");
        TestStore files;
        for (int i = 0; i < 100; ++i)
            files.add(
                u"Cognome%1"_s.arg(i), u"Nome"_s, {{Field::Note, u"Una nota di prova. "_s.repeated(10)}});
        const QString shelf = disk.filePath(u"copie"_s);
        QString error;
        QCOMPARE(takeDailyBackup(files.path(), shelf, QDateTime(QDate(2026, 12, 1), QTime(9, 0)), &error),
            DailyBackup::Taken);
        const QString earlier = shelf + u"/Rubrello-2026-12-01.MDB"_s;
        const QByteArray earlierBytes = fileBytes(earlier);
        const QByteArray store = fileBytes(files.path());
        QVERIFY(fillUp(disk.filePath(u"zavorra"_s)));

        QCOMPARE(takeDailyBackup(files.path(), shelf, QDateTime(QDate(2026, 12, 2), QTime(9, 0)), &error),
            DailyBackup::Failed);
        QVERIFY2(error.contains(u"pieno"_s), qPrintable(error));
        BackupEntry entry = *backupNamed(earlier);
        QVERIFY(!restoreBackup(files.store(), entry, QDateTime(QDate(2026, 12, 2), QTime(10, 0)), &error));
        QVERIFY2(
            error.contains(u"pieno"_s) && error.contains(u"non è stato modificato"_s), qPrintable(error));
        QCOMPARE(
            QDir(shelf).entryList(QDir::Files | QDir::Hidden), QStringList{u"Rubrello-2026-12-01.MDB"_s});
        QCOMPARE(fileBytes(earlier), earlierBytes);
        QCOMPARE(fileBytes(files.path()), store);
        QCOMPARE(files.store().count(), 100);

        // With room again, the day's copy goes through.
        QVERIFY(QFile::remove(disk.filePath(u"zavorra"_s)));
        QCOMPARE(takeDailyBackup(files.path(), shelf, QDateTime(QDate(2026, 12, 2), QTime(9, 0)), &error),
            DailyBackup::Taken);
    }
};

QTEST_GUILESS_MAIN(TestBackupFaults)
#include "test_backupfaults.moc"
