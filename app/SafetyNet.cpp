#include "app/SafetyNet.h"

#include "backup/BackupShelf.h"
#include "contacts/ContactStore.h"
#include "history/Trash.h"
#include "platform/Platform.h"

SafetyNet::SafetyNet(ContactStore &store, Platform &platform)
    : m_store(store)
    , m_platform(platform)
    , m_folder(backupFolderFor(store.path()))
{
}

SafetyNet::~SafetyNet() = default;

void SafetyNet::atStart()
{
    // A damaged store is never copied over the good copies: the copy waits for the check to pass.
    m_store.whenSound([this] {
        m_sound = true;
        expireTrash();
        if (m_folder.isEmpty())
            return;
        m_backup = std::make_unique<BackupThread>(
            m_store.path(), m_folder, [this](DailyBackup outcome, const QString &error) {
                if (outcome == DailyBackup::Failed)
                    tellFailure(error);
            });
    });
}

void SafetyNet::atEnd()
{
    if (m_backup)
        m_backup->wait();
    if (!m_sound)
        return;
    expireTrash();
    QString error;
    if (!m_folder.isEmpty()
        && takeDailyBackup(m_store.path(), m_folder, QDateTime::currentDateTime(), &error)
            == DailyBackup::Failed)
        tellFailure(error);
}

void SafetyNet::expireTrash()
{
    // What cannot be removed now stays in the trash until the next time.
    QString error;
    if (m_store.isWritable())
        ::expireTrash(m_store, QDateTime::currentDateTimeUtc(), &error);
}

void SafetyNet::tellFailure(const QString &error)
{
    m_platform.showMessage(error, MessageIcon::Exclamation);
}
