// Undo and redo of the agenda's last steps, the trash and the duplicates: the Edit menu's items
// after the design's.
#include "ui/phone/Phone.h"

#include "history/Trash.h"
#include "history/UndoHistory.h"
#include "platform/Platform.h"
#include "ui/controls/BusyCursor.h"
#include "ui/controls/DataControl.h"
#include "ui/controls/Outline.h"
#include "ui/forms/DuplicatesDialog.h"
#include "ui/forms/TrashDialog.h"

#include <QAction>

void Phone::updateUndoActions()
{
    const std::optional<HistoryStep> undo = hasPendingEdit() ? std::nullopt : stepToUndo(m_store);
    const std::optional<HistoryStep> redo = hasPendingEdit() ? std::nullopt : stepToRedo(m_store);
    ui.FileAnnulla->setEnabled(undo.has_value());
    ui.FileRipeti->setEnabled(redo.has_value());
    // "Annulla la cancellazione di Rossi, Mario"; a & in a name is not a mnemonic.
    const auto caption = [](const QString &verb, const std::optional<HistoryStep> &step) {
        return step ? verb + u' ' + QString(step->label).replace(u'&', QLatin1String("&&")) : verb;
    };
    ui.FileAnnulla->setText(caption(QStringLiteral("Ann&ulla"), undo));
    ui.FileRipeti->setText(caption(QStringLiteral("&Ripeti"), redo));
}

void Phone::showHistoryOutcome(const HistoryOutcome &outcome, bool redo)
{
    if (!outcome.ok()) {
        m_platform.showMessage(historyFailureMessage(outcome, redo));
    } else {
        const qint64 shown = outcome.contacts.empty() ? ui.Data1->currentId() : outcome.contacts.front();
        reloadAgendaShowing(shown);
        ui.Outline1->setFocus();
    }
    updateUndoActions();
}

void Phone::FileAnnulla_Click()
{
    runHistoryStep(false);
}

void Phone::FileRipeti_Click()
{
    runHistoryStep(true);
}

void Phone::runHistoryStep(bool redo)
{
    if (hasPendingEdit())
        return;
    HistoryOutcome outcome;
    {
        const BusyCursor busy;
        outcome = redo ? redoStep(m_store) : undoStep(m_store);
    }
    showHistoryOutcome(outcome, redo);
}

void Phone::FileCestino_Click()
{
    if (!saveBeforeLeaving())
        return;
    TrashDialog trash(m_store, m_platform, this);
    m_platform.runModal(trash);
    if (!trash.restored().empty() || trash.changed())
        showHistoryOutcome(HistoryOutcome{{}, {}, trash.restored()}, false);
}

void Phone::FileDuplicati_Click()
{
    if (!saveBeforeLeaving())
        return;
    DuplicatesDialog duplicates(m_store, m_platform, this);
    m_platform.runModal(duplicates);
    // The card shows the contact the last merge kept; the Edit menu offers to undo it.
    if (!duplicates.mergedInto().empty())
        showHistoryOutcome(HistoryOutcome{{}, {}, duplicates.mergedInto()}, false);
}
