#include "backup/SqliteFile.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QUrl>

#include <sqlite3.h>

#include <cerrno>

void SqliteCloser::operator()(sqlite3 *db) const
{
    sqlite3_close(db);
}

SqliteConnection openForReading(const QString &path, FileUse use, QString *error)
{
    QByteArray name = QFile::encodeName(path);
    int flags = SQLITE_OPEN_READONLY;
    if (use == FileUse::Unchanging) {
        name = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toEncoded() + "?immutable=1";
        flags |= SQLITE_OPEN_URI;
    }
    sqlite3 *db = nullptr;
    const int result = sqlite3_open_v2(name.constData(), &db, flags, nullptr);
    SqliteConnection connection(db);
    if (result != SQLITE_OK) {
        *error = db ? sqliteReason(db) : QString::fromUtf8(sqlite3_errstr(result));
        return nullptr;
    }
    // The window's writes hold the store's lock for moments only: wait for them as a save does.
    sqlite3_busy_timeout(db, 3000);
    return connection;
}

QString sqliteReason(sqlite3 *db)
{
    return QStringLiteral("%1 (codice %2)")
        .arg(QString::fromUtf8(sqlite3_errmsg(db)))
        .arg(sqlite3_extended_errcode(db));
}

bool diskFull(int systemError)
{
    return systemError == ENOSPC || systemError == EDQUOT;
}

bool diskFull(sqlite3 *db, int code)
{
    // SQLite says SQLITE_FULL for a write the disk refused, but only an I/O error for a refused sync.
    return (code & 0xff) == SQLITE_FULL
        || ((code & 0xff) == SQLITE_IOERR && diskFull(sqlite3_system_errno(db)));
}
