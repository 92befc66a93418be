// Finding and opening the contact store at start-up, with a message when that cannot be done.
#pragma once

#include "contacts/ContactStore.h"

#include "contacts/StoreMigration.h"

class Platform;

// The store "Rubrello.MDB" beside the program or in the user's data directory. An old Jet (Access) file
// of that name is moved into the program's store first, once the user agrees. On failure the reason is
// shown and null returned, as when the user declines: the program then ends without touching the file.
// What the opening has to tell (a crash's log kept aside, a store that can only be read) is shown; damage
// the store's check finds later is the window's to tell.
std::unique_ptr<ContactStore> openStoreOrExplain(Platform &platform, const QString &programDir);

// The store's preparation as start-up runs it: the user is asked before an old Access file is moved
// and told when a move the last run left half done was finished.
StorePreparation prepareStoreAsking(
    Platform &platform, const QString &storePath, const PhoneListOpener &openPhoneList = openJetPhoneList);
