// Record editing: the edit state, new, save and delete, change marking, name cleaning and the
// data control's questions before it writes.
#include "ui/phone/Phone.h"

#include "contacts/NameRules.h"
#include "ui/controls/Outline.h"
#include "platform/Platform.h"

#include <QAction>
#include <QToolButton>

namespace {

// A flow retries a failed step this many times before it gives up with the message.
constexpr int Attempts = 3;

} // namespace

void Phone::setBrowsingState()
{
    Data1->setEnabled(true);
    cNew->setEnabled(true);
    cDelete->setEnabled(true);
    cUpdate->setEnabled(false);
    FileNuovo->setEnabled(true);
    FileCancella->setEnabled(true);
    FileAggiorna->setEnabled(false);
}

void Phone::setChangedState()
{
    Data1->setEnabled(false);
    cNew->setEnabled(false);
    cDelete->setEnabled(false);
    cUpdate->setEnabled(true);
    FileNuovo->setEnabled(false);
    FileCancella->setEnabled(false);
    FileAggiorna->setEnabled(true);
}

bool Phone::hasPendingEdit() const
{
    // The changed state is nothing but the enabled flags; FileNuovo stands for all seven.
    return !FileNuovo->isEnabled();
}

bool Phone::saveBeforeLeaving()
{
    if (hasPendingEdit())
        FileAggiorna_Click();
    return !hasPendingEdit();
}

void Phone::markChanged()
{
    // An empty agenda has no record to hold what is typed: the first keystroke begins a new one,
    // as "Nuovo" would, so the save flow has somewhere to store it.
    if (!Data1->hasCurrent() && Data1->editMode() == EditMode::None && Data1->AddNew(true))
        Data1->setCaption(QStringLiteral("Nuovo Record"));
    setChangedState();
}

void Phone::cNew_Click()
{
    if (Data1->hasCurrent())
        RememberedID = Data1->currentId();
    bool added = false;
    for (int attempt = 0; attempt < Attempts && !added; ++attempt)
        added = Data1->AddNew();
    if (!added)
        return;
    Data1->setCaption(QStringLiteral("Nuovo Record"));
    setChangedState();
    tLName->setFocus();
}

void Phone::cUpdate_Click()
{
    const QString firstName = tFName->text();
    const QString lastName = tLName->text();
    if (!firstName.isEmpty() && !nameStartAccepted(firstName)) {
        m_platform.showMessage(QStringLiteral("Primo carattere del nome non Ammesso"));
        tFName->setFocus();
        return;
    }
    if (!lastName.isEmpty() && !nameStartAccepted(lastName)) {
        m_platform.showMessage(QStringLiteral("Primo carattere del cognome non Ammesso"));
        tLName->setFocus();
        return;
    }
    if (lastName.isEmpty() || firstName.isEmpty()) {
        m_platform.showMessage(QStringLiteral("Il cognome ed il nome devono essere riempiti!"));
        return;
    }

    // A write the store refuses leaves everything as typed, in the changed state, so the user can try again.
    auto refused = [this] {
        m_platform.showMessage(QStringLiteral("Impossibile salvare il record: %1").arg(Data1->lastError()));
    };
    if (Data1->editMode() == EditMode::Adding) {
        const DataControl::UpdateResult result = Data1->Update();
        if (result == DataControl::UpdateResult::Failed)
            return refused();
        if (Data1->editMode() != EditMode::None) {
            Data1->FindFirst(ById{RememberedID});
        } else {
            Data1->MoveLast();
            RememberedID = Data1->currentId();
            reloadAgendaShowing(RememberedID);
        }
    } else {
        if (!Data1->Edit())
            return refused();
        const DataControl::UpdateResult result = Data1->Update();
        if (result == DataControl::UpdateResult::Failed)
            return refused();
        if (result == DataControl::UpdateResult::Cancelled) {
            Data1->UpdateControls();
        } else {
            RememberedID = Data1->currentId();
            reloadAgendaShowing(RememberedID);
        }
    }
    setBrowsingState();
    Outline1->setFocus();
}

void Phone::Data1_Validate(int &action, bool &save)
{
    switch (action) {
    case DataAction::Update:
        if (save
            && m_platform.messageBox({QStringLiteral("Vuoi salvare le modifiche apportate?"), {},
                                      MessageButtons::YesNo, MessageIcon::Exclamation, MessageAnswer::Yes})
                   != MessageAnswer::Yes) {
            action = DataAction::Cancel;
            save = false;
        }
        break;
    case DataAction::Find:
        save = false;
        break;
    case DataAction::Close:
        if (save) {
            cUpdate_Click();
            if (hasPendingEdit()) {
                // The save was refused (a name to correct): the window stays with the card as typed.
                action = DataAction::Cancel;
            } else {
                // The save flow has had its say; nothing more is written on the way out.
                save = false;
            }
        }
        break;
    default:
        break;
    }
}

void Phone::cDelete_Click()
{
    // With no contact on the card there is nothing to delete and nothing to ask.
    if (!Data1->hasCurrent())
        return;
    if (!m_platform.askOkCancel(QStringLiteral("Vuoi veramente cancellare il record visualizzato?"),
                                QStringLiteral("Rubrello")))
        return;

    const QString name = Data1->field(Field::LastName).value_or(QString()) + QStringLiteral(", ")
        + Data1->field(Field::FirstName).value_or(QString());
    const int selected = Outline1->ListIndex();
    // Only the shown contact's own line goes: a selected line of another contact is left alone.
    const bool contactLineSelected
        = selected >= 0 && Outline1->Indent(selected) == 2 && Outline1->List(selected) == name;
    if (!contactLineSelected && selected >= 0 && Outline1->Indent(selected) == 1)
        Outline1->setExpand(selected, true);

    // The record goes first: when the store refuses, the tree still shows it.
    if (!Data1->Delete()) {
        m_platform.showMessage(QStringLiteral("Impossibile cancellare il record: %1").arg(Data1->lastError()));
        return;
    }
    if (contactLineSelected) {
        Outline1->RemoveItem(selected);
    } else if (const int line = Outline1->findLine(name); line >= 0) {
        Outline1->RemoveItem(line);
    }
    Data1->MoveNext();
    if (Data1->isEOF())
        Data1->MovePrevious();
    Outline1->setFocus();
}

void Phone::FileCancella_Click()
{
    cDelete_Click();
}
