// Finding and opening the contact store at start-up, with a message when that cannot be done.
#pragma once

#include "contacts/ContactStore.h"

class Platform;

// The store "Rubrello.MDB" beside the program or in the user's data directory. On failure the
// reason is shown and null returned: the program then ends without touching the file.
std::unique_ptr<ContactStore> openStoreOrExplain(Platform &platform, const QString &programDir);
