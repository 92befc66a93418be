#include "cli/ExchangeCommands.h"

#include "contacts/ContactStore.h"
#include "csv/CsvHeaders.h"
#include "exchange/CardProperties.h"
#include "exchange/ContactExport.h"
#include "exchange/ContactImport.h"
#include "exchange/FileSources.h"
#include "lookup/ContactLookup.h"
#include "lookup/LookupBuilder.h"

#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <memory>

int importCommand(ContactStore &store, const QString &path, bool dryRun, bool update, CliStreams io)
{
    const QString file = QFileInfo(path).absoluteFilePath();
    QString reason;
    std::unique_ptr<ContactSource> source;
    switch (contactFileKind(file, &reason)) {
    case ContactFileKind::VCard:
        source = std::make_unique<VCardFileSource>(file);
        break;
    case ContactFileKind::Csv: {
        const CsvFormat format = CsvFileSource::guessFormat(file);
        QList<QStringList> header;
        if (!CsvFileSource::firstRows(file, format, 1, &header, &reason) || header.isEmpty())
            break;
        source = std::make_unique<CsvFileSource>(file, format, recognizeCsvHeader(header.first()));
        break;
    }
    case ContactFileKind::FirstVersion:
        io.err << QStringLiteral("Il file \"%1\" è un file di testo della prima versione: "
                                 "va importato con import-first-version.")
                      .arg(path)
               << Qt::endl;
        return Misused;
    case ContactFileKind::Unknown:
        break;
    }
    if (!source) {
        io.err << QStringLiteral("Impossibile leggere il file \"%1\": %2").arg(path, reason) << Qt::endl;
        return Failed;
    }
    if (dryRun) {
        const ImportPreview preview = previewImport(store, *source);
        if (!preview.failure.isEmpty()) {
            io.err << preview.failure << Qt::endl;
            return Failed;
        }
        io.out << importPreviewMessage(preview) << '\n'
               << QStringLiteral("Prova: l'agenda non è stata modificata.") << '\n';
        return Done;
    }
    const ImportResult result
        = importContacts(store, *source, update ? KnownContacts::Update : KnownContacts::Skip, file);
    if (!result.failure.isEmpty()) {
        io.err << result.failure << '\n' << QStringLiteral("Nessun contatto è stato importato.") << Qt::endl;
        return Failed;
    }
    io.out << importResultMessage(result) << '\n';
    LookupBuilder::catchUp(store.path(), nullptr);
    return Done;
}

int exportCommand(const ContactStore &store, const ExportRequest &request, CliStreams io)
{
    QString error;
    std::vector<qint64> ids;
    if (request.search) {
        const TextAnswer answer = findByText(store, *request.search, true, 0, otherTextHitsIn(store));
        error = answer.failure;
        for (const int row : answer.hits)
            ids.push_back(answer.rows.id(row));
    } else {
        ids = agendaIds(store, &error);
    }
    if (!error.isEmpty()) {
        io.err << QStringLiteral("Impossibile leggere l'agenda: %1").arg(error) << Qt::endl;
        return Failed;
    }
    const ExportFormat format = request.csv ? ExportFormat::Csv
        : request.version4                  ? ExportFormat::VCard4
                                            : ExportFormat::VCard3;
    ExportResult result;
    if (request.file.isEmpty()) {
        io.out.flush();
        QFile standardOutput;
        standardOutput.open(stdout, QIODevice::WriteOnly);
        result = exportContacts(store, ids, format, standardOutput);
    } else {
        result = exportContactsToFile(store, ids, format, QFileInfo(request.file).absoluteFilePath());
    }
    if (!result.failure.isEmpty()) {
        io.err << result.failure << Qt::endl;
        return Failed;
    }
    if (!request.file.isEmpty())
        io.out << exportResultMessage(result) << '\n';
    return Done;
}
