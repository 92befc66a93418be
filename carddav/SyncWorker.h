// A sync on a thread of its own, with its own connection to the store, so the window stays usable:
// its progress and its end come back through the event loop of the thread that started it.
#pragma once

#include "carddav/CardDavSync.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <memory>

class QThread;

class SyncWorker : public QObject
{
    Q_OBJECT
public:
    explicit SyncWorker(QObject *parent = nullptr);
    ~SyncWorker() override;

    // Starts the sync of the store file at storePath with account; false when one is under way.
    bool start(const QString &storePath, const CardDavAccount &account, const QString &password);
    // Asks the sync under way to stop; finished() still comes, saying cancelled.
    void cancel();
    bool running() const { return m_thread != nullptr; }

signals:
    void progressed(const SyncProgress &progress);
    void finished(const SyncSummary &summary);

private:
    void end(const SyncSummary &summary);

    QThread *m_thread = nullptr;
    std::shared_ptr<std::atomic<bool>> m_cancel;
};
