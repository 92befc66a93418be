#include "backup/BackupShelf.h"

#include "backup/BackupRotation.h"
#include "backup/StoreCopy.h"
#include "platform/DataLocation.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

bool makeFolder(const QString &storePath, const QString &folder, QString *error)
{
    if (!folder.isEmpty() && QDir().mkpath(folder))
        return true;
    *error = QStringLiteral("Impossibile fare la copia di sicurezza dell'archivio dei contatti \"%1\": %2.")
                 .arg(shownPath(storePath),
                     folder.isEmpty() ? QStringLiteral("la cartella dei dati dell'utente non è disponibile")
                                      : QStringLiteral("la cartella \"%1\" non può essere creata")
                                            .arg(QDir::toNativeSeparators(folder)));
    return false;
}

} // namespace

QString backupFolderFor(const QString &storePath)
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (data.isEmpty())
        return {};
    // The same store reached through a link or a relative path is still the same store.
    const QFileInfo store(storePath);
    const QString identity
        = store.exists() ? store.canonicalFilePath() : QDir::cleanPath(store.absoluteFilePath());
    const QByteArray digest = QCryptographicHash::hash(identity.toUtf8(), QCryptographicHash::Sha256).toHex();
    const QString folder = QDir(data).filePath(
        QStringLiteral("Copie di sicurezza/%1-%2")
            .arg(QFileInfo(identity).completeBaseName(), QString::fromLatin1(digest.left(8))));
    QDir().mkpath(folder);
    return folder;
}

std::vector<BackupEntry> listBackups(const QString &folder, Thoroughness thoroughness)
{
    std::vector<BackupEntry> entries = backupsIn(folder);
    for (BackupEntry &entry : entries)
        examineBackup(entry, thoroughness);
    return entries;
}

std::optional<BackupEntry> newestGoodBackup(const QString &folder)
{
    for (BackupEntry &entry : backupsIn(folder)) {
        examineBackup(entry, Thoroughness::Thorough);
        if (entry.good())
            return entry;
    }
    return std::nullopt;
}

DailyBackup takeDailyBackup(
    const QString &storePath, const QString &folder, const QDateTime &now, QString *error, bool replaceToday)
{
    const QString target = QDir(folder).filePath(dailyBackupName(now.toLocalTime().date()));
    if (!replaceToday && QFileInfo::exists(target))
        return DailyBackup::AlreadyToday;
    if (!makeFolder(storePath, folder, error) || !copyStore(storePath, target, error))
        return DailyBackup::Failed;
    rotateBackups(folder, target);
    return DailyBackup::Taken;
}

QString takeCopyBeforeRestore(
    const QString &storePath, const QString &folder, const QDateTime &now, QString *error)
{
    if (!makeFolder(storePath, folder, error))
        return {};
    // Two restores within a second must not leave one copy in place of two.
    QDateTime taken = now.toLocalTime();
    QString target = QDir(folder).filePath(beforeRestoreBackupName(taken));
    while (QFileInfo::exists(target)) {
        taken = taken.addSecs(1);
        target = QDir(folder).filePath(beforeRestoreBackupName(taken));
    }
    if (!copyStore(storePath, target, error, CopyCheck::KeepEvenIfDamaged))
        return {};
    rotateBackups(folder, target);
    return target;
}
