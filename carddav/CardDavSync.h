// The two-way sync of the agenda with the address book of its account. Cards changed on the
// server come in (sync-collection, or the ETags of every card), contacts changed here go out (PUT
// with If-Match, If-None-Match for new ones), deletions go each way, to the trash here. A contact
// changed on both sides takes the server's card, and the version of here stays as a contact of its
// own. Every card is written here as soon as it is in, so a sync cut short resumes without doubles.
#pragma once

#include "carddav/DavClient.h"
#include "carddav/SyncState.h"

#include <QString>
#include <QStringList>

#include <functional>

class ContactStore;

struct SyncProgress
{
    QString stage; // "Ricezione dei contatti", in Italian
    int done = 0;
    int total = 0;
};

struct SyncSummary
{
    int received = 0; // cards of the server written here, new or changed
    int sent = 0; // contacts of here written to the server
    int deletedHere = 0; // deleted on the server, moved to the trash here
    int deletedThere = 0;
    int conflicts = 0; // changed on both sides: each kept
    QStringList conflictNames;
    QStringList refused; // "Rossi, Mario: motivo", the contacts the server would not take
    QStringList unreadable; // the cards of the server that are no vCard
    QString failure; // why the sync stopped, in Italian
    QString refusedCertificate; // the fingerprint of a certificate that stopped it
    bool cancelled = false;
    bool passwordRefused = false; // the server refused the user's name and password

    // Whether every change went through: nothing stopped the sync, refused or unread.
    bool complete() const
    {
        return failure.isEmpty() && !cancelled && refused.isEmpty() && unreadable.isEmpty();
    }
};

// Syncs store with the account's address book through client; progress hears how far it is.
SyncSummary syncAddressBook(ContactStore &store, DavTransport &client, const CardDavAccount &account,
    const std::function<void(const SyncProgress &)> &progress = {});

// "12 ricevuti, 3 inviati, 1 conflitto", with deletions and refusals when there are any.
QString syncSummaryText(const SyncSummary &summary);
// The summary and what the user must know besides: the contacts in conflict, those refused, why it
// stopped.
QString syncReportText(const SyncSummary &summary);
