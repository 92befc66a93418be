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

// The name the damaged file at storePath is kept under once a backup takes its place.
QString damagedStoreName(const QString &storePath, const QDateTime &now);

// For a store so damaged that it cannot be opened: the file (with its log) is kept aside under
// damagedStoreName, and the checked copy of entry takes its place. Nothing may have the store open.
// On failure the damaged file is put back as it was; false with the reason in error.
bool restoreBackupInPlaceOf(
    const QString &storePath, const BackupEntry &entry, const QDateTime &now, QString *error);
