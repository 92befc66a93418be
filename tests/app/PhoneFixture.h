// A main window over a store of its own and the scripted platform, loaded as at start-up.
#pragma once

#include "app/Phone.h"
#include "platform/ScriptedPlatform.h"
#include "tests/support/TestStore.h"

#include <QTest>

struct PhoneFixture
{
    TestStore test;
    ScriptedPlatform platform;
    std::unique_ptr<Phone> phone;

    // Builds the window; contacts added before load() are there at start-up.
    void load()
    {
        phone = std::make_unique<Phone>(platform, test.store(), test.directory());
        phone->Form_Load();
        phone->show();
        platform.messages.clear();
    }

    template<typename T = QWidget>
    T *find(const char *name) const
    {
        return phone->findChild<T *>(QString::fromLatin1(name));
    }
};
