#include "app/StoreOpening.h"

#include "platform/DataLocation.h"
#include "platform/Platform.h"

std::unique_ptr<ContactStore> openStoreOrExplain(Platform &platform, const QString &programDir)
{
    const DataFileLocation location = locateDataFile(programDir, QStringLiteral("Rubrello.MDB"));
    if (location.path.isEmpty()) {
        platform.showMessage(location.error, MessageIcon::Exclamation);
        return nullptr;
    }
    QString error;
    std::unique_ptr<ContactStore> store = ContactStore::open(location.path, &error);
    if (!store)
        platform.showMessage(error + QStringLiteral("\n\nIl programma termina."), MessageIcon::Exclamation);
    return store;
}
