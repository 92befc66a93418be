#include "backup/StoreCopy.h"

#include "backup/SqliteFile.h"
#include "contacts/SideFiles.h"
#include "contacts/SqliteRows.h"
#include "platform/AtomicFile.h"
#include "platform/DataLocation.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <sqlite3.h>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace {

// The file the copy is made in, beside the target so that the rename stays on one file system, and
// under a name no listing takes for a backup. Removed with whatever SQLite put beside it unless kept.
class TemporaryCopy
{
public:
    explicit TemporaryCopy(const QString &target)
    {
        for (int attempt = 0; attempt < 10 && m_path.isEmpty(); ++attempt) {
            const QString path = target
                + QStringLiteral(".parziale-%1")
                      .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
            // Only the owner reads a copy of the contacts.
            const int fd
                = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            if (fd >= 0) {
                ::close(fd);
                m_path = path;
            } else if (errno != EEXIST) {
                m_error = errno;
                break;
            }
        }
    }
    ~TemporaryCopy()
    {
        if (!m_path.isEmpty() && !m_kept)
            removeWithSideFiles(m_path);
    }
    TemporaryCopy(const TemporaryCopy &) = delete;
    TemporaryCopy &operator=(const TemporaryCopy &) = delete;

    // Empty when the file could not be made; error() then holds the system's reason.
    QString path() const { return m_path; }
    int error() const { return m_error; }
    void keep() { m_kept = true; }

private:
    QString m_path;
    int m_error = EEXIST;
    bool m_kept = false;
};

QString failure(const QString &storePath, const QString &reason)
{
    return QStringLiteral("Impossibile fare la copia di sicurezza dell'archivio dei contatti \"%1\": %2.")
        .arg(shownPath(storePath), reason);
}

QString diskFullReason(const QString &target)
{
    return QStringLiteral("il disco è pieno (cartella \"%1\"). Le copie di sicurezza fatte prima non sono "
                          "state toccate")
        .arg(shownPath(QFileInfo(target).absolutePath()));
}

QString systemReason(const QString &target, int code)
{
    return diskFull(code) ? diskFullReason(target) : QString::fromLocal8Bit(strerror(code));
}

} // namespace

bool copyStore(const QString &storePath, const QString &target, QString *error, CopyCheck check)
{
    const auto fail = [&](const QString &reason) {
        *error = failure(storePath, reason);
        return false;
    };
    if (!QFileInfo(storePath).isFile())
        return fail(QStringLiteral("il file non esiste"));
    QString reason;
    SqliteConnection store = openForReading(storePath, FileUse::Shared, &reason);
    if (!store)
        return fail(reason);
    TemporaryCopy temporary(target);
    if (temporary.path().isEmpty()) {
        return fail(diskFull(temporary.error())
                ? diskFullReason(target)
                : QStringLiteral("impossibile creare un file nella cartella \"%1\": %2")
                      .arg(shownPath(QFileInfo(target).absolutePath()),
                          systemReason(target, temporary.error())));
    }
    sqlite3 *opened = nullptr;
    int code = sqlite3_open_v2(
        QFile::encodeName(temporary.path()).constData(), &opened, SQLITE_OPEN_READWRITE, nullptr);
    SqliteConnection copy(opened);
    const auto sqliteFailure = [&](int result) {
        if (!copy)
            return fail(QString::fromUtf8(sqlite3_errstr(result)));
        if (diskFull(copy.get(), result))
            return fail(diskFullReason(target));
        return fail(explainedSqliteError(result, sqliteReason(copy.get())));
    };
    if (code != SQLITE_OK)
        return sqliteFailure(code);

    // One step copies every page under one read of the store: the copy holds what was committed
    // when it began, whatever other connections write meanwhile.
    sqlite3_backup *backup = sqlite3_backup_init(copy.get(), "main", store.get(), "main");
    if (!backup)
        return sqliteFailure(sqlite3_extended_errcode(copy.get()));
    code = sqlite3_backup_step(backup, -1);
    // Finishing hands the step's failure, from either side, to the copy's connection.
    sqlite3_backup_finish(backup);
    if (code != SQLITE_DONE)
        return sqliteFailure(code);
    store.reset();

    // The pages carry the store's write-ahead mode; a copy in that mode would need its log beside it.
    {
        SqliteRows mode(copy.get(), "PRAGMA journal_mode=DELETE");
        if (!mode.next() || mode.utf8(0) != QByteArrayView("delete"))
            return sqliteFailure(sqlite3_extended_errcode(copy.get()));
    }
    const QString finding = quickCheckFinding(copy.get(), &code);
    if (!finding.isEmpty() && check == CopyCheck::Required) {
        return fail(QStringLiteral("la copia non supera il controllo (%1): l'archivio dei contatti sembra "
                                   "danneggiato")
                        .arg(finding));
    }
    copy.reset();

    // The disk may still refuse blocks it only promised: ask before the copy takes its name.
    const int fd = ::open(QFile::encodeName(temporary.path()).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
        const int failed = errno;
        if (fd >= 0)
            ::close(fd);
        return fail(systemReason(target, failed));
    }
    ::close(fd);
    if (::rename(QFile::encodeName(temporary.path()).constData(), QFile::encodeName(target).constData()) != 0)
        return fail(systemReason(target, errno));
    temporary.keep();
    syncDirectoryOf(target);
    return true;
}
