// Brings the tables beside PhoneList up to date for the contacts in their log.
#pragma once

#include "lookup/LookupEntry.h"

#include <QByteArray>

#include <optional>
#include <unordered_map>
#include <vector>

class QString;
struct sqlite3;

enum class LookupProgress { Done, MoreLeft, Failed };

// Entries made ahead of a write, outside its transaction, for contacts of the log as they stood
// then: parsing numbers takes long enough that a save in the window should not wait for it.
struct PreparedEntry
{
    std::vector<std::optional<QByteArray>> fields; // the searched fields as read
    LookupEntry entry;
};
using PreparedEntries = std::unordered_map<qint64, PreparedEntry>;
PreparedEntries prepareLoggedChanges(sqlite3 *db, int maxRows);

// Takes up to maxRows contacts out of the log, writing their entries anew from PhoneList (or
// removing them, for a contact no longer there), inside the caller's write transaction. The tables
// must be intact. An entry prepared for a contact whose fields are still as read is used as it is.
// Failed, with the reason in error, leaves the transaction to be rolled back.
LookupProgress applyLoggedChanges(
    sqlite3 *db, int maxRows, QString *error, const PreparedEntries &prepared = {});

// The same within a write of the store's, as its last step: never fails the write. Nothing is done
// when the tables are missing or too many contacts wait (a large import): that is left to
// LookupBuilder. MoreLeft or Failed tell that it should be called.
LookupProgress applyWithinWrite(sqlite3 *db);
