// The trash ("Cestino"): the contacts deleted, as they were, until they are restored or removed for
// good. A restore is a step of the undo history like any other; what leaves the trash for good
// also leaves the history, so no undo brings it back afterwards.
#pragma once

#include "history/UndoHistory.h"

#include <QDateTime>
#include <QString>

#include <span>
#include <vector>

class ContactStore;

// How long a deleted contact stays in the trash before it is removed for good.
inline constexpr int TrashDays = 30;

struct TrashEntry
{
    qint64 trashId = 0;
    qint64 id = 0; // the contact's id when it was deleted
    QDateTime deleted;
    QString name; // "LastName, FirstName"
};

// The contacts in the trash, the last deleted first; empty with error set on failure.
std::vector<TrashEntry> trashEntries(const ContactStore &store, QString *error);

// Puts the entries' contacts back in the agenda, each with its own id when it is free, as one step
// the history can undo.
HistoryOutcome restoreFromTrash(ContactStore &store, std::span<const qint64> trashIds);

// Removes the entries for good. False with error.
bool removeFromTrash(ContactStore &store, std::span<const qint64> trashIds, QString *error);
// Removes every contact in the trash for good.
bool emptyTrash(ContactStore &store, QString *error);

// Removes for good what has been in the trash longer than TrashDays at now; how many, or -1 with
// error.
int expireTrash(ContactStore &store, const QDateTime &now, QString *error);
