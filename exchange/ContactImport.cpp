#include "exchange/ContactImport.h"

#include "contacts/ContactStore.h"
#include "contacts/SqliteRows.h"
#include "exchange/AgendaMatcher.h"
#include "exchange/CardProperties.h"
#include "exchange/ContactPrefetch.h"
#include "history/HistoryRecording.h"

#include <QFileInfo>
#include <QLocale>

ContactRecord mergedIncoming(ContactRecord record, const ContactRecord &incoming)
{
    for (const FieldInfo &info : Fields) {
        if (info.field != Field::ID && !incoming.value(info.field).value_or(QString()).isEmpty())
            record.setValue(info.field, incoming.value(info.field));
    }
    return record;
}

namespace {

QString readFailure(const ContactSource &source)
{
    return QStringLiteral("Impossibile leggere il file: %1").arg(source.error());
}

// What the agenda holds, then the file from its first contact: the start of a preview and of
// an import alike.
bool startReading(const ContactStore &store, ContactSource &source, AgendaMatcher &matcher, QString *failure)
{
    if (!matcher.load(store, failure))
        return false;
    if (source.rewind())
        return true;
    *failure = readFailure(source);
    return false;
}

} // namespace

ImportPreview previewImport(const ContactStore &store, ContactSource &source)
{
    ImportPreview preview;
    AgendaMatcher matcher;
    if (!startReading(store, source, matcher, &preview.failure))
        return preview;
    VCard card;
    while (source.next(&card)) {
        const CardContact contact = contactFromVCard(card);
        if (matcher.find(contact))
            ++preview.present;
        else
            ++preview.fresh;
    }
    if (!source.error().isEmpty())
        preview.failure = readFailure(source);
    return preview;
}

ImportResult importContacts(ContactStore &store, ContactSource &source, KnownContacts known,
    const QString &origin, const std::function<bool(int done)> &progress)
{
    ImportResult result;
    AgendaMatcher matcher;
    if (!startReading(store, source, matcher, &result.failure))
        return result;
    ContactStore::Batch batch(store);
    sqlite3 *db = store.connection();
    if (!batch.ok() || !db) {
        result.failure = store.lastError();
        return result;
    }
    if (!ensureCardPropertiesTable(db, &result.failure))
        return result;
    // The whole import is one step of the undo history.
    const HistoryRecording recording(store, importLabel(QFileInfo(origin).fileName()));
    CardPropertiesWriter keep(db);

    // Every failure below returns before the commit: the batch then takes back everything.
    const auto fail = [&](const QString &reason) {
        result = ImportResult();
        result.failure = reason;
        return result;
    };
    ContactPrefetch prefetch(source);
    PreparedContact prepared;
    int done = 0;
    while (prefetch.next(&prepared)) {
        const CardContact &contact = prepared.contact;
        std::optional<qint64> id = matcher.find(contact);
        QString error;
        if (id && known == KnownContacts::Skip) {
            ++result.skipped;
        } else {
            if (id) {
                bool ok = false;
                const ContactRecord old = store.read(*id, &ok).value_or(ContactRecord());
                if (!ok)
                    return fail(store.lastError());
                ContactRecord record = mergedIncoming(old, contact.record);
                record.id = *id;
                if (!store.update(record))
                    return fail(store.lastError());
                ++result.updated;
            } else {
                id = store.insert(contact.record);
                if (!id)
                    return fail(store.lastError());
                ++result.added;
            }
            if (!keep.write(*id, prepared, &error))
                return fail(error);
        }
        ++done;
        if (progress && !progress(done)) {
            result = ImportResult();
            result.cancelled = true;
            return result;
        }
    }
    if (!source.error().isEmpty())
        return fail(readFailure(source));
    if (!batch.commit())
        return fail(store.lastError());
    return result;
}

QString countText(int n, const char *one, const char *many)
{
    return n == 1 ? QString::fromUtf8(one)
                  : QString::fromUtf8(many).arg(QLocale(QLocale::Italian, QLocale::Italy).toString(n));
}

QString importPreviewMessage(const ImportPreview &preview)
{
    return countText(preview.fresh, "1 contatto nuovo", "%1 contatti nuovi") + QStringLiteral(", ")
        + countText(preview.present, "1 già presente", "%1 già presenti") + u'.';
}

QString importResultMessage(const ImportResult &result)
{
    return countText(result.added, "Importato 1 contatto", "Importati %1 contatti") + QStringLiteral(", ")
        + countText(result.updated, "aggiornato 1", "aggiornati %1") + QStringLiteral(", ")
        + countText(result.skipped, "saltato 1 già presente", "saltati %1 già presenti") + u'.';
}
