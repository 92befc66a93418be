// Contacts in from a vCard or CSV file and out to one: the file, the CSV columns, the preview and
// its question, the progress of a long import, and the export's choices.
#include "ui/phone/Phone.h"

#include "csv/CsvHeaders.h"
#include "exchange/ContactExport.h"
#include "exchange/ContactImport.h"
#include "exchange/FileSources.h"
#include "platform/DataLocation.h"
#include "platform/Platform.h"
#include "ui/controls/BusyCursor.h"
#include "ui/controls/DataControl.h"
#include "ui/forms/CsvImportDialog.h"
#include "ui/forms/ExportDialog.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QProgressDialog>
#include <QSettings>

namespace {

const QString ImportPrompt = QStringLiteral(
    "Scegliere il file dei contatti da importare: un file vCard (.vcf), come lo esportano i telefoni, "
    "Gmail, Outlook e Thunderbird, oppure un file CSV.");
const QString ImportFilter = QStringLiteral("Contatti (*.vcf *.vcard *.csv);;Tutti i file (*)");
const QString LastFileKey = QStringLiteral("exchange/lastImport");

// Past this many contacts an import shows its progress and can be stopped.
constexpr int ProgressFrom = 2000;

// A mapping made by hand is offered again for the next file with the same header.
QString mappingKey(const QStringList &header)
{
    return QStringLiteral("exchange/csvMapping/")
        + QString::fromLatin1(
            QCryptographicHash::hash(header.join(u'\x1f').toUtf8(), QCryptographicHash::Sha1).toHex());
}

// The progress, with "Annulla", of an import or export of more than ProgressFrom contacts; none
// for fewer. report() is what the core's import and export call back.
class ContactProgress
{
public:
    ContactProgress(const QString &label, int total, QWidget *parent)
    {
        if (total <= ProgressFrom)
            return;
        m_dialog = std::make_unique<QProgressDialog>(label, QStringLiteral("Annulla"), 0, total, parent);
        m_dialog->setObjectName(QStringLiteral("ContactProgress"));
        m_dialog->setWindowModality(Qt::WindowModal);
        m_dialog->setMinimumDuration(0);
    }

    // Whether to go on, done contacts into the work.
    bool report(int done)
    {
        if (!m_dialog || done - m_dialog->value() < 100)
            return true;
        m_dialog->setValue(done);
        QCoreApplication::processEvents();
        return !m_dialog->wasCanceled();
    }

private:
    std::unique_ptr<QProgressDialog> m_dialog;
};

} // namespace

