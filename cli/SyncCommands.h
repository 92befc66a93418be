// The CardDAV account and its sync, for a terminal or a timer.
#pragma once

#include "cli/CliCommands.h"

class ContactStore;

struct AccountRequest
{
    QString url; // the server's or the address book's address
    QString user;
    std::optional<int> interval;
    QString trust; // a certificate fingerprint the user accepts
    bool passwordFromInput = false;
    bool remove = false;
};

// Without url and user, shows the account; with them, finds the address book and stores the account,
// the password in the keyring.
int accountCommand(ContactStore &store, const AccountRequest &request, CliStreams io);
// Syncs with the stored account and prints the summary: 0 only when everything went through.
int syncCommand(ContactStore &store, bool passwordFromInput, CliStreams io);
