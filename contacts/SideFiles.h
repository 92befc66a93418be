// The files SQLite may keep beside a database: a database moved or removed without them loses, or
// leaves behind, what they hold.
#pragma once

#include <QString>

inline constexpr const char *SideSuffixes[] = {"-wal", "-shm", "-journal"};

// Whether the file at path, or one of its side files, exists.
bool existsWithSideFiles(const QString &path);
// Removes the file and its side files; false when one of them is still there.
bool removeWithSideFiles(const QString &path);
