#include "backup/BackupEntry.h"

#include "backup/SqliteFile.h"
#include "contacts/SqliteRows.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

#include <sqlite3.h>

#include <algorithm>

namespace {

const QString DayFormat = QStringLiteral("yyyy-MM-dd");
const QString TimeFormat = QStringLiteral("HHmmss");

const QRegularExpression &backupNamePattern()
{
    static const QRegularExpression pattern(
        QStringLiteral("^Rubrello-(\\d{4}-\\d{2}-\\d{2})(?:-(\\d{6})-prima-del-ripristino)?\\.MDB$"));
    return pattern;
}

QString problemOf(int code, const QString &reason)
{
    switch (code & 0xff) {
    case SQLITE_NOTADB:
    case SQLITE_ERROR: // no PhoneList
        return QStringLiteral("non è un archivio di contatti");
    case SQLITE_CORRUPT:
    case SQLITE_OK:
    case SQLITE_DONE: // the quick check ran and found faults
        return QStringLiteral("danneggiata: %1").arg(reason);
    default:
        return QStringLiteral("illeggibile: %1").arg(reason);
    }
}

} // namespace

QString dailyBackupName(QDate day)
{
    return QStringLiteral("Rubrello-%1.MDB").arg(day.toString(DayFormat));
}

QString beforeRestoreBackupName(const QDateTime &taken)
{
    return QStringLiteral("Rubrello-%1-%2-prima-del-ripristino.MDB")
        .arg(taken.date().toString(DayFormat), taken.time().toString(TimeFormat));
}

std::optional<BackupEntry> backupNamed(const QString &path)
{
    const QRegularExpressionMatch match = backupNamePattern().match(QFileInfo(path).fileName());
    if (!match.hasMatch())
        return std::nullopt;
    const QDate day = QDate::fromString(match.captured(1), DayFormat);
    BackupEntry entry;
    entry.path = path;
    if (match.hasCaptured(2)) {
        // QDateTime would take an impossible time as midnight.
        const QTime time = QTime::fromString(match.captured(2), TimeFormat);
        if (!time.isValid())
            return std::nullopt;
        entry.kind = BackupKind::BeforeRestore;
        entry.taken = QDateTime(day, time);
    } else {
        entry.taken = day.startOfDay();
    }
    if (!entry.taken.isValid())
        return std::nullopt;
    return entry;
}

std::vector<BackupEntry> backupsIn(const QString &folder)
{
    const QDir dir(folder);
    std::vector<BackupEntry> entries;
    for (const QString &name : dir.entryList(QDir::Files)) {
        if (std::optional<BackupEntry> entry = backupNamed(dir.filePath(name)))
            entries.push_back(std::move(*entry));
    }
    // A copy before a restore at midnight and that day's daily copy: the daily one was taken first.
    std::sort(entries.begin(), entries.end(), [](const BackupEntry &a, const BackupEntry &b) {
        return std::pair(a.taken, a.kind == BackupKind::BeforeRestore)
            > std::pair(b.taken, b.kind == BackupKind::BeforeRestore);
    });
    return entries;
}

void examineBackup(BackupEntry &entry, Thoroughness thoroughness)
{
    entry.contacts = 0;
    entry.problem.clear();
    QString reason;
    const SqliteConnection db = openForReading(entry.path, FileUse::Unchanging, &reason);
    if (!db) {
        entry.problem = QStringLiteral("illeggibile: %1").arg(reason);
        return;
    }
    int code = SQLITE_OK;
    if (thoroughness == Thoroughness::Thorough) {
        reason = quickCheckFinding(db.get(), &code);
        if (!reason.isEmpty()) {
            entry.problem = problemOf(code, reason);
            return;
        }
    }
    SqliteRows count(db.get(), "SELECT count(*) FROM PhoneList");
    if (count.next()) {
        entry.contacts = count.integer(0);
        return;
    }
    entry.problem = problemOf(sqlite3_extended_errcode(db.get()), sqliteReason(db.get()));
}

QString backupDateText(const BackupEntry &entry)
{
    const QLocale italian(QLocale::Italian);
    if (entry.kind == BackupKind::Daily)
        return italian.toString(entry.taken.date(), QStringLiteral("dddd d MMMM yyyy"));
    return italian.toString(entry.taken, QStringLiteral("dddd d MMMM yyyy, HH:mm"));
}

QString backupKindText(BackupKind kind)
{
    switch (kind) {
    case BackupKind::Daily:
        return QStringLiteral("automatica");
    case BackupKind::BeforeRestore:
        return QStringLiteral("prima del ripristino");
    }
    return {};
}
