#include "history/HistoryRecording.h"

#include "history/ContactSnapshot.h"

HistoryRecording::HistoryRecording(ContactStore &store, QString label, Removal removal)
    : m_store(store)
    , m_label(std::move(label))
    , m_removal(removal)
{
    m_store.setWriteWatcher([this](qint64 id, ContactStore::RowChange change) { return record(id, change); },
        [this] { return writeAdded(); });
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
    // What was held back for a transaction that did not commit went with it.
    if (m_transaction != m_store.transactionNumber())
        m_added.clear();
    m_transaction = m_store.transactionNumber();

    if (change == ContactStore::RowChange::Added) {
        constexpr size_t MostHeldBack = 4096;
        m_added.push_back(id);
        return m_added.size() < MostHeldBack ? QString() : writeAdded();
    }
    if (error = writeAdded(); !error.isEmpty())
        return error;
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

QString HistoryRecording::writeAdded()
{
    QString error;
    if (!m_added.empty() && m_transaction == m_store.transactionNumber())
        m_rows->writeAdded(m_step, m_added, &error);
    m_added.clear();
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
