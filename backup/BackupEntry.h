// One copy of the store in its backup folder: its kind and when it was taken, both read from its
// name, and what it holds.
#pragma once

#include <QDateTime>
#include <QString>

#include <optional>
#include <vector>

// A copy the program takes once a day, or one of the store as it was just before a restore.
enum class BackupKind { Daily, BeforeRestore };

// Quick opens a copy and counts its contacts; Thorough also reads every page (SQLite's quick check),
// which a restore needs and a listing can do without.
enum class Thoroughness { Quick, Thorough };

struct BackupEntry
{
    QString path;
    // Local time. A daily copy's name holds only the day: its time is the start of that day.
    QDateTime taken;
    BackupKind kind = BackupKind::Daily;
    qint64 contacts = 0;
    // Why the copy cannot be restored, in Italian ("non è un archivio di contatti",
    // "danneggiata: ..."); empty for a good copy, which is the only kind whose count means anything.
    QString problem;

    bool good() const { return problem.isEmpty(); }
};

// "Rubrello-2026-12-07.MDB"
QString dailyBackupName(QDate day);
// "Rubrello-2026-12-07-093000-prima-del-ripristino.MDB"
QString beforeRestoreBackupName(const QDateTime &taken);

// The copy at path as its name describes it, not yet examined; nothing for a name the program does
// not give, so that other files in the folder are never listed nor removed.
std::optional<BackupEntry> backupNamed(const QString &path);
// The copies in folder by their names alone, newest first.
std::vector<BackupEntry> backupsIn(const QString &folder);

// Reads the copy's file: its count of contacts, or its problem. The file is only read.
void examineBackup(BackupEntry &entry, Thoroughness thoroughness);

// "lunedì 7 dicembre 2026, 09:30"; only the day for a daily copy.
QString backupDateText(const BackupEntry &entry);
// "automatica", "prima del ripristino"
QString backupKindText(BackupKind kind);
