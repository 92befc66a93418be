#include "backup/BackupRestore.h"

#include "backup/BackupShelf.h"
#include "contacts/ContactStore.h"
#include "platform/DataLocation.h"

#include <QFileInfo>

bool restoreBackup(ContactStore &store, const BackupEntry &entry, const QDateTime &now, QString *error)
{
    // What the listing found may be old: the file is read again, every page of it.
    BackupEntry checked = entry;
    examineBackup(checked, Thoroughness::Thorough);
    if (!checked.good()) {
        *error
            = QStringLiteral("La copia di sicurezza di %1 non può essere ripristinata (%2). L'archivio dei "
                             "contatti non è stato modificato.")
                  .arg(backupDateText(entry), checked.problem);
        return false;
    }
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
