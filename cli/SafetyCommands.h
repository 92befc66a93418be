// The commands of the safety net: undo and redo of the agenda's last steps, the trash, and the
// backups of the agenda.
#pragma once

#include "cli/CliCommands.h"

#include <optional>

class ContactStore;

// Takes back the last step (or, with redo, does again the last one taken back).
int undoCommand(ContactStore &store, bool redo, CliStreams io);

// Lists the trash; with restoreId puts back the contact that had that id, with empty removes every
// contact in it for good.
int trashCommand(ContactStore &store, std::optional<qint64> restoreId, bool empty, CliStreams io);

// Takes a copy of the agenda now: into file when one is named, else as today's copy among the
// automatic ones.
int backupCommand(const ContactStore &store, const QString &file, CliStreams io);
// Lists the automatic copies, numbered from the newest.
int backupsCommand(const ContactStore &store, CliStreams io);
// Puts copy number (as backups numbers them) in the place of the agenda, once the agenda is kept.
int restoreCommand(ContactStore &store, const QString &number, CliStreams io);
