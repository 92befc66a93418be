#include "contacts/StoreMigration.h"

#include "contacts/ContactStore.h"
#include "contacts/SideFiles.h"
#include "platform/AtomicFile.h"
#include "platform/DataLocation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#endif

namespace {

// The store's name with text put before its extension: "Rubrello" + text + ".MDB", in the same folder.
QString besideStore(const QString &storePath, const QString &text)
{
    const QFileInfo info(storePath);
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString base = dot > 0 ? name.left(dot) : name;
    const QString extension = dot > 0 ? name.mid(dot) : QString();
    return info.dir().filePath(base + text + extension);
}

QString systemError(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

// A rename that replaces nothing: the backup name must never swallow a file that is already there.
bool renameWithoutReplacing(const QString &from, const QString &to, QString *error)
{
#ifdef Q_OS_LINUX
    if (::renameat2(AT_FDCWD, QFile::encodeName(from).constData(), AT_FDCWD,
            QFile::encodeName(to).constData(), RENAME_NOREPLACE)
        == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) {
        *error = systemError(errno);
        return false;
    }
#endif
    // A file system without that kind of rename: check first, the program is the only one writing here.
    if (QFileInfo::exists(to)) {
        *error = QStringLiteral("il file \"%1\" esiste già").arg(shownPath(to));
        return false;
    }
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0) {
        *error = systemError(errno);
        return false;
    }
    return true;
}

// One atomic step: the target name holds either its old file or the whole new one, never neither.
bool renameReplacing(const QString &from, const QString &to, QString *error)
{
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0) {
        *error = systemError(errno);
        return false;
    }
    return true;
}

// Leaves the database whole in its one file: the journal is folded in and SQLite's side files are gone,
// so the file can be renamed on its own.
bool closeIntoOneFile(const QString &path, QString *error)
{
    const QString connection
        = QStringLiteral("rubrello-move-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    QString mode;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(QStringLiteral("PRAGMA journal_mode=DELETE")) && query.next())
                mode = query.value(0).toString();
            else
                *error = query.lastError().text();
            query.finish();
        } else {
            *error = db.lastError().text();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    if (mode.compare(QStringLiteral("delete"), Qt::CaseInsensitive) != 0) {
        if (error->isEmpty())
            *error = QStringLiteral("il nuovo archivio non può essere chiuso in un solo file");
        return false;
    }
    for (const char *suffix : SideSuffixes) {
        if (QFileInfo::exists(path + QLatin1String(suffix))) {
            *error = QStringLiteral("resta il file \"%1\" accanto al nuovo archivio")
                         .arg(shownPath(path + QLatin1String(suffix)));
            return false;
        }
    }
    return true;
}

// Writes every row of source into a new store at path in one transaction.
bool copyRows(PhoneListReader &source, const QString &path, qint64 *copied, QString *error)
{
    QString reason;
    std::unique_ptr<ContactStore> store = ContactStore::open(path, &reason);
    if (!store) {
        *error = reason;
        return false;
    }
    ContactStore::Batch batch(*store);
    if (!batch.ok()) {
        *error = QStringLiteral("Il nuovo archivio non può essere scritto: %1.").arg(store->lastError());
        return false;
    }
    QSet<qint64> ids;
    const bool read = source.readRows(
        [&](const ContactRecord &record) {
            if (ids.contains(record.id)) {
                *error = QStringLiteral("Il contatto con ID %1 compare due volte nel vecchio archivio.")
                             .arg(record.id);
                return false;
            }
            ids.insert(record.id);
            if (!store->insertKeepingId(record)) {
                *error
                    = QStringLiteral("Il contatto con ID %1 non può essere scritto nel nuovo archivio: %2.")
                          .arg(record.id)
                          .arg(store->lastError());
                return false;
            }
            return true;
        },
        error);
    if (!read)
        return false;
    if (!batch.commit()) {
        *error = QStringLiteral("Il nuovo archivio non può essere scritto: %1.").arg(store->lastError());
        return false;
    }
    *copied = ids.size();
    return true;
}

} // namespace

bool isJetDatabaseFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray signature = file.read(19).mid(4);
    return signature == "Standard Jet DB" || signature == "Standard ACE DB";
}

