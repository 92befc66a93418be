// What the program does for the safety of the agenda as it starts and as it ends: the day's backup,
// taken on a thread of its own once the store's check has passed, or at the end when none could be
// taken that day yet; and the contacts that have been in the trash past their days removed for good.
// A backup that fails is told; it never keeps the program from going on.
#pragma once

#include "backup/BackupThread.h"

#include <memory>

class ContactStore;
class Platform;

class SafetyNet
{
public:
    // Both must outlive the safety net.
    SafetyNet(ContactStore &store, Platform &platform);
    ~SafetyNet();

    // Run once the program's window shows: the rest waits for the store's check.
    void atStart();
    // Run once the window has closed.
    void atEnd();

private:
    void expireTrash();
    void tellFailure(const QString &error);

    ContactStore &m_store;
    Platform &m_platform;
    QString m_folder;
    std::unique_ptr<BackupThread> m_backup;
    // The store's check has passed.
    bool m_sound = false;
};
