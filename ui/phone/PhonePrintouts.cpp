// The printouts the program lays out in pages: address labels, an envelope for the contact shown
// and the agenda as a pocket book.
#include "ui/phone/Phone.h"

#include "output/EnvelopeLayout.h"
#include "output/LabelLayout.h"
#include "output/PocketAgenda.h"
#include "output/PostalAddress.h"
#include "platform/Platform.h"
#include "ui/controls/BusyCursor.h"
#include "ui/forms/EnvelopeDialog.h"
#include "ui/forms/LabelsDialog.h"

namespace {

const QString PocketNote = QStringLiteral(
    "Stampare su un lato solo, tagliare i fogli in quattro e mettere le pile una sotto l'altra: in alto a "
    "sinistra, in alto a destra, in basso a sinistra, in basso a destra.");

// A long list of names would make a box taller than the screen.
constexpr qsizetype NamesShown = 10;

QString contactName(const ContactRecord &contact)
{
    const QString name = (contact.text(Field::LastName).trimmed() + QLatin1Char(' ')
        + contact.text(Field::FirstName).trimmed())
                             .trimmed();
    return name.isEmpty() ? QStringLiteral("(senza nome)") : name;
}

// A label or an envelope with neither street nor city would reach nobody.
bool hasAddress(const ContactRecord &contact, bool home)
{
    return !contact.text(home ? Field::HomeAddress : Field::WorkAddress).trimmed().isEmpty()
        || !contact.text(home ? Field::HomeCity : Field::WorkCity).trimmed().isEmpty();
}

QString addressKind(bool home)
{
    return home ? QStringLiteral("di casa") : QStringLiteral("di lavoro");
}

// The first names joined by separator, then how many more there are.
QString someNames(const QStringList &names, const QString &separator)
{
    QString text = names.mid(0, NamesShown).join(separator);
    if (names.size() > NamesShown)
        text += separator + QStringLiteral("e altri %1").arg(names.size() - NamesShown);
    return text;
}

} // namespace

void Phone::printPages(
    const QString &documentName, const QString &note, const std::vector<PrintedPage> &pages)
{
    std::unique_ptr<PageJob> job = m_platform.beginPagePrinting(documentName, note);
    if (!job)
        return;
    for (const PrintedPage &page : pages) {
        job->beginPage(page.paper);
        for (const PlacedText &text : page.texts)
            job->placeText(text.x, text.baseline, text.pointSize, text.text);
    }
    reportPrintFailure(job->finish());
}

void Phone::FileEtichette_Click()
{
    // The labels are made from the store: what the card holds is saved first, with its checks.
    if (!saveBeforeLeaving())
        return;
    LabelsDialog choices(!m_searchHits.empty(), m_memory, this);
    m_platform.runModal(choices);
    if (choices.result() != QDialog::Accepted)
        return;
    const bool home = choices.homeAddress();
    std::vector<ContactRecord> contacts;
    switch (choices.which()) {
    case LabelsDialog::Which::Shown:
        contacts.push_back(contactOnScreen());
        break;
    case LabelsDialog::Which::Hits:
        if (!readContacts(m_searchHits, contacts))
            return;
        break;
    case LabelsDialog::Which::Agenda:
        if (!readAgenda(contacts))
            return;
        break;
    }

    std::vector<QStringList> addresses;
    QStringList printed;
    QStringList skipped;
    for (const ContactRecord &contact : contacts) {
        if (!hasAddress(contact, home)) {
            skipped.append(contactName(contact));
            continue;
        }
        addresses.push_back(postalAddress(contact, home));
        printed.append(contactName(contact));
    }
    if (addresses.empty()) {
        m_platform.showMessage(
            (choices.which() == LabelsDialog::Which::Shown ? QStringLiteral("Il contatto mostrato non ha")
                                                           : QStringLiteral("Nessuno dei contatti scelti ha"))
                + QStringLiteral(" un indirizzo %1: non c'è nessuna etichetta da stampare.")
                      .arg(addressKind(home)),
            MessageIcon::Information);
        return;
    }

    LabelPrintout printout;
    {
        const BusyCursor busy;
        printout = layoutLabels(addresses, choices.sheet(), choices.startPosition());
    }
    if (!printout.notFitting.empty()) {
        QStringList names;
        for (const int index : printout.notFitting)
            names.append(printed.value(index));
        const MessageAnswer answer = m_platform.messageBox(
            {QStringLiteral("Questi indirizzi non entrano nell'etichetta nemmeno con il carattere più "
                            "piccolo: le righe più lunghe usciranno dal bordo.\r\r%1\r\rStampare lo stesso?")
                    .arg(someNames(names, QStringLiteral("\r"))),
                {}, MessageButtons::YesNo, MessageIcon::Exclamation, MessageAnswer::Yes});
        if (answer != MessageAnswer::Yes)
            return;
    }
    const QString note = skipped.isEmpty()
        ? QString()
        : QStringLiteral("Senza indirizzo %1, quindi senza etichetta: %2.")
              .arg(addressKind(home), someNames(skipped, QStringLiteral(", ")));
    printPages(QStringLiteral("Etichette indirizzi"), note, printout.pages);
}

void Phone::FileBusta_Click()
{
    EnvelopeDialog choices(m_memory, this);
    m_platform.runModal(choices);
    if (choices.result() != QDialog::Accepted)
        return;
    // As the card's printout, the envelope takes the contact as the boxes show it.
    const ContactRecord contact = contactOnScreen();
    const bool home = choices.homeAddress();
    if (!hasAddress(contact, home)) {
        m_platform.showMessage(
            QStringLiteral(
                "Il contatto mostrato non ha un indirizzo %1: non c'è niente da scrivere sulla busta.")
                .arg(addressKind(home)),
            MessageIcon::Information);
        return;
    }
    printPages(QStringLiteral("Busta ") + contactName(contact), {},
        {layoutEnvelope(postalAddress(contact, home), choices.sender(), choices.size())});
}

void Phone::FileAgendaTascabile_Click()
{
    if (!saveBeforeLeaving())
        return;
    std::vector<ContactRecord> contacts;
    if (!readAgenda(contacts))
        return;
    if (contacts.empty()) {
        m_platform.showMessage(
            QStringLiteral("L'agenda è vuota: non c'è niente da stampare."), MessageIcon::Information);
        return;
    }
    std::vector<PrintedPage> sheets;
    {
        const BusyCursor busy;
        sheets = fourToASheet(pocketAgendaPages(contacts));
    }
    printPages(QStringLiteral("Agenda tascabile"), PocketNote, sheets);
}
