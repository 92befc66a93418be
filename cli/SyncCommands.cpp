#include "cli/SyncCommands.h"

#include "carddav/AccountPassword.h"
#include "carddav/CardDavSync.h"
#include "carddav/DavDiscovery.h"
#include "contacts/ContactStore.h"
#include "lookup/LookupBuilder.h"

#include <QTextStream>

namespace {

QString passwordFrom(CliStreams io)
{
    return io.in ? io.in->readLine() : QString();
}

void tellCertificate(CliStreams io, const QString &fingerprint)
{
    if (!fingerprint.isEmpty())
        io.err << QStringLiteral("Se l'impronta è quella del proprio server, accettarla con:\n"
                                 "  rubrello-cli account --url INDIRIZZO --user NOME --trust %1")
                      .arg(fingerprint)
               << Qt::endl;
}

} // namespace

int accountCommand(ContactStore &store, const AccountRequest &request, CliStreams io)
{
    QString error;
    const std::optional<CardDavAccount> stored = readAccount(store.connection(), &error);
    if (!error.isEmpty()) {
        io.err << QStringLiteral("Impossibile leggere l'account: %1").arg(error) << Qt::endl;
        return Failed;
    }
    if (request.remove) {
        if (stored)
            deletePassword(keyringKey(*stored));
        if (!removeAccount(store.connection(), &error)) {
            io.err << QStringLiteral("Impossibile togliere l'account: %1").arg(error) << Qt::endl;
            return Failed;
        }
        io.out << QStringLiteral("Account tolto: i contatti restano nell'agenda.") << Qt::endl;
        return Done;
    }
    if (request.url.isEmpty() && request.user.isEmpty()) {
        if (!stored) {
            io.err << QStringLiteral("Nessun account CardDAV per questa agenda.") << Qt::endl;
            return NotFound;
        }
        io.out << QStringLiteral("Rubrica: %1\nUtente: %2\n").arg(stored->book.toString(), stored->user);
        io.out << (stored->intervalMinutes
                ? QStringLiteral("Sincronizzazione ogni %1 minuti\n").arg(stored->intervalMinutes)
                : QStringLiteral("Sincronizzazione solo a richiesta\n"));
        io.out.flush();
        return Done;
    }
    if (request.url.isEmpty() || request.user.isEmpty()) {
        io.err << QStringLiteral("rubrello-cli: account vuole --url e --user") << Qt::endl;
        return Misused;
    }
    QString password = request.passwordFromInput ? passwordFrom(io) : QString();
    const QUrl start = serverUrlFromText(request.url);
    DavClient client({request.user, password, request.trust});
    const DiscoveryResult found = discoverAddressBooks(client, start);
    if (!found.failure.isEmpty()) {
        io.err << found.failure << Qt::endl;
        tellCertificate(io, found.refusedCertificate);
        return Failed;
    }
    const AddressBookPlace *chosen = found.books.size() == 1 ? &found.books.front() : nullptr;
    for (const AddressBookPlace &book : found.books)
        if (book.url.matches(start, QUrl::StripTrailingSlash))
            chosen = &book;
    if (!chosen) {
        io.err << QStringLiteral(
            "Il server ha più rubriche: ripetere con --url e l'indirizzo di una di queste:")
               << Qt::endl;
        for (const AddressBookPlace &book : found.books)
            io.err << QStringLiteral("  %1  (%2)").arg(book.url.toString(), book.name) << Qt::endl;
        return Misused;
    }
    CardDavAccount account;
    account.user = request.user;
    account.book = chosen->url;
    account.intervalMinutes = request.interval.value_or(stored ? stored->intervalMinutes : 0);
    account.trustedCertificate = request.trust;
    if (!writeAccount(store.connection(), account, &error)) {
        io.err << QStringLiteral("Impossibile salvare l'account: %1").arg(error) << Qt::endl;
        return Failed;
    }
    io.out
        << QStringLiteral("Account salvato: rubrica \"%1\" (%2).").arg(chosen->name, chosen->url.toString())
        << Qt::endl;
    if (request.passwordFromInput) {
        QString unavailable;
        if (!writePassword(keyringKey(account), password, &unavailable))
            io.err << unavailable << Qt::endl
                   << QStringLiteral("La password non è stata salvata: darla a sync con --password-stdin.")
                   << Qt::endl;
    }
    return Done;
}

int syncCommand(ContactStore &store, bool passwordFromInput, CliStreams io)
{
    QString error;
    const std::optional<CardDavAccount> account = readAccount(store.connection(), &error);
    if (!account) {
        io.err << (error.isEmpty() ? QStringLiteral("Nessun account CardDAV: prima \"rubrello-cli account\".")
                                   : QStringLiteral("Impossibile leggere l'account: %1").arg(error))
               << Qt::endl;
        return Failed;
    }
    QString password;
    if (passwordFromInput) {
        password = passwordFrom(io);
    } else {
        const KeyringAnswer kept = readPassword(keyringKey(*account));
        if (!kept.found) {
            io.err << (kept.unavailable.isEmpty() ? QStringLiteral("Nessuna password nel portachiavi.")
                                                  : kept.unavailable)
                   << Qt::endl
                   << QStringLiteral("Darla con: rubrello-cli sync --password-stdin") << Qt::endl;
            return Failed;
        }
        password = kept.password;
    }
    DavClient client({account->user, password, account->trustedCertificate});
    const SyncSummary summary = syncAddressBook(store, client, *account);
    // The contacts written are looked up quickly from the next question on.
    if (summary.received || summary.deletedHere || summary.conflicts)
        LookupBuilder::catchUp(store.path(), nullptr);
    (summary.complete() ? io.out : io.err) << syncReportText(summary) << Qt::endl;
    tellCertificate(io, summary.refusedCertificate);
    return summary.complete() ? Done : Failed;
}
