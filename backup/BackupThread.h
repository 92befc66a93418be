// The day's copy taken on a thread of its own, so that the window never waits for it.
#pragma once

#include "backup/BackupShelf.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <thread>

class BackupThread
{
public:
    // done is called with the outcome through the event loop of the thread that made this object,
    // unless the object is gone by then.
    using Done = std::function<void(DailyBackup outcome, const QString &error)>;
    BackupThread(const QString &storePath, const QString &folder, Done done);
    // Waits for the copy in hand.
    ~BackupThread();
    BackupThread(const BackupThread &) = delete;
    BackupThread &operator=(const BackupThread &) = delete;

    void wait();

private:
    std::unique_ptr<QObject> m_context;
    std::thread m_thread;
};
