// The card and agenda printouts and the address copy. The card and the address are taken from the
// boxes as they stand; the agenda from the records, so the window is not redrawn for each contact.
#include "ui/phone/Phone.h"

#include "contacts/ContactStore.h"
#include "output/AddressText.h"
#include "output/AgendaLayout.h"
#include "output/AgendaPrint.h"
#include "output/CardLayout.h"
#include "platform/Platform.h"
#include "ui/controls/BoundBox.h"
#include "ui/controls/DataControl.h"

#include <QHash>

namespace {

const QString CardQuestion = QStringLiteral("Controllare la stampante e premere <OK> per stampare la scheda "
                                            "corrente, premere <Annulla> per NON stampare");

const QString AgendaPrompt = QStringLiteral(
    "Controllare la stampante e cliccare su <OK> per stampare l'agenda telefonica, se si vogliono stampare "
    "solo alcune lettere (1 lettera = 1 o piu' pagine) digitarle nella riga di input (ad es. ABCZ, * = tutta "
    "l'agenda), cliccare su <Annulla> per NON stampare");

const QString CopyDone = QStringLiteral("Il nome completo di indirizzo è stato copiato nella clipboard ed è "
                                        "'incollabile' da un'altro applicativo "
                                        "Windows (ad es. Wordpad o Word ecc.)");

const QString NoClipboard = QStringLiteral(
    "L'indirizzo non è stato copiato: il sistema non mette a disposizione nessuna clipboard.");

const QString UnreadableStore = QStringLiteral("Impossibile leggere l'archivio dei contatti: ");

// The records in the order of ids; an id without its record (deleted meanwhile) is left out.
std::vector<ContactRecord> inOrderOf(std::vector<ContactRecord> records, const std::vector<qint64> &ids)
{
    QHash<qint64, qsizetype> byId;
    byId.reserve(static_cast<qsizetype>(records.size()));
    for (size_t i = 0; i < records.size(); ++i)
        byId.insert(records[i].id, static_cast<qsizetype>(i));
    std::vector<ContactRecord> ordered;
    ordered.reserve(ids.size());
    for (const qint64 id : ids) {
        const auto found = byId.constFind(id);
        if (found != byId.constEnd())
            ordered.push_back(std::move(records[static_cast<size_t>(*found)]));
    }
    return ordered;
}

} // namespace

void Phone::reportPrintFailure(const QString &reason)
{
    if (!reason.isEmpty())
        m_platform.showMessage(QStringLiteral("Stampa non riuscita: ") + reason, MessageIcon::Exclamation);
}

ContactRecord Phone::contactOnScreen() const
{
    ContactRecord contact;
    for (const CardField &entry : CardFields) {
        // The Casa boxes exist only once the window has loaded.
        for (int instance = 0; instance < (entry.isPageBox() ? 2 : 1); ++instance) {
            const BoundBox *box = ui.box(entry, instance);
            contact.setValue(
                instance == 0 ? entry.field : *entry.homeField, box ? box->boxText() : QString());
        }
    }
    return contact;
}

bool Phone::readAgenda(std::vector<ContactRecord> &contacts)
{
    // A fresh cursor: a contact just added or renamed must stand where the table order puts it.
    Recordset walk = ui.Data1->Clone();
    bool ok = walk.requery();
    std::vector<ContactRecord> records;
    if (ok)
        records = m_store.readAll(&ok);
    if (!ok) {
        m_platform.showMessage(UnreadableStore + m_store.lastError(), MessageIcon::Exclamation);
        return false;
    }
    std::vector<qint64> order;
    order.reserve(walk.rows().size());
    for (const ContactStore::IndexEntry &row : walk.rows())
        order.push_back(row.id);
    contacts = inOrderOf(std::move(records), order);
    return true;
}

bool Phone::readContacts(const std::vector<qint64> &ids, std::vector<ContactRecord> &contacts)
{
    bool ok = true;
    std::vector<ContactRecord> records = m_store.readMany(ids, &ok);
    if (!ok) {
        m_platform.showMessage(UnreadableStore + m_store.lastError(), MessageIcon::Exclamation);
        return false;
    }
    contacts = inOrderOf(std::move(records), ids);
    return true;
}

void Phone::FileStampaMaschera_Click()
{
    if (!m_platform.askOkCancel(CardQuestion))
        return;
    const ContactRecord contact = contactOnScreen();
    const QString name
        = (contact.text(Field::LastName) + QLatin1Char(' ') + contact.text(Field::FirstName)).trimmed();
    std::unique_ptr<PrintJob> job = m_platform.beginPrinting(
        name.isEmpty() ? QStringLiteral("Scheda") : QStringLiteral("Scheda ") + name);
    if (!job)
        return;
    for (const QString &line : cardLines(contact))
        job->printLine(line);
    job->endDocument();
    reportPrintFailure(job->finish());
}

void Phone::FileStampaAgenda_Click()
{
    const QString answer = m_platform.inputBox({AgendaPrompt, {}, QStringLiteral("*")});
    if (answer.isEmpty())
        return;
    const QString selection = letterSelection(answer);
    // Pending changes go through the save flow, with its question and its checks, before the walk
    // moves the data control; a refused save stops the printout.
    if (!saveBeforeLeaving() || !ui.Data1->MoveFirst())
        return;

    std::vector<ContactRecord> contacts;
    // No preview opens when there is nothing to print (an empty table, an unmatched selection).
    if (readAgenda(contacts) && agendaHasRows(contacts, selection)) {
        if (std::unique_ptr<PrintJob> job = m_platform.beginPrinting(QStringLiteral("Agenda telefonica"))) {
            job->numberPages();
            printAgenda(contacts, selection, *job);
            reportPrintFailure(job->finish());
        }
    }
    Form_Load();
}

void Phone::CmdCopia_Click()
{
    // The Lavoro boxes' own setting, which the Note page leaves as the last address page set it.
    const bool workAddress = !ui.box(cardField(Field::WorkPhone), 0)->widget()->isHidden();
    const QString text = addressText(contactOnScreen(), workAddress);
    if (!m_platform.setClipboardText(text)) {
        m_platform.showMessage(text + QStringLiteral("\r\r") + NoClipboard, MessageIcon::Exclamation);
        return;
    }
    m_platform.showMessage(text + QStringLiteral("\r\r") + CopyDone, MessageIcon::Information);
}
