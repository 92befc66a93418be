#include "app/StoreOpening.h"

#include "backup/BackupRestore.h"
#include "backup/BackupShelf.h"
#include "contacts/StoreMigration.h"
#include "platform/DataLocation.h"
#include "platform/Platform.h"

#include <QFileInfo>

namespace {

bool askToMoveOldStore(Platform &platform, const MoveProposal &proposal)
{
    const QString question
        = QStringLiteral(
            "L'archivio dei contatti \"%1\" è nel formato di Microsoft Access (Jet) delle versioni "
            "precedenti di Rubrello e contiene %2.\n\n"
            "Rubrello copierà tutti i contatti nel proprio archivio, che d'ora in poi si chiamerà "
            "\"%3\"; il vecchio file resterà invariato nella stessa cartella con il nome \"%4\".\n\n"
            "Copiare adesso i contatti? Rispondendo No il programma termina senza modificare nulla.")
              .arg(shownPath(proposal.storePath), contactCount(proposal.contacts),
                  QFileInfo(proposal.storePath).fileName(), QFileInfo(proposal.backupPath).fileName());
    const MessageAnswer answer = platform.messageBox(
        {question, {}, MessageButtons::YesNo, MessageIcon::Question, MessageAnswer::Yes});
    return answer == MessageAnswer::Yes;
}

// A store too damaged to open: the newest good backup is offered in its place.
bool restoreNewestBackupAsking(Platform &platform, const QString &storePath, const QString &failure)
{
    const std::optional<BackupEntry> newest = newestGoodBackup(backupFolderFor(storePath));
    if (!newest)
        return false;
    const QDateTime now = QDateTime::currentDateTime();
    const QString question = failure
        + QStringLiteral("\n\nLa copia di sicurezza più recente in buono stato è di %1 e contiene %2. "
                         "Ripristinarla adesso? L'archivio danneggiato resterà nella stessa cartella con il "
                         "nome \"%3\".")
              .arg(backupDateText(*newest), contactCount(newest->contacts),
                  QFileInfo(damagedStoreName(storePath, now)).fileName());
    if (platform.messageBox({question, {}, MessageButtons::YesNo, MessageIcon::Question, MessageAnswer::Yes})
        != MessageAnswer::Yes)
        return false;
    QString error;
    if (restoreBackupInPlaceOf(storePath, *newest, now, &error))
        return true;
    platform.showMessage(error, MessageIcon::Exclamation);
    return false;
}

} // namespace

StorePreparation prepareStoreAsking(
    Platform &platform, const QString &storePath, const PhoneListOpener &openPhoneList)
{
    const StorePreparation prepared = prepareStoreFile(
        storePath,
        [&platform](const MoveProposal &proposal) { return askToMoveOldStore(platform, proposal); },
        openPhoneList);
    if (prepared.interruptedMoveCompleted)
        platform.showMessage(QStringLiteral("La copia dei contatti dal vecchio archivio di Microsoft Access, "
                                            "interrotta all'ultimo avvio, è stata completata."),
            MessageIcon::Information);
    return prepared;
}

std::unique_ptr<ContactStore> openStoreOrExplain(Platform &platform, const QString &programDir)
{
    const QString ending = QStringLiteral("\n\nIl programma termina.");
    const DataFileLocation location = locateDataFile(programDir, QStringLiteral("Rubrello.MDB"));
    if (location.path.isEmpty()) {
        platform.showMessage(location.error, MessageIcon::Exclamation);
        return nullptr;
    }
    const StorePreparation prepared = prepareStoreAsking(platform, location.path);
    switch (prepared.outcome) {
    case StorePreparation::Declined:
        return nullptr;
    case StorePreparation::Failed:
        platform.showMessage(prepared.error + ending, MessageIcon::Exclamation);
        return nullptr;
    case StorePreparation::Ready:
        break;
    }
    QString error;
    bool damaged = false;
    std::unique_ptr<ContactStore> store
        = ContactStore::open(location.path, &error, ContactStore::Access::ReadWrite, &damaged);
    if (!store && damaged && restoreNewestBackupAsking(platform, location.path, error))
        store = ContactStore::open(location.path, &error);
    if (!store) {
        platform.showMessage(error + ending, MessageIcon::Exclamation);
        return nullptr;
    }
    for (const QString &notice : store->notices())
        platform.showMessage(notice, MessageIcon::Exclamation);
    return store;
}
