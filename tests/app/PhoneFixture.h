// A main window over a store of its own and the scripted platform, loaded as at start-up.
#pragma once

#include "ui/phone/Phone.h"
#include "tests/support/ScriptedPlatform.h"
#include "tests/support/TestStore.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFrame>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

struct PhoneFixture
{
    TestStore test;
    ScriptedUiPlatform platform;
    std::unique_ptr<Phone> phone;

    // Builds the window; contacts added before load() are there at start-up.
    void load()
    {
        phone = std::make_unique<Phone>(platform, test.store(), test.directory());
        phone->Form_Load();
        phone->show();
        phone->activateWindow();
        if (!QTest::qWaitForWindowActive(phone.get()))
            qWarning("the main window did not become active");
        platform.messages.clear();
    }

    // The name of the widget with the keyboard focus, empty when none has it.
    static QString focusName()
    {
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
    }

    template<typename T = QWidget>
    T *find(const char *name) const
    {
        return phone->findChild<T *>(QString::fromLatin1(name));
    }
};
