// The folder of one store's backups: where it is, what it holds, and the copies the program puts in
// it, one a day and one before every restore.
#pragma once

#include "backup/BackupEntry.h"

#include <QDateTime>
#include <QString>

#include <optional>
#include <vector>

// "Copie di sicurezza/Rubrello-1a2b3c4d" in the user's data folder, created when missing: the name
// of the store's file and a digest of its full path, so that two stores of the same name never mix
// their copies. Empty when the user has no data folder.
QString backupFolderFor(const QString &storePath);

// The copies in folder, newest first, each with its count of contacts or its problem.
std::vector<BackupEntry> listBackups(const QString &folder, Thoroughness thoroughness);

// The newest copy that passes the thorough check: what to offer when the store is found damaged.
std::optional<BackupEntry> newestGoodBackup(const QString &folder);

enum class DailyBackup { Taken, AlreadyToday, Failed };
// Copies the store into folder unless a copy of the day of now (local time) is already there (with
// replaceToday, that copy is taken again), then rotates the folder's copies. After a failure (the
// reason in error, in Italian) the copies already there stay as they were.
DailyBackup takeDailyBackup(const QString &storePath, const QString &folder, const QDateTime &now,
    QString *error, bool replaceToday = false);

// Copies the store into folder as it is before a restore, even when it is damaged, and keeps only
// the newest such copies. Returns the copy's path, or an empty one with the reason in error.
QString takeCopyBeforeRestore(
    const QString &storePath, const QString &folder, const QDateTime &now, QString *error);
