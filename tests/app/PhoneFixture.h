// A main window over a store of its own and the scripted platform, loaded as at start-up and driven
// through its controls as the user finds them: by name, with clicks, keys and menu items.
#pragma once

#include "tests/support/ScriptedPlatform.h"
#include "tests/support/TestStore.h"
#include "tests/support/Typing.h"
#include "ui/controls/BoundBox.h"
#include "ui/controls/DataControl.h"
#include "ui/controls/Outline.h"
#include "ui/phone/Phone.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QTest>

using namespace Qt::StringLiterals;

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
        (void)QTest::qWaitForWindowActive(phone.get());
        platform.messages.clear();
    }

    template<typename T = QWidget>
    T *find(const QString &name) const
    {
        T *found = phone->findChild<T *>(name);
        if (!found)
            qFatal("the main window has no %s", qPrintable(name));
        return found;
    }
    QString text(const QString &name) const { return find<BoundLineEdit>(name)->text(); }
    Outline &tree() const { return *find<Outline>(u"Outline1"_s); }
    DataControl &data() const { return *find<DataControl>(u"Data1"_s); }
    QString caption() const { return data().Caption(); }
    QString stored(qint64 id, Field field) { return test.store().read(id)->text(field); }
    // A menu item or a control is enabled.
    bool enabled(const QString &name) const
    {
        if (auto *action = phone->findChild<QAction *>(name))
            return action->isEnabled();
        return find(name)->isEnabled();
    }

    // Triggers the menu item or clicks the control of that name.
    void act(const QString &name)
    {
        if (auto *action = phone->findChild<QAction *>(name))
            action->trigger();
        else
            QTest::mouseClick(find(name), Qt::LeftButton);
    }
    void save(MessageAnswer answer = MessageAnswer::Yes)
    {
        platform.messageAnswers.enqueue(answer);
        act(u"cUpdate"_s);
    }
    // Types at the end of what the box holds.
    void type(const QString &name, const QString &text)
    {
        QWidget *target = find(name);
        target->setFocus();
        const bool line = qobject_cast<QLineEdit *>(target);
        QTest::keyClick(target, Qt::Key_End, line ? Qt::NoModifier : Qt::ControlModifier);
        typeInto(target, text);
    }
    void newContact(const QString &lastName, const QString &firstName)
    {
        act(u"cNew"_s);
        type(u"tLName"_s, lastName);
        type(u"tFName"_s, firstName);
    }
    // Clicks the line in the tree, its letter (the nearest line of level 1 at or above it) opened first.
    void clickLine(const QString &text)
    {
        Outline &t = tree();
        const int line = t.findLine(text);
        int letter = line;
        while (letter > 0 && t.Indent(letter) != 1)
            --letter;
        t.setExpand(letter, true);
        t.setListIndex(line);
        t.scrollTo(t.currentIndex());
        QTest::mouseClick(t.viewport(), Qt::LeftButton, {}, t.visualRect(t.currentIndex()).center());
    }
    QStringList treeLines() const
    {
        QStringList lines;
        for (int i = 0; i < tree().ListCount(); ++i)
            lines.append(tree().List(i));
        return lines;
    }
    // The name of the widget with the keyboard focus, empty when none has it.
    static QString focusName()
    {
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
    }
};

// The base of the window's tests: a fresh fixture for every case.
class PhoneTest : public QObject
{
    Q_OBJECT
protected:
    std::unique_ptr<PhoneFixture> f;
private slots:
    void init() { f = std::make_unique<PhoneFixture>(); }
    void cleanup() { f.reset(); }
};
