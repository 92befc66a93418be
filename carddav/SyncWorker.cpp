#include "carddav/SyncWorker.h"

#include "contacts/ContactStore.h"

#include <QPointer>
#include <QThread>

SyncWorker::SyncWorker(QObject *parent)
    : QObject(parent)
{
}

SyncWorker::~SyncWorker()
{
    if (m_thread) {
        cancel();
        m_thread->wait();
        delete m_thread;
    }
}

bool SyncWorker::start(const QString &storePath, const CardDavAccount &account, const QString &password)
{
    if (m_thread)
        return false;
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    const QPointer<SyncWorker> self(this);
    const std::shared_ptr<std::atomic<bool>> cancel = m_cancel;
    m_thread = QThread::create([self, cancel, storePath, account, password] {
        SyncSummary summary;
        QString error;
        const std::unique_ptr<ContactStore> store = ContactStore::open(storePath, &error);
        if (!store) {
            summary.failure = error;
        } else {
            DavClient client({account.user, password, account.trustedCertificate}, cancel.get());
            summary = syncAddressBook(*store, client, account, [self](const SyncProgress &progress) {
                QMetaObject::invokeMethod(
                    self, [self, progress] { emit self->progressed(progress); }, Qt::QueuedConnection);
            });
        }
        QMetaObject::invokeMethod(
            self, [self, summary] { self->end(summary); }, Qt::QueuedConnection);
    });
    m_thread->start();
    return true;
}

void SyncWorker::cancel()
{
    if (m_cancel)
        m_cancel->store(true);
}

void SyncWorker::end(const SyncSummary &summary)
{
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
        m_thread = nullptr;
    }
    emit finished(summary);
}
