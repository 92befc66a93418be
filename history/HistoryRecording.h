// One step of the undo history in the making: while it lives, every contact the store's writes
// change is kept as it was, in the same commit as the change. A deletion recorded with ToTrash also
// puts the contact in the trash. One step covers the writes of one command (a save, a deletion, a
// whole import); a write that fails takes its part of the step back with it.
#pragma once

#include "contacts/ContactStore.h"
#include "history/HistoryTables.h"

#include <QString>

#include <memory>
#include <vector>

class HistoryRecording
{
public:
    enum class Removal { ForGood, ToTrash };

    HistoryRecording(ContactStore &store, QString label, Removal removal = Removal::ForGood);
    ~HistoryRecording();
    HistoryRecording(const HistoryRecording &) = delete;
    HistoryRecording &operator=(const HistoryRecording &) = delete;

private:
    // Keeps the contact as it was; the reason when it cannot.
    QString record(qint64 id, ContactStore::RowChange change);
    // Writes the added contacts held back so far.
    QString writeAdded();

    ContactStore &m_store;
    QString m_label;
    Removal m_removal;
    qint64 m_step = 0;
    quint64 m_transaction = 0;
    std::unique_ptr<HistoryRowWriter> m_rows;
    // Added contacts are written many at a time: before the transaction commits, and before any
    // other change, so the step keeps its changes in the order they were made.
    std::vector<qint64> m_added;
};

// The labels of the steps, as the Edit menu completes "Annulla" and "Ripeti" with them.
QString savingLabel(const QString &name, bool added);
QString deletionLabel(const QString &name);
QString importLabel(const QString &fileName);
