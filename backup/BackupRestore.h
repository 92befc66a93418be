// A backup put in the place of the store's contents, once what the store held is kept.
#pragma once

#include "backup/BackupEntry.h"

#include <QDateTime>
#include <QString>

class ContactStore;

// Checks the copy of entry thoroughly, copies the store as it is now beside entry (a copy before a
// restore, taken at now), then replaces the store's tables with the copy's. A copy that is no good
// and a failure to keep the store first are refused with the store untouched. False with the reason
// in error (Italian).
bool restoreBackup(ContactStore &store, const BackupEntry &entry, const QDateTime &now, QString *error);
