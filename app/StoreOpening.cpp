#include "app/StoreOpening.h"

#include "contacts/StoreMigration.h"
#include "platform/DataLocation.h"
#include "platform/Platform.h"

std::unique_ptr<ContactStore> openStoreOrExplain(Platform &platform, const QString &programDir)
{
    const QString ending = QStringLiteral("\n\nIl programma termina.");
    const DataFileLocation location = locateDataFile(programDir, QStringLiteral("Rubrello.MDB"));
    if (location.path.isEmpty()) {
        platform.showMessage(location.error, MessageIcon::Exclamation);
        return nullptr;
    }
    const StorePreparation prepared = prepareStoreFile(platform, location.path);
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
    // The check of every page ends once the window shows; damage is told then.
    store->setDamageHandler(
        [&platform](const QString &message) { platform.showMessage(message, MessageIcon::Exclamation); });
    return store;
}
