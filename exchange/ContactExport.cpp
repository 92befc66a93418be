#include "exchange/ContactExport.h"

#include "contacts/ContactStore.h"
#include "csv/CsvHeaders.h"
#include "csv/CsvVCard.h"
#include "csv/CsvWriter.h"
#include "exchange/CardProperties.h"
#include "exchange/ContactImport.h"
#include "platform/AtomicFile.h"
#include "vcard/VCardWriter.h"

#include <QSaveFile>

#include <algorithm>
#include <span>

namespace {

// The contacts are read this many at a time: an export holds one part of the agenda, not all of it.
constexpr size_t ExportChunk = 1000;

// A contact's CSV row. A box's column takes only its box's property, and only as the program
// writes it: a second mobile number must not take the Cellulare column from the first one, whose
// parameters the column cannot give back ("TYPE=CELL;TYPE=PREF"), or it would fill the box when the
// row comes back. Everything else goes to the vCard lines, the boxes' properties first, so that
// the boxes read back as they are.
QStringList csvRow(const CsvRowWriter &rows, const CardContact &contact)
{
    VCard inColumns;
    QList<VCardProperty> inLines;
    QList<VCardProperty> others;
    for (const KeptProperty &kept : exportedProperties(contact)) {
        if (isPlainRoleProperty(kept.role, kept.property))
            inColumns.properties.append(kept.property);
        else if (kept.role != CardRole::None)
            inLines.append(kept.property);
        else
            others.append(kept.property);
    }
    return rows.row(inColumns, inLines + others);
}

} // namespace

ExportResult exportContacts(const ContactStore &store, const std::vector<qint64> &ids, ExportFormat format,
    QIODevice &out, const std::function<bool(int done)> &progress)
{
    ExportResult result;
    CsvWriter csv(out);
    const CsvRowWriter csvRows(csvExportMapping());
    if (format == ExportFormat::Csv && !csv.writeRow(csvExportHeader())) {
        result.failure = csv.error();
        return result;
    }
    for (size_t from = 0; from < ids.size(); from += ExportChunk) {
        const std::span<const qint64> part
            = std::span(ids).subspan(from, std::min(ExportChunk, ids.size() - from));
        bool ok = false;
        std::vector<ContactRecord> records = store.readMany(part, &ok);
        QHash<qint64, QList<KeptProperty>> kept;
        if (ok && store.connection())
            kept = readCardPropertiesOf(store.connection(), part, &result.failure);
        if (!ok || !result.failure.isEmpty()) {
            result.failure = QStringLiteral("Impossibile leggere i contatti: %1")
                                 .arg(result.failure.isEmpty() ? store.lastError() : result.failure);
            return result;
        }
        QHash<qint64, const ContactRecord *> recordOf;
        recordOf.reserve(qsizetype(records.size()));
        for (const ContactRecord &record : records)
            recordOf.insert(record.id, &record);

        for (const qint64 id : part) {
            const ContactRecord *record = recordOf.value(id);
            if (!record)
                continue; // deleted meanwhile
            const QList<KeptProperty> properties = kept.value(id);
            bool written = false;
            if (format == ExportFormat::Csv)
                written = csv.writeRow(csvRow(csvRows, {*record, properties}));
            else
                written = writeVCard(&out, vCardFromContact({*record, properties}),
                    format == ExportFormat::VCard4 ? VCardVersion::V4_0 : VCardVersion::V3_0);
            if (!written) {
                result.failure = QStringLiteral("Impossibile scrivere i contatti: %1").arg(out.errorString());
                return result;
            }
            ++result.written;
        }
        if (progress && !progress(result.written)) {
            result.cancelled = true;
            return result;
        }
    }
    return result;
}

ExportResult exportContactsToFile(const ContactStore &store, const std::vector<qint64> &ids,
    ExportFormat format, const QString &path, const std::function<bool(int done)> &progress)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return {0, QStringLiteral("Impossibile scrivere il file \"%1\": %2").arg(path, file.errorString())};
    }
    ExportResult result = exportContacts(store, ids, format, file, progress);
    if (!result.failure.isEmpty() || result.cancelled) {
        file.cancelWriting();
        return result;
    }
    if (!file.commit())
        return {0, QStringLiteral("Impossibile scrivere il file \"%1\": %2").arg(path, file.errorString())};
    syncDirectoryOf(path);
    return result;
}

QString exportResultMessage(const ExportResult &result)
{
    return countText(result.written, "Esportato 1 contatto.", "Esportati %1 contatti.");
}

std::vector<qint64> agendaIds(const ContactStore &store, QString *error)
{
    bool ok = false;
    const ContactStore::IndexRows rows = store.readIndexInOrder(&ok);
    std::vector<qint64> ids;
    if (!ok) {
        *error = store.lastError();
        return ids;
    }
    ids.reserve(rows->size());
    for (const ContactStore::IndexEntry &entry : *rows)
        ids.push_back(entry.id);
    return ids;
}
