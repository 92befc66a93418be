// Moving an old Jet (Access) "Rubrello.MDB" into the program's own store, and finishing a move that a
// crash interrupted. At every moment the store's name holds either the old file or the finished new one.
#pragma once

#include "contacts/JetReader.h"

#include <QString>

#include <functional>

// True when the file starts like a Jet 3/4 or ACE database.
bool isJetDatabaseFile(const QString &path);

// The copy while it is being built and checked: never used, removed at the next start.
QString migrationBuildPath(const QString &storePath);
// The copy once checked and closed, waiting to take the store's name.
QString migrationReadyPath(const QString &storePath);
// "Rubrello-jet.MDB" beside the store, or "Rubrello-jet-2.MDB" and on when that name is taken.
QString freeBackupPath(const QString &storePath);

// The points the move passes, each one on disk when reached.
enum class MigrationStage {
    Copied, // every row is in the copy
    Verified, // the copy has been read back equal to the source
    Ready, // the copy is closed, in one file, under its waiting name
    OldKept, // the old file has its backup name; the store's name is free
    Installed // the copy has the store's name
};
// Called after each stage; returning false stops the move right there, as a crash would (for tests).
using MigrationStageHook = std::function<bool(MigrationStage)>;

struct MigrationResult
{
    bool ok = false;
    QString error; // Italian, saying what happened to the old file
    qint64 copied = 0;
    QString backupPath;
};

// Copies every row of source, ids kept, into a new store beside storePath, checks it against a second
// reading of the source, and then puts it in place: the old file (storePath) is renamed to backupPath, the
// new store to storePath. On failure the old file keeps its name and the copy is removed.
MigrationResult migrateToStore(const QString &storePath, PhoneListReader &source, const QString &backupPath,
    const MigrationStageHook &afterStage = {});

// Compares the store at copyPath with the rows of source: the same number and each one equal, Nulls
// and ids included. False with error set (Italian) at the first difference.
bool verifyCopy(PhoneListReader &source, const QString &copyPath, QString *error);

struct RecoveryResult
{
    enum Outcome {
        NothingToDo,
        Completed, // an interrupted move was finished: the store is the copy
        Discarded // a copy left before the old file moved was removed: the store is the old file
    };
    Outcome outcome = NothingToDo;
    QString error; // non-empty when the files could not be put right
};

// Puts right what an interrupted move left beside storePath; to be run before the store is opened.
RecoveryResult recoverInterruptedMigration(const QString &storePath);

struct StorePreparation
{
    enum Outcome {
        Ready, // storePath can be opened as the program's store
        Declined, // the user chose not to move the old file: nothing was touched
        Failed // error says why (Italian)
    };
    Outcome outcome = Ready;
    QString error;
    // A move that the last run left half done was finished: the user should be told.
    bool interruptedMoveCompleted = false;
};

// What the user is asked about before an old Access file is moved into the program's store.
struct MoveProposal
{
    QString storePath;
    qint64 contacts = 0;
    QString backupPath; // where the old file will stay
};
// True when the user agrees to the move.
using MoveConfirmation = std::function<bool(const MoveProposal &)>;

// What start-up does before opening the store: finish an interrupted move, and when storePath is a Jet
// file, read it, ask the user through confirmMove and move it into the program's store.
StorePreparation prepareStoreFile(const QString &storePath, const MoveConfirmation &confirmMove,
    const PhoneListOpener &openPhoneList = openJetPhoneList);

// "1 contatto", "5 contatti".
QString contactCount(qint64 count);
