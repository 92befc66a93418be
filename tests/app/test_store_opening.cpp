// The question asked at start-up before an old Access file is moved into the program's store; the
// move itself is in test_jetmigration.
#include "app/StoreOpening.h"
#include "backup/BackupShelf.h"
#include "backup/StoreCopy.h"
#include "tests/support/ScriptedPlatform.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestStore.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Three contacts in the old file, none read: a declined move reads nothing.
struct ThreeRows : PhoneListReader
{
    qint64 rowCount() const override { return 3; }
    bool readRows(const RecordSink &, QString *) override { return false; }
};

} // namespace

class TestStoreOpening : public QObject
{
    Q_OBJECT
private slots:
    // The question says what would happen: how many contacts, where they go, where the old file
    // stays. No leaves the folder as it was.
    void questionNamesTheMoveAndNoDeclinesIt()
    {
        QTemporaryDir dir;
        const QString store = dir.filePath(QStringLiteral("Rubrello.MDB"));
        // Enough of a Jet file for the program to take it for one.
        const QByteArray jet = QByteArray("\x00\x01\x00\x00", 4) + "Standard Jet DB" + QByteArray(2029, 'j');
        writeBytes(store, jet);
        ScriptedPlatform platform;
        platform.messageAnswers.enqueue(MessageAnswer::No);
        const StorePreparation prepared = prepareStoreAsking(
            platform, store, [](const QString &, QString *) { return std::make_unique<ThreeRows>(); });
        QCOMPARE(prepared.outcome, StorePreparation::Declined);
        QCOMPARE(platform.messages.size(), 1);
        for (const char *part : {"3 contatti", "\"Rubrello.MDB\"", "\"Rubrello-jet.MDB\"", "invariato"})
            QVERIFY2(platform.messages[0].text.contains(QLatin1String(part)),
                qPrintable(platform.messages[0].text));
        // Declined, the folder holds the old file alone, byte for byte.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Rubrello.MDB"});
        QCOMPARE(fileBytes(store), jet);
    }

    // A store too damaged to open is not the end: the newest good backup takes its place once the
    // user agrees, and the damaged file stays beside it.
    void damagedStoreGivesWayToTheNewestGoodBackup()
    {
        TestStore good;
        good.add(QStringLiteral("Copia"), QStringLiteral("Buona"));
        good.close();
        QTemporaryDir program;
        const QString store = program.filePath(QStringLiteral("Rubrello.MDB"));
        const QByteArray damaged = QByteArray("SQLite format 3").leftJustified(4096, '\xee');
        writeBytes(store, damaged);
        QString error;
        QVERIFY2(
            copyStore(good.path(),
                backupFolderFor(store) + u'/' + dailyBackupName(QDate::currentDate().addDays(-1)), &error),
            qPrintable(error));

        ScriptedPlatform platform;
        platform.messageAnswers.enqueue(MessageAnswer::Yes);
        const std::unique_ptr<ContactStore> opened = openStoreOrExplain(platform, program.path());
        QVERIFY(opened);
        QCOMPARE(opened->count(), 1);
        QVERIFY2(platform.messages.value(0).text.contains(QLatin1String("1 contatto")),
            qPrintable(platform.messages.value(0).text));
        const QStringList aside
            = QDir(program.path()).entryList({QStringLiteral("Rubrello.MDB.danneggiato-*")});
        QCOMPARE(aside.size(), 1);
        QCOMPARE(fileBytes(program.filePath(aside.first())), damaged);
    }
};

QTEST_GUILESS_MAIN(TestStoreOpening)
#include "test_store_opening.moc"
