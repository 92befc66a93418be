#include "cli/PrintCommands.h"

#include "contacts/ContactStore.h"
#include "exchange/CardProperties.h"
#include "exchange/ContactExport.h"
#include "exchange/ContactImport.h"
#include "lookup/ContactLookup.h"
#include "output/EnvelopeLayout.h"
#include "output/LabelLayout.h"
#include "output/PdfWriter.h"
#include "output/PostalAddress.h"
#include "text/Blanks.h"

#include <QFileInfo>
#include <QHash>
#include <QTextStream>

#include <span>

namespace {

// Contacts are read a thousand at a time and only their addresses kept, never the whole records.
constexpr std::size_t ReadChunk = 1000;

// An address is worth a label or an envelope when the post can find it: a street or a town.
bool hasPostalAddress(const ContactRecord &contact, bool home)
{
    return !trimBlanks(contact.text(home ? Field::HomeAddress : Field::WorkAddress)).isEmpty()
        || !trimBlanks(contact.text(home ? Field::HomeCity : Field::WorkCity)).isEmpty();
}

QString addressKind(bool home)
{
    return home ? QStringLiteral("di casa") : QStringLiteral("di lavoro");
}

struct Addressees
{
    std::vector<QStringList> addresses;
    std::vector<qint64> ids; // beside each address, for the warnings that name a few of them
    int skipped = 0;
};

std::optional<Addressees> readAddressees(
    const ContactStore &store, const PrintRequest &request, QString *error)
{
    std::vector<qint64> ids;
    if (request.search) {
        const TextAnswer answer = findByText(store, *request.search, true, 0, otherTextHitsIn(store));
        *error = answer.failure;
        for (const int row : answer.hits)
            ids.push_back(answer.rows.id(row));
    } else {
        ids = agendaIds(store, error);
    }
    if (!error->isEmpty())
        return std::nullopt;
    Addressees found;
    for (std::size_t from = 0; from < ids.size(); from += ReadChunk) {
        const std::span<const qint64> part
            = std::span(ids).subspan(from, std::min(ReadChunk, ids.size() - from));
        bool ok = false;
        const std::vector<ContactRecord> records = store.readMany(part, &ok);
        if (!ok) {
            *error = store.lastError();
            return std::nullopt;
        }
        // readMany answers in no order: the labels follow the agenda's.
        QHash<qint64, const ContactRecord *> recordOf;
        for (const ContactRecord &record : records)
            recordOf.insert(record.id, &record);
        for (const qint64 id : part) {
            const ContactRecord *contact = recordOf.value(id);
            if (!contact)
                continue; // deleted since the ids were read
            if (!hasPostalAddress(*contact, request.home)) {
                ++found.skipped;
                continue;
            }
            found.addresses.push_back(postalAddress(*contact, request.home));
            found.ids.push_back(id);
        }
    }
    return found;
}

} // namespace

QString printMisuse(const QString &command, const PrintRequest &request)
{
    if (command != u"labels")
        return {};
    QString reason;
    const std::optional<LabelSheet> sheet = labelSheet(request.sheet, &reason);
    if (!sheet)
        return reason;
    if (request.start && (*request.start < 1 || *request.start > sheet->perSheet()))
        return QStringLiteral("--start vuole la posizione della prima etichetta libera, da 1 a %1 per il "
                              "foglio %2")
            .arg(sheet->perSheet())
            .arg(sheet->id);
    return {};
}

