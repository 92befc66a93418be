// The search's snapshot kept between runs, so that the first search of a run need not read every
// contact: a file in the user's cache folder, written after a whole read, and read back together with
// the contacts written since, which the log beside PhoneList names (SearchLog.h) whoever wrote them.
#pragma once

#include "search/SearchLog.h"
#include "search/SearchSnapshot.h"

#include <QString>

#include <atomic>
#include <optional>

struct ReadSnapshot
{
    SearchSnapshot snapshot{false};
    // The file to keep (writeKeptSnapshot), which the store's mark must then name (noteKeptSnapshot),
    // and the mark it takes the place of.
    std::optional<SnapshotMark> kept;
    QByteArray keptBytes;
    std::optional<SnapshotMark> replaced;
};

// Reads the snapshot of the store file at path for the forgiving search (SearchSnapshot without
// the stored fields) on a read-only connection of its own, for a thread other than the window's:
// from the file kept in folder when the store's mark still names it, with the contacts written since
// read again; otherwise from every row, keeping the result in folder when the store has its log and
// mayKeep (a store that can only be read never names a new file). An empty folder keeps nothing. Nullopt with the reason in error when the store could not be read or
// cancel was set; a kept file that cannot be read is only passed over.
std::optional<ReadSnapshot> readSearchSnapshot(const QString &path, const QString &folder, bool mayKeep,
    qint64 rows, const std::atomic<bool> &cancel, QString *error);

// Writes the file to keep, in folder; false when there is none or it could not be written. It may
// take long on a large agenda: a thread of its own does it while the search goes on.
bool writeKeptSnapshot(const QString &folder, const ReadSnapshot &read);

// On the store's own connection, once the file is written: the store's mark names the file
// just kept, and the one it replaces is removed; if the mark cannot be written (a store that can only
// be read, another program's write in between), the new file goes instead.
void noteKeptSnapshot(sqlite3 *db, const QString &folder, const ReadSnapshot &read);
// A kept file no mark will name.
void dropKeptSnapshot(const QString &folder, const ReadSnapshot &read);
