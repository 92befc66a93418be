// SQLite's write-ahead log beside the store ("-wal") and its index ("-shm"), read here before SQLite
// sees them: SQLite applies any log it finds to whatever file now has the store's name.
#pragma once

#include <QString>

#include <optional>

inline const QLatin1String LogSuffix("-wal");
inline const QLatin1String LogIndexSuffix("-shm");

// Why the log a crash left beside the file at path is not that file's own; nothing when it is, when
// a running program uses it, or when SQLite would apply nothing from it.
std::optional<QString> foreignLog(const QString &path);

// Renames the log and its index to "<name>-wal.non-applicato-<date of the log>" and the like, so
// SQLite does not find them and nothing of them is lost. The name of the kept log goes to kept.
bool keepLogAside(const QString &path, QString *kept, QString *error);