int labelsCommand(const ContactStore &store, const PrintRequest &request, const QString &file, CliStreams io)
{
    QString error;
    std::optional<Addressees> found = readAddressees(store, request, &error);
    if (!found) {
        io.err << QStringLiteral("Impossibile leggere l'agenda: %1").arg(error) << Qt::endl;
        return Failed;
    }
    if (found->skipped > 0)
        io.err << countText(found->skipped, "Saltato 1 contatto senza indirizzo %2 (né via né città).",
            "Saltati %1 contatti senza indirizzo %2 (né via né città).")
                      .arg(addressKind(request.home))
               << Qt::endl;
    if (found->addresses.empty()) {
        io.err << QStringLiteral(
            "Nessun contatto ha un indirizzo %1 da stampare: il file non è stato scritto.")
                      .arg(addressKind(request.home))
               << Qt::endl;
        return NotFound;
    }
    const std::optional<LabelSheet> sheet = labelSheet(request.sheet);
    const LabelPrintout printout = layoutLabels(found->addresses, *sheet, request.start.value_or(1));
    const int labelCount = int(found->addresses.size());
    found->addresses = {}; // the pages hold the text now, and a big agenda needs the memory
    const QString path = QFileInfo(file).absoluteFilePath();
    if (const QString failure = writePdf(path, printout.pages, QStringLiteral("Etichette"));
        !failure.isEmpty()) {
        io.err << failure << Qt::endl;
        return Failed;
    }
    if (!printout.notFitting.empty()) {
        io.err << countText(int(printout.notFitting.size()),
            "1 indirizzo non sta nell'etichetta nemmeno a %2 punti ed esce dai bordi:",
            "%1 indirizzi non stanno nell'etichetta nemmeno a %2 punti ed escono dai bordi:")
                      .arg(SmallestLabelPoints)
               << '\n';
        for (const int index : printout.notFitting) {
            const std::optional<ContactRecord> contact = store.read(found->ids.at(index));
            io.err << QStringLiteral("  ")
                   << (contact ? contact->displayName() : QString::number(found->ids.at(index))) << '\n';
        }
        io.err.flush();
    }
    io.out << countText(labelCount, "1 etichetta", "%1 etichette")
           << countText(int(printout.pages.size()), " su 1 foglio", " su %1 fogli")
           << QStringLiteral(" (%1) in \"%2\".").arg(sheet->name, path) << '\n';
    return Done;
}

int envelopeCommand(const ContactStore &store, const PrintRequest &request, const QString &idText,
    const QString &file, CliStreams io)
{
    bool number = false;
    const qint64 id = idText.toLongLong(&number);
    if (!number) {
        io.err << QStringLiteral("rubrello-cli: envelope vuole il numero (ID) di un contatto") << Qt::endl;
        return Misused;
    }
    bool ok = false;
    const std::optional<ContactRecord> contact = store.read(id, &ok);
    if (!ok) {
        io.err << QStringLiteral("Impossibile leggere l'agenda: %1").arg(store.lastError()) << Qt::endl;
        return Failed;
    }
    if (!contact) {
        io.err << QStringLiteral("Nessun contatto ha l'ID %1.").arg(id) << Qt::endl;
        return NotFound;
    }
    if (!hasPostalAddress(*contact, request.home)) {
        io.err << QStringLiteral("%1 non ha un indirizzo %2 (né via né città).")
                      .arg(contact->displayName(), addressKind(request.home))
               << Qt::endl;
        return NotFound;
    }
    QStringList sender;
    for (const QString &line : request.sender.value_or(QString()).split(QLatin1Char('|'))) {
        if (!trimBlanks(line).isEmpty())
            sender.append(trimBlanks(line));
    }
    const PrintedPage envelope = layoutEnvelope(
        postalAddress(*contact, request.home), sender, request.c5 ? EnvelopeSize::C5 : EnvelopeSize::DL);
    const QString path = QFileInfo(file).absoluteFilePath();
    if (const QString failure
        = writePdf(path, {envelope}, QStringLiteral("Busta per %1").arg(contact->displayName()));
        !failure.isEmpty()) {
        io.err << failure << Qt::endl;
        return Failed;
    }
    io.out << QStringLiteral("Busta %1 per %2 in \"%3\".")
                  .arg(request.c5 ? QStringLiteral("C5") : QStringLiteral("DL"), contact->displayName(), path)
           << '\n';
    return Done;
}
