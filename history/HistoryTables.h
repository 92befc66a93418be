// The tables of the undo history and of the trash, beside PhoneList in the same store, and the
// writing of a step into them.
//
// RubrelloHistory holds a line per step (an edit saved, a deletion, an import, a restore from the
// trash) with its label; RubrelloHistoryRows, for each contact the step touched, the contact as it
// was before (Before, Null when the step added it) and, once the step has been undone, as it was
// when it was undone (After), so a redo gives back what the undo took. RubrelloTrash holds the
// contacts deleted, as they were, until they are restored or removed for good.
#pragma once

#include "contacts/SqliteRows.h"

#include <QDateTime>
#include <QString>

#include <memory>
#include <optional>
#include <span>

struct sqlite3;

// How many steps the history keeps: the oldest are forgotten first.
inline constexpr int HistorySteps = 100;

// Makes the tables when missing; inside the caller's write.
bool ensureHistoryTables(sqlite3 *db, QString *error);
bool historyTablesExist(sqlite3 *db);

// A new step: the steps undone before it can no longer be redone, and the oldest beyond the bound
// are forgotten. Its number, or nullopt with error.
std::optional<qint64> startHistoryStep(sqlite3 *db, const QString &label, QString *error);

// Whether step is still in the history (a rolled-back write takes it away).
bool historyStepExists(sqlite3 *db, qint64 step);

// One contact of a step, written with a statement prepared once for the many of an import.
class HistoryRowWriter
{
public:
    explicit HistoryRowWriter(sqlite3 *db);
    // before is null when the step adds the contact; removed when it takes it away; trashId names
    // the contact's entry in the trash when the step puts it there or takes it out.
    bool write(qint64 step, qint64 id, const QByteArray &before, bool removed, std::optional<qint64> trashId,
        QString *error);
    // Contacts the step adds, many in one statement: an import adds a million.
    bool writeAdded(qint64 step, std::span<const qint64> ids, QString *error);

private:
    SqliteRows m_insert;
    SqliteRows m_insertAdded;
};

// Puts a contact in the trash, as it was; the entry's number, or nullopt with error.
std::optional<qint64> addToTrash(sqlite3 *db, qint64 id, const QByteArray &snapshot, QString *error);

// The time a step or a deletion is stored with: UTC, to the second.
QString storedTime(const QDateTime &time);
QDateTime timeFromStored(const QString &text);
