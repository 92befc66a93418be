#include "backup/BackupRestore.h"

#include "backup/BackupShelf.h"
#include "backup/StoreCopy.h"
#include "contacts/ContactStore.h"
#include "contacts/SideFiles.h"
#include "platform/DataLocation.h"

#include <QFile>
#include <QFileInfo>

namespace {

// What the listing found may be old: the file is read again, every page of it.
bool checkedAgain(const BackupEntry &entry, QString *error)
{
    BackupEntry checked = entry;
    examineBackup(checked, Thoroughness::Thorough);
    if (checked.good())
        return true;
    *error = QStringLiteral("La copia di sicurezza di %1 non può essere ripristinata (%2). L'archivio dei "
                            "contatti non è stato modificato.")
                 .arg(backupDateText(entry), checked.problem);
    return false;
}

// The store's file and the logs SQLite may keep beside it.
QStringList storeFileSuffixes()
{
    QStringList suffixes{QString()};
    for (const char *suffix : SideSuffixes)
        suffixes.append(QLatin1String(suffix));
    return suffixes;
}

} // namespace

bool restoreBackup(ContactStore &store, const BackupEntry &entry, const QDateTime &now, QString *error)
{
    if (!checkedAgain(entry, error))
        return false;
    if (!store.readOnlyReason().isEmpty()) {
        *error = QStringLiteral("La copia di sicurezza di %1 non può essere ripristinata: l'archivio dei "
                                "contatti \"%2\" può essere solo letto (%3).")
                     .arg(backupDateText(entry), shownPath(store.path()), store.readOnlyReason());
        return false;
    }
    QString reason;
    const QString kept
        = takeCopyBeforeRestore(store.path(), QFileInfo(entry.path).absolutePath(), now, &reason);
    if (kept.isEmpty()) {
        *error = reason
            + QStringLiteral(
                "\n\nLa copia di sicurezza di %1 non è stata ripristinata: l'archivio dei contatti "
                "non è stato modificato.")
                  .arg(backupDateText(entry));
        return false;
    }
    if (!store.replaceWith(entry.path, &reason)) {
        *error
            = QStringLiteral("Impossibile ripristinare la copia di sicurezza di %1: %2. I contatti com'erano "
                             "prima del ripristino sono conservati nella copia \"%3\".")
                  .arg(backupDateText(entry), reason, shownPath(kept));
        return false;
    }
    return true;
}

QString damagedStoreName(const QString &storePath, const QDateTime &now)
{
    return storePath + QStringLiteral(".danneggiato-") + now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
}

bool restoreBackupInPlaceOf(
    const QString &storePath, const BackupEntry &entry, const QDateTime &now, QString *error)
{
    if (!checkedAgain(entry, error))
        return false;
    const QString aside = damagedStoreName(storePath, now);
    QStringList moved;
    const auto putBack = [&] {
        for (const QString &suffix : moved)
            QFile::rename(aside + suffix, storePath + suffix);
    };
    for (const QString &suffix : storeFileSuffixes()) {
        if (!QFileInfo::exists(storePath + suffix))
            continue;
        if (!QFile::rename(storePath + suffix, aside + suffix)) {
            putBack();
            *error = QStringLiteral("Impossibile mettere da parte l'archivio danneggiato \"%1\": la copia di "
                                    "sicurezza non è stata ripristinata.")
                         .arg(shownPath(storePath));
            return false;
        }
        moved.append(suffix);
    }
    QString reason;
    if (!copyStore(entry.path, storePath, &reason)) {
        putBack();
        *error = reason + QStringLiteral("\n\nL'archivio danneggiato è rimasto com'era.");
        return false;
    }
    return true;
}
