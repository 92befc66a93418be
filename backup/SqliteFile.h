// An SQLite file on a connection of our own, outside Qt Sql, so that backups are taken and read on
// any thread without sharing the window's connection.
#pragma once

#include <QString>

#include <memory>

struct sqlite3;

struct SqliteCloser
{
    void operator()(sqlite3 *db) const;
};
using SqliteConnection = std::unique_ptr<sqlite3, SqliteCloser>;

// A file others may be writing is read under SQLite's locks. A backup never changes once it has
// its name, so it is read without them: no lock to wait for and no side file left beside it.
enum class FileUse { Shared, Unchanging };

// The file at path, opened for reading only; null with SQLite's reason in error.
SqliteConnection openForReading(const QString &path, FileUse use, QString *error);

// SQLite's reason for the last failure on db, with its code.
QString sqliteReason(sqlite3 *db);

// Whether the failure with SQLite's result code came from a disk with no room left.
bool diskFull(sqlite3 *db, int code);
bool diskFull(int systemError);
