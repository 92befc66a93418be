// The account's password in the desktop's keyring (Secret Service, KWallet) through QtKeychain,
// never in a file of ours. Without a keyring the program asks for it each time.
#pragma once

#include "carddav/SyncState.h"

#include <QString>

struct KeyringAnswer
{
    QString password; // empty when none is kept
    bool found = false;
    // Why the keyring could not be used (none on this desktop, access refused), in Italian; empty
    // when it answered, with the password or without.
    QString unavailable;
};

// The key an account's password is kept under: one per user and book.
QString keyringKey(const CardDavAccount &account);

KeyringAnswer readPassword(const QString &key);
// False with the reason (Italian) when the keyring did not keep it.
bool writePassword(const QString &key, const QString &password, QString *unavailable);
void deletePassword(const QString &key);
