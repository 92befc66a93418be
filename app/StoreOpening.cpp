#include "app/StoreOpening.h"

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
    std::unique_ptr<ContactStore> store = ContactStore::open(location.path, &error);
    if (!store) {
        platform.showMessage(error + ending, MessageIcon::Exclamation);
        return nullptr;
    }
    for (const QString &notice : store->notices())
        platform.showMessage(notice, MessageIcon::Exclamation);
    return store;
}
