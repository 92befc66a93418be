#include "backup/BackupThread.h"

#include <QDateTime>

BackupThread::BackupThread(const QString &storePath, const QString &folder, Done done)
    : m_context(std::make_unique<QObject>())
{
    // The context outlives the thread (the destructor waits for it); a call queued to it that has
    // not run when it goes is dropped with it.
    QObject *context = m_context.get();
    m_thread = std::thread([storePath, folder, done = std::move(done), context] {
        QString error;
        const DailyBackup outcome = takeDailyBackup(storePath, folder, QDateTime::currentDateTime(), &error);
        QMetaObject::invokeMethod(
            context, [done, outcome, error] { done(outcome, error); }, Qt::QueuedConnection);
    });
}

BackupThread::~BackupThread()
{
    wait();
}

void BackupThread::wait()
{
    if (m_thread.joinable())
        m_thread.join();
}
