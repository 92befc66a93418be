// Undo and redo of the steps the history keeps (HistoryRecording): each goes back, or forward
// again, as one transaction. A contact an undo brings back takes its own id when that is free and
// a new one otherwise; what another program changed meanwhile is kept for the redo, never lost.
#pragma once

#include <QDateTime>
#include <QString>

#include <optional>
#include <vector>

class ContactStore;

struct HistoryStep
{
    qint64 step = 0;
    QString label; // "la cancellazione di Rossi, Mario"
    QDateTime time;
};

// The step an undo would take back, and the one a redo would do again; nullopt when there is none.
std::optional<HistoryStep> stepToUndo(const ContactStore &store);
std::optional<HistoryStep> stepToRedo(const ContactStore &store);

struct HistoryOutcome
{
    QString label; // of the step undone or done again
    QString failure; // why nothing changed; empty when it went through
    std::vector<qint64> contacts; // the contacts in the agenda that the step brought back or changed
    bool ok() const { return failure.isEmpty(); }
};

HistoryOutcome undoStep(ContactStore &store);
HistoryOutcome redoStep(ContactStore &store);

// "Impossibile annullare la cancellazione di Rossi, Mario: <why>"
QString historyFailureMessage(const HistoryOutcome &outcome, bool redo);
