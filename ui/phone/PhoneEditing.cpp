// Record editing: the edit state, new, save and delete, change marking, name cleaning and the
// data control's questions before it writes.
#include "ui/phone/Phone.h"

#include "contacts/NameRules.h"
#include "history/HistoryRecording.h"
#include "platform/Platform.h"
#include "ui/controls/Outline.h"

#include <QAction>
#include <QToolButton>

namespace {

// A flow retries a failed step this many times before it gives up with the message.
constexpr int Attempts = 3;

} // namespace

void Phone::setBrowsingState()
{
    ui.Data1->setEnabled(true);
    ui.cNew->setEnabled(true);
    ui.cDelete->setEnabled(true);
    ui.cUpdate->setEnabled(false);
    ui.FileNuovo->setEnabled(true);
    ui.FileCancella->setEnabled(true);
    ui.FileAggiorna->setEnabled(false);
    m_editPending = false;
    if (std::exchange(m_syncedMeanwhile, false))
        reloadAgendaShowing(ui.Data1->currentId());
    updateUndoActions();
}

void Phone::setChangedState()
{
    ui.Data1->setEnabled(false);
    ui.cNew->setEnabled(false);
    ui.cDelete->setEnabled(false);
    ui.cUpdate->setEnabled(true);
    ui.FileNuovo->setEnabled(false);
    ui.FileCancella->setEnabled(false);
    ui.FileAggiorna->setEnabled(true);
    const bool wasPending = m_editPending;
    m_editPending = true;
    if (!wasPending)
        updateUndoActions();
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
    if (!ui.Data1->hasCurrent() && ui.Data1->editMode() == EditMode::None && ui.Data1->AddNew(true))
        ui.Data1->setCaption(QStringLiteral("Nuovo Record"));
    setChangedState();
}

void Phone::cNew_Click()
{
    if (ui.Data1->hasCurrent())
        RememberedID = ui.Data1->currentId();
    bool added = false;
    for (int attempt = 0; attempt < Attempts && !added; ++attempt)
        added = ui.Data1->AddNew();
    if (!added)
        return;
    ui.Data1->setCaption(QStringLiteral("Nuovo Record"));
    setChangedState();
    ui.tLName->setFocus();
}

void Phone::cUpdate_Click()
{
    const QString firstName = ui.tFName->text();
    const QString lastName = ui.tLName->text();
    if (!firstName.isEmpty() && !nameStartAccepted(firstName)) {
        m_platform.showMessage(QStringLiteral("Primo carattere del nome non Ammesso"));
        ui.tFName->setFocus();
        return;
    }
    if (!lastName.isEmpty() && !nameStartAccepted(lastName)) {
        m_platform.showMessage(QStringLiteral("Primo carattere del cognome non Ammesso"));
        ui.tLName->setFocus();
        return;
    }
    if (lastName.isEmpty() || firstName.isEmpty()) {
        m_platform.showMessage(QStringLiteral("Il cognome ed il nome devono essere riempiti!"));
        return;
    }

    // The save is a step the Edit menu can undo.
    const HistoryRecording recording(
        m_store, savingLabel(nameLine(lastName, firstName), ui.Data1->editMode() == EditMode::Adding));
    // A write the store refuses leaves everything as typed, in the changed state, so the user can try again.
    auto refused = [this] {
        m_platform.showMessage(
            QStringLiteral("Impossibile salvare il record: %1").arg(ui.Data1->lastError()));
    };
    if (ui.Data1->editMode() == EditMode::Adding) {
        const DataControl::UpdateResult result = ui.Data1->Update();
        if (result == DataControl::UpdateResult::Failed)
            return refused();
        if (ui.Data1->editMode() != EditMode::None) {
            ui.Data1->FindFirst(ById{RememberedID});
        } else {
            ui.Data1->MoveLast();
            RememberedID = ui.Data1->currentId();
            reloadAgendaShowing(RememberedID);
        }
    } else {
        if (!ui.Data1->Edit())
            return refused();
        const DataControl::UpdateResult result = ui.Data1->Update();
        if (result == DataControl::UpdateResult::Failed)
            return refused();
        if (result == DataControl::UpdateResult::Cancelled) {
            ui.Data1->UpdateControls();
        } else {
            RememberedID = ui.Data1->currentId();
            reloadAgendaShowing(RememberedID);
        }
    }
    setBrowsingState();
    ui.Outline1->setFocus();
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
    if (!ui.Data1->hasCurrent())
        return;
    if (!m_platform.askOkCancel(
            QStringLiteral("Vuoi veramente cancellare il record visualizzato?"), QStringLiteral("Rubrello")))
        return;

    const QString name = nameLine(ui.Data1->field(Field::LastName).value_or(QString()),
        ui.Data1->field(Field::FirstName).value_or(QString()));
    const int selected = ui.Outline1->ListIndex();
    // Only the shown contact's own line goes: a selected line of another contact is left alone.
    const bool contactLineSelected
        = selected >= 0 && ui.Outline1->Indent(selected) == 2 && ui.Outline1->List(selected) == name;
    if (!contactLineSelected && selected >= 0 && ui.Outline1->Indent(selected) == 1)
        ui.Outline1->setExpand(selected, true);

    // The tree keeps showing the whole agenda when it did: a later save moves lines from there.
    const bool treeWasWholeAgenda = treeShowsDataRows();
    // The record goes first: when the store refuses, the tree still shows it. It goes to the trash,
    // as a step the Edit menu can undo.
    {
        const HistoryRecording recording(m_store, deletionLabel(name), HistoryRecording::Removal::ToTrash);
        if (!ui.Data1->Delete()) {
            m_platform.showMessage(
                QStringLiteral("Impossibile cancellare il record: %1").arg(ui.Data1->lastError()));
            return;
        }
    }
    updateUndoActions();
    if (contactLineSelected) {
        ui.Outline1->RemoveItem(selected);
    } else if (const int line = ui.Outline1->findLine(name); line >= 0) {
        ui.Outline1->RemoveItem(line);
    }
    if (treeWasWholeAgenda)
        rememberOutlineRows();
    ui.Data1->MoveNext();
    if (ui.Data1->isEOF())
        ui.Data1->MovePrevious();
    ui.Outline1->setFocus();
}

void Phone::FileCancella_Click()
{
    cDelete_Click();
}