QString migrationBuildPath(const QString &storePath)
{
    return besideStore(storePath, QStringLiteral("-nuovo-incompleto"));
}

QString migrationReadyPath(const QString &storePath)
{
    return besideStore(storePath, QStringLiteral("-nuovo"));
}

QString freeBackupPath(const QString &storePath)
{
    QString candidate = besideStore(storePath, QStringLiteral("-jet"));
    for (int number = 2; existsWithSideFiles(candidate); ++number)
        candidate = besideStore(storePath, QStringLiteral("-jet-%1").arg(number));
    return candidate;
}

bool verifyCopy(PhoneListReader &source, const QString &copyPath, QString *error)
{
    QString reason;
    std::unique_ptr<ContactStore> store = ContactStore::open(copyPath, &reason);
    if (!store) {
        *error = reason;
        return false;
    }
    bool ok = false;
    const std::vector<ContactRecord> rows = store->readAll(&ok);
    if (!ok) {
        *error = QStringLiteral("Il nuovo archivio non può essere riletto: %1.").arg(store->lastError());
        return false;
    }
    if (qint64(rows.size()) != source.rowCount()) {
        *error = QStringLiteral("Il nuovo archivio contiene %1 invece di %2.")
                     .arg(contactCount(qint64(rows.size())), contactCount(source.rowCount()));
        return false;
    }
    QHash<qint64, const ContactRecord *> copied;
    for (const ContactRecord &row : rows)
        copied.insert(row.id, &row);
    const bool same = source.readRows(
        [&](const ContactRecord &original) {
            const auto found = copied.constFind(original.id);
            if (found == copied.cend()) {
                *error = QStringLiteral("Il contatto con ID %1 manca nel nuovo archivio.").arg(original.id);
                return false;
            }
            if (!(**found == original)) {
                *error = QStringLiteral("Il contatto con ID %1 non si ritrova uguale nel nuovo archivio.")
                             .arg(original.id);
                return false;
            }
            copied.erase(found);
            return true;
        },
        error);
    if (!same)
        return false;
    if (!copied.isEmpty()) {
        *error = QStringLiteral("Il nuovo archivio contiene il contatto con ID %1, che il vecchio non ha.")
                     .arg(copied.begin().key());
        return false;
    }
    return true;
}

MigrationResult migrateToStore(const QString &storePath, PhoneListReader &source, const QString &backupPath,
    const MigrationStageHook &afterStage)
{
    MigrationResult result;
    result.backupPath = backupPath;
    const QString build = migrationBuildPath(storePath);
    const QString ready = migrationReadyPath(storePath);
    const QString unchanged
        = QStringLiteral(" L'archivio \"%1\" non è stato modificato.").arg(shownPath(storePath));
    auto fail = [&](const QString &reason) {
        removeWithSideFiles(build);
        removeWithSideFiles(ready);
        result.error
            = QStringLiteral("I contatti non sono stati copiati nel nuovo archivio. ") + reason + unchanged;
        return result;
    };
    auto interrupted = [&](MigrationStage stage) {
        if (!afterStage || afterStage(stage))
            return false;
        result.error = QStringLiteral("Copia interrotta.");
        return true;
    };

    if (!QFileInfo(storePath).isFile())
        return fail(QStringLiteral("Il file \"%1\" non c'è.").arg(shownPath(storePath)));
    if (existsWithSideFiles(backupPath))
        return fail(QStringLiteral("Il nome \"%1\", scelto per conservare il vecchio archivio, è già usato.")
                        .arg(shownPath(backupPath)));
    // What is left of an earlier attempt is never the store's only copy: the old file still has its name.
    if (!removeWithSideFiles(build) || !removeWithSideFiles(ready))
        return fail(
            QStringLiteral("Il file \"%1\" lasciato da un tentativo precedente non può essere eliminato.")
                .arg(shownPath(existsWithSideFiles(build) ? build : ready)));

    QString reason;
    if (!copyRows(source, build, &result.copied, &reason))
        return fail(reason);
    if (interrupted(MigrationStage::Copied))
        return result;
    if (!verifyCopy(source, build, &reason))
        return fail(QStringLiteral("La verifica della copia non è riuscita. ") + reason);
    if (interrupted(MigrationStage::Verified))
        return result;
    if (!closeIntoOneFile(build, &reason) || !renameReplacing(build, ready, &reason))
        return fail(QStringLiteral("Il nuovo archivio non può essere chiuso: %1.").arg(reason));
    syncDirectoryOf(storePath);
    if (interrupted(MigrationStage::Ready))
        return result;

    if (!renameWithoutReplacing(storePath, backupPath, &reason))
        return fail(QStringLiteral("Il vecchio archivio non può essere rinominato \"%1\": %2.")
                        .arg(QFileInfo(backupPath).fileName(), reason));
    syncDirectoryOf(storePath);
    if (interrupted(MigrationStage::OldKept))
        return result;

    if (!renameReplacing(ready, storePath, &reason)) {
        QString undoReason;
        if (renameWithoutReplacing(backupPath, storePath, &undoReason)) {
            syncDirectoryOf(storePath);
            return fail(QStringLiteral("Il nuovo archivio non può prendere il nome \"%1\": %2.")
                            .arg(QFileInfo(storePath).fileName(), reason));
        }
        // Both files are whole; the next start gives the copy the store's name.
        result.error
            = QStringLiteral("Il nuovo archivio non può prendere il nome \"%1\" (%2). Il vecchio archivio "
                             "è conservato, invariato, come \"%3\" e i contatti copiati sono in \"%4\": "
                             "al prossimo avvio Rubrello completerà lo spostamento.")
                  .arg(QFileInfo(storePath).fileName(), reason, shownPath(backupPath), shownPath(ready));
        return result;
    }
    syncDirectoryOf(storePath);
    if (interrupted(MigrationStage::Installed))
        return result;
    result.ok = true;
    return result;
}

