// The pairs of contacts the user said are not duplicates ("Non sono doppioni"), kept in a table of
// our own beside PhoneList (RubrelloNotDuplicates), so they are not proposed again.
#pragma once

#include "duplicates/DuplicateFinder.h"

#include <QString>

#include <optional>
#include <span>

struct sqlite3;

// The pairs kept; none without the table, nullopt with the reason when it cannot be read.
std::optional<NotDuplicatePairs> readNotDuplicates(sqlite3 *db, QString *error);

// Keeps every pair of ids as not duplicates, making the table when missing. False with the reason.
bool rememberNotDuplicates(sqlite3 *db, std::span<const qint64> ids, QString *error);
