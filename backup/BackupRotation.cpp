#include "backup/BackupRotation.h"

#include "backup/BackupEntry.h"
#include "platform/AtomicFile.h"

#include <QFile>
#include <QFileInfo>

namespace {

constexpr int KeptDays = 7;
constexpr int KeptWeeks = 4;
constexpr int KeptBeforeRestore = 5;

// The ISO week of day, as one number that differs from week to week across years too.
int isoWeek(QDate day)
{
    int year = 0;
    const int week = day.weekNumber(&year);
    return year * 100 + week;
}

} // namespace

void rotateBackups(const QString &folder, const QString &spared)
{
    const QString sparedPath = spared.isEmpty() ? QString() : QFileInfo(spared).absoluteFilePath();
    int days = 0;
    int weeks = 0;
    int beforeRestore = 0;
    QDate lastDay;
    int lastWeek = 0;
    QString removed;
    // From the newest: a copy is kept when it opens a day while days are still kept, or a week while
    // weeks are.
    for (const BackupEntry &copy : backupsIn(folder)) {
        bool keep = QFileInfo(copy.path).absoluteFilePath() == sparedPath;
        if (copy.kind == BackupKind::BeforeRestore) {
            keep = ++beforeRestore <= KeptBeforeRestore || keep;
        } else {
            const QDate day = copy.taken.date();
            if (days < KeptDays && day != lastDay) {
                keep = true;
                lastDay = day;
                ++days;
            }
            if (weeks < KeptWeeks && isoWeek(day) != lastWeek) {
                keep = true;
                lastWeek = isoWeek(day);
                ++weeks;
            }
        }
        // A copy that cannot be removed now is tried again after the next one.
        if (!keep && QFile::remove(copy.path))
            removed = copy.path;
    }
    if (!removed.isEmpty())
        syncDirectoryOf(removed);
}
