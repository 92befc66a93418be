// Brings the tables beside PhoneList up to date for the contacts in their log.
#pragma once

class QString;
struct sqlite3;

enum class LookupProgress { Done, MoreLeft, Failed };

// Takes up to maxRows contacts out of the log, writing their entries anew from PhoneList (or
// removing them, for a contact no longer there), inside the caller's write transaction. The tables
// must be intact. Failed, with the reason in error, leaves the transaction to be rolled back.
LookupProgress applyLoggedChanges(sqlite3 *db, int maxRows, QString *error);

// The same within a write of the store's, as its last step: never fails the write. Nothing is done
// when the tables are missing or too many contacts wait (a large import): that is left to
// LookupBuilder. MoreLeft or Failed tell that it should be called.
LookupProgress applyWithinWrite(sqlite3 *db);