void Phone::FileImportaContatti_Click()
{
    if (!saveBeforeLeaving())
        return;
    const QString answer = m_platform.inputBox(
        {ImportPrompt, QStringLiteral("Importa contatti"), rememberedPath(LastFileKey), ImportFilter});
    if (answer.isEmpty())
        return;
    const QString path = resolveTypedPath(answer);

    QSettings settings;
    QString reason;
    std::unique_ptr<ContactSource> source;
    switch (contactFileKind(path, &reason)) {
    case ContactFileKind::VCard:
        source = std::make_unique<VCardFileSource>(path);
        break;
    case ContactFileKind::Csv: {
        CsvFormat format = CsvFileSource::guessFormat(path);
        QList<QStringList> header;
        CsvFileSource::firstRows(path, format, 1, &header, &reason);
        const QString key = mappingKey(header.value(0));
        CsvMapping mapping = csvMappingFromString(settings.value(key).toString())
                                 .value_or(recognizeCsvHeader(header.value(0)));
        CsvImportDialog columns(path, format, mapping, this);
        m_platform.runModal(columns);
        if (columns.result() != QDialog::Accepted)
            return;
        settings.setValue(key, csvMappingToString(columns.mapping()));
        source = std::make_unique<CsvFileSource>(path, columns.format(), columns.mapping());
        break;
    }
    case ContactFileKind::FirstVersion:
        m_platform.showMessage(QStringLiteral("Il file \"%1\" è un file di testo della prima versione: "
                                              "importarlo con il comando Importa ... del menu File.")
                                   .arg(QDir::toNativeSeparators(path)));
        return;
    case ContactFileKind::Unknown:
        m_platform.showMessage(QStringLiteral("Impossibile leggere il file \"%1\": %2")
                                   .arg(QDir::toNativeSeparators(path), reason));
        return;
    }
    settings.setValue(LastFileKey, QDir::toNativeSeparators(path));

    ImportPreview preview;
    {
        const BusyCursor busy;
        preview = previewImport(m_store, *source);
    }
    if (!preview.failure.isEmpty()) {
        m_platform.showMessage(preview.failure + QStringLiteral("\n\nNessun contatto è stato importato."));
        return;
    }
    KnownContacts known = KnownContacts::Skip;
    if (preview.present > 0) {
        const MessageAnswer update = m_platform.messageBox({importPreviewMessage(preview)
                + QStringLiteral("\n\nAggiornare i contatti già presenti con i dati del file?\n"
                                 "(No: i contatti già presenti restano come sono e non vengono doppiati.)"),
            QStringLiteral("Importa contatti"), MessageButtons::YesNoCancel, MessageIcon::Question,
            MessageAnswer::No});
        if (update == MessageAnswer::Cancel)
            return;
        known = update == MessageAnswer::Yes ? KnownContacts::Update : KnownContacts::Skip;
    } else if (m_platform.messageBox({importPreviewMessage(preview)
                       + (preview.fresh == 1 ? QStringLiteral("\n\nImportarlo?")
                                             : QStringLiteral("\n\nImportarli?")),
                   QStringLiteral("Importa contatti"), MessageButtons::OkCancel, MessageIcon::Question})
        != MessageAnswer::Ok) {
        return;
    }

    ImportResult result;
    {
        const BusyCursor busy;
        ContactProgress progress(
            QStringLiteral("Importazione dei contatti..."), preview.fresh + preview.present, this);
        result = importContacts(
            m_store, *source, known, path, [&progress](int done) { return progress.report(done); });
    }
    if (result.cancelled) {
        m_platform.showMessage(QStringLiteral("Importazione annullata: nessun contatto è stato importato."),
            MessageIcon::Information);
        return;
    }
    if (!result.failure.isEmpty()) {
        m_platform.showMessage(result.failure + QStringLiteral("\n\nNessun contatto è stato importato."));
        return;
    }
    reloadAgendaShowing(ui.Data1->currentId());
    m_platform.showMessage(importResultMessage(result), MessageIcon::Information);
}

void Phone::FileEsportaContatti_Click()
{
    if (!saveBeforeLeaving())
        return;
    const qint64 shown = ui.Data1->currentId();
    ExportDialog choices(!m_searchHits.empty(), shown != 0, this);
    m_platform.runModal(choices);
    if (choices.result() != QDialog::Accepted || choices.path().isEmpty())
        return;
    std::vector<qint64> ids;
    QString error;
    switch (choices.which()) {
    case ExportDialog::Which::Agenda:
        ids = agendaIds(m_store, &error);
        break;
    case ExportDialog::Which::Hits:
        ids = m_searchHits;
        break;
    case ExportDialog::Which::Shown:
        ids = {shown};
        break;
    }
    ExportResult result;
    if (error.isEmpty()) {
        const BusyCursor busy;
        ContactProgress progress(QStringLiteral("Esportazione dei contatti..."), int(ids.size()), this);
        result = exportContactsToFile(m_store, ids, choices.format(), resolveTypedPath(choices.path()),
            [&progress](int done) { return progress.report(done); });
    }
    if (!error.isEmpty() || !result.failure.isEmpty()) {
        m_platform.showMessage(error.isEmpty() ? result.failure : error);
        return;
    }
    if (result.cancelled) {
        m_platform.showMessage(
            QStringLiteral("Esportazione annullata: il file non è stato scritto."), MessageIcon::Information);
        return;
    }
    m_platform.showMessage(exportResultMessage(result), MessageIcon::Information);
}
