// Tables of our own beside PhoneList that let a snapshot of the search kept in a file from an
// earlier run be trusted: a log of the contacts written since, filled by triggers on PhoneList
// whoever writes it (another program included), and the mark of the file written last.
#pragma once

#include <QByteArray>

#include <optional>
#include <vector>

class QString;
struct sqlite3;

// The kept file's name and the last entry of the log it holds the contacts of.
struct SnapshotMark
{
    QByteArray token;
    qint64 loggedUpTo = 0;
};

// Makes the log, its triggers and the mark when they are not there, in a transaction of its own.
bool ensureSearchLog(sqlite3 *db, QString *error);

// The mark, nullopt when no file was ever kept (or the tables are not there).
std::optional<SnapshotMark> snapshotMark(sqlite3 *db);
// The newest entry of the log, 0 for none.
qint64 lastLogged(sqlite3 *db, bool *ok);
// The contacts logged after entry, each once; false in ok when the log could not be read.
std::vector<qint64> loggedAfter(sqlite3 *db, qint64 entry, bool *ok);

// Names the file just kept in the mark and drops the entries it holds, in a transaction of its own.
bool markSnapshotKept(sqlite3 *db, const SnapshotMark &mark, QString *error);
