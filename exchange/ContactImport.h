// Contacts coming in from a file as one step: counted first for the preview, then written in one
// transaction, with a contact the agenda already holds updated or skipped, never doubled.
#pragma once

#include "contacts/ContactRecord.h"
#include "exchange/ContactSource.h"

#include <QString>

#include <functional>

class ContactStore;

struct ImportPreview
{
    int fresh = 0; // not in the agenda yet
    int present = 0; // already there: same UID, or the same names and a same number or e-mail
    QString failure; // why the file cannot be imported; nothing is written then
};

enum class KnownContacts { Skip, Update };

struct ImportResult
{
    int added = 0;
    int updated = 0;
    int skipped = 0;
    QString failure; // why nothing was imported; empty when everything was
    bool cancelled = false;
};

// Reads the whole source and tells what an import would do.
ImportPreview previewImport(const ContactStore &store, ContactSource &source);

// Imports every contact of the source, or none: a failure or a cancel leaves the agenda as it was.
// progress is told how many contacts are done and stops the import by returning false. What an
// undo needs is recorded with the import (the contacts added, and those updated as they were).
ImportResult importContacts(ContactStore &store, ContactSource &source, KnownContacts known,
    const QString &origin, const std::function<bool(int done)> &progress = {});

// The agenda's contact with what came in written over it: a box the incoming one leaves empty keeps
// its text.
ContactRecord mergedIncoming(ContactRecord record, const ContactRecord &incoming);

// n things, counted in the Italian way: one for 1, many (with %1) otherwise ("1.200 contatti").
QString countText(int n, const char *one, const char *many);

// "152 contatti nuovi, 3 già presenti."
QString importPreviewMessage(const ImportPreview &preview);
// "Importati 152 contatti, aggiornati 3, saltati 0."
QString importResultMessage(const ImportResult &result);
