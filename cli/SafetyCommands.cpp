#include "cli/SafetyCommands.h"

#include "backup/BackupRestore.h"
#include "backup/BackupShelf.h"
#include "backup/StoreCopy.h"
#include "contacts/ContactStore.h"
#include "contacts/StoreMigration.h"
#include "history/Trash.h"
#include "history/UndoHistory.h"
#include "lookup/LookupBuilder.h"

#include <QDir>
#include <QLocale>
#include <QTextStream>

namespace {

// The changed contacts are looked up quickly from the next question on; should that fail, they are
// still found, only more slowly.
void catchUp(const ContactStore &store)
{
    LookupBuilder::catchUp(store.path(), nullptr);
}

} // namespace

int undoCommand(ContactStore &store, bool redo, CliStreams io)
{
    const HistoryOutcome outcome = redo ? redoStep(store) : undoStep(store);
    if (!outcome.ok()) {
        io.err << historyFailureMessage(outcome, redo) << Qt::endl;
        return outcome.label.isEmpty() ? NotFound : Failed;
    }
    catchUp(store);
    io.out << (redo ? QStringLiteral("Ripetuto: %1.") : QStringLiteral("Annullato: %1.")).arg(outcome.label)
           << Qt::endl;
    return Done;
}

int trashCommand(ContactStore &store, std::optional<qint64> restoreId, bool empty, CliStreams io)
{
    QString error;
    const std::vector<TrashEntry> entries = trashEntries(store, &error);
    if (!error.isEmpty()) {
        io.err << QStringLiteral("Impossibile leggere il cestino: %1").arg(error) << Qt::endl;
        return Failed;
    }
    if (empty) {
        if (!emptyTrash(store, &error)) {
            io.err << QStringLiteral("Impossibile svuotare il cestino: %1").arg(error) << Qt::endl;
            return Failed;
        }
        io.out << QStringLiteral("Il cestino è vuoto: %1 eliminati definitivamente.").arg(entries.size())
               << Qt::endl;
        return Done;
    }
    if (restoreId) {
        // The last contact deleted with that id, should there be more than one.
        const auto entry = std::find_if(
            entries.begin(), entries.end(), [&](const TrashEntry &held) { return held.id == *restoreId; });
        if (entry == entries.end()) {
            io.err << QStringLiteral("Nel cestino non c'è un contatto con l'ID %1.").arg(*restoreId)
                   << Qt::endl;
            return NotFound;
        }
        const HistoryOutcome outcome = restoreFromTrash(store, std::vector<qint64>{entry->trashId});
        if (!outcome.ok()) {
            io.err << QStringLiteral("Impossibile ripristinare %1: %2").arg(entry->name, outcome.failure)
                   << Qt::endl;
            return Failed;
        }
        catchUp(store);
        io.out
            << QStringLiteral("Ripristinato %1 con l'ID %2.").arg(entry->name).arg(outcome.contacts.front())
            << Qt::endl;
        return Done;
    }
    const QLocale locale;
    for (const TrashEntry &entry : entries)
        io.out << entry.id << '\t'
               << locale.toString(entry.deleted.toLocalTime(), QStringLiteral("yyyy-MM-dd HH:mm")) << '\t'
               << entry.name << '\n';
    if (entries.empty()) {
        io.err << QStringLiteral("Il cestino è vuoto.") << Qt::endl;
        return NotFound;
    }
    return Done;
}

int backupCommand(const ContactStore &store, const QString &file, CliStreams io)
{
    QString error;
    QString target = file;
    if (file.isEmpty()) {
        const QString folder = backupFolderFor(store.path());
        const QDateTime now = QDateTime::currentDateTime();
        target = QDir(folder).filePath(dailyBackupName(now.date()));
        if (takeDailyBackup(store.path(), folder, now, &error, true) == DailyBackup::Failed)
            target.clear();
    } else if (!copyStore(store.path(), file, &error)) {
        target.clear();
    }
    if (target.isEmpty()) {
        io.err << error << Qt::endl;
        return Failed;
    }
    io.out << QStringLiteral("Copia di sicurezza salvata in \"%1\".").arg(target) << Qt::endl;
    return Done;
}

int backupsCommand(const ContactStore &store, CliStreams io)
{
    const std::vector<BackupEntry> entries = listBackups(backupFolderFor(store.path()), Thoroughness::Quick);
    int number = 0;
    for (const BackupEntry &entry : entries) {
        io.out << ++number << '\t' << backupDateText(entry) << '\t' << backupKindText(entry.kind) << '\t'
               << (entry.good() ? contactCount(entry.contacts) : entry.problem) << '\t' << entry.path << '\n';
    }
    if (entries.empty()) {
        io.err << QStringLiteral("Non ci sono copie di sicurezza dell'agenda.") << Qt::endl;
        return NotFound;
    }
    return Done;
}

int restoreCommand(ContactStore &store, const QString &number, CliStreams io)
{
    // Numbered as backups numbers them, by their names; the chosen one is read through before the restore.
    const std::vector<BackupEntry> entries = backupsIn(backupFolderFor(store.path()));
    bool isNumber = false;
    const qsizetype index = number.toLongLong(&isNumber) - 1;
    if (!isNumber || index < 0 || index >= qsizetype(entries.size())) {
        io.err
            << QStringLiteral("Non c'è la copia numero %1: \"rubrello-cli backups\" le elenca.").arg(number)
            << Qt::endl;
        return Misused;
    }
    QString error;
    if (!restoreBackup(store, entries[size_t(index)], QDateTime::currentDateTime(), &error)) {
        io.err << error << Qt::endl;
        return Failed;
    }
    catchUp(store);
    io.out << QStringLiteral("Ripristinata la copia di %1: l'agenda ha %2 contatti.")
                  .arg(backupDateText(entries[size_t(index)]))
                  .arg(store.count())
           << Qt::endl;
    return Done;
}
