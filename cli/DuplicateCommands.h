// The duplicates of the agenda, for a terminal or a script.
#pragma once

#include "cli/CliCommands.h"

class ContactStore;

// Lists the groups of contacts that may be one person, a paragraph each: why, then each contact's
// ID and name.
int duplicatesCommand(const ContactStore &store, CliStreams io);
