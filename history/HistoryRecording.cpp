#include "history/HistoryRecording.h"

#include "history/ContactSnapshot.h"

HistoryRecording::HistoryRecording(ContactStore &store, QString label, Removal removal)
    : m_store(store)
    , m_label(std::move(label))
    , m_removal(removal)
{
    m_store.setWriteWatcher([this](qint64 id, ContactStore::RowChange change) { return record(id, change); });
}

HistoryRecording::~HistoryRecording()
{
    m_store.setWriteWatcher({});
}

QString HistoryRecording::record(qint64 id, ContactStore::RowChange change)
{
    sqlite3 *db = m_store.connection();
    QString error;
    // The step's first change makes it; a later transaction finds it again unless it was rolled back.
    if (m_step == 0 || (m_transaction != m_store.transactionNumber() && !historyStepExists(db, m_step))) {
        const std::optional<qint64> step = startHistoryStep(db, m_label, &error);
        if (!step)
            return error;
        m_step = *step;
        m_rows = std::make_unique<HistoryRowWriter>(db);
    }
    m_transaction = m_store.transactionNumber();

    QByteArray before;
    if (change != ContactStore::RowChange::Added) {
        before = takeSnapshot(db, id, &error);
        if (!error.isEmpty())
            return error;
    }
    const bool removed = change == ContactStore::RowChange::Removing;
    std::optional<qint64> trashId;
    if (removed && m_removal == Removal::ToTrash && !before.isNull()) {
        trashId = addToTrash(db, id, before, &error);
        if (!trashId)
            return error;
    }
    m_rows->write(m_step, id, before, removed, trashId, &error);
    return error;
}

QString savingLabel(const QString &name, bool added)
{
    return (added ? QStringLiteral("l'aggiunta di %1") : QStringLiteral("le modifiche a %1")).arg(name);
}

QString deletionLabel(const QString &name)
{
    return QStringLiteral("la cancellazione di %1").arg(name);
}

QString importLabel(const QString &fileName)
{
    return QStringLiteral("l'importazione di \"%1\"").arg(fileName);
}
