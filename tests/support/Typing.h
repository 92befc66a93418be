// Typing into a box as the user would, one key event per character. QTest::keyClicks cannot send
// accented letters, so each character goes as the text of its own key event.
#pragma once

#include <QTest>
#include <QWidget>

inline void typeInto(QWidget *box, const QString &text)
{
    box->setFocus();
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
}
