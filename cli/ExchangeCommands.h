// The commands that bring contacts in from a file and take them out: import and export.
#pragma once

#include "cli/CliCommands.h"

#include <QString>

#include <optional>

class ContactStore;

struct ExportRequest
{
    bool csv = false;
    bool version4 = false;
    std::optional<QString> search; // only the contacts this text finds, as search finds them
    QString file; // standard output when empty
};

// Imports a vCard, CSV or first-version file, told apart by its content. With dryRun only the
// preview's counts are printed; update says what to do with contacts already in the agenda.
int importCommand(ContactStore &store, const QString &path, bool dryRun, bool update, CliStreams io);

int exportCommand(const ContactStore &store, const ExportRequest &request, CliStreams io);