RecoveryResult recoverInterruptedMigration(const QString &storePath)
{
    RecoveryResult result;
    const QString build = migrationBuildPath(storePath);
    const QString ready = migrationReadyPath(storePath);
    // A copy still being built was never checked: it is of no use, whatever else happened.
    if (existsWithSideFiles(build))
        removeWithSideFiles(build);
    if (!QFileInfo::exists(ready))
        return result;

    QString reason;
    if (!QFileInfo::exists(storePath)) {
        // The old file already has its backup name: the checked copy takes the store's.
        if (!renameReplacing(ready, storePath, &reason)) {
            result.error = QStringLiteral("La copia dei contatti interrotta all'ultimo avvio non può essere "
                                          "completata: il file \"%1\" non può essere rinominato \"%2\" (%3).")
                               .arg(shownPath(ready), QFileInfo(storePath).fileName(), reason);
            return result;
        }
        syncDirectoryOf(storePath);
        result.outcome = RecoveryResult::Completed;
        return result;
    }
    if (isJetDatabaseFile(storePath)) {
        // The old file never moved; the copy is made again after the user is asked again.
        removeWithSideFiles(ready);
        result.outcome = RecoveryResult::Discarded;
    }
    return result;
}

StorePreparation prepareStoreFile(
    const QString &storePath, const MoveConfirmation &confirmMove, const PhoneListOpener &openPhoneList)
{
    StorePreparation result;
    const RecoveryResult recovery = recoverInterruptedMigration(storePath);
    if (!recovery.error.isEmpty())
        return {StorePreparation::Failed, recovery.error};
    result.interruptedMoveCompleted = recovery.outcome == RecoveryResult::Completed;
    if (!isJetDatabaseFile(storePath))
        return result;

    std::unique_ptr<PhoneListReader> source = openPhoneList(storePath, &result.error);
    if (!source) {
        result.outcome = StorePreparation::Failed;
        return result;
    }
    const QString backup = freeBackupPath(storePath);
    if (!confirmMove({storePath, source->rowCount(), backup})) {
        result.outcome = StorePreparation::Declined;
        return result;
    }
    const MigrationResult moved = migrateToStore(storePath, *source, backup);
    if (!moved.ok) {
        result.outcome = StorePreparation::Failed;
        result.error = moved.error;
    }
    return result;
}

QString contactCount(qint64 count)
{
    return count == 1 ? QStringLiteral("1 contatto")
                      : QStringLiteral("%1 contatti").arg(QLocale().toString(count));
}
