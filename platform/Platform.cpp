#include "platform/Platform.h"

void Platform::showMessage(const QString &text, MessageIcon icon, const QString &title)
{
    messageBox({text, title, MessageButtons::Ok, icon, MessageAnswer::Ok});
}

bool Platform::askOkCancel(const QString &text, const QString &title)
{
    return messageBox({text, title, MessageButtons::OkCancel, MessageIcon::None, MessageAnswer::Ok})
        == MessageAnswer::Ok;
}
