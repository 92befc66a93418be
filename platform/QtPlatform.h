// The platform of the running program: Qt's dialogs, clipboard, desktop services and printers.
#pragma once

#include "platform/Platform.h"

class QtPlatform : public Platform
{
public:
    MessageAnswer messageBox(const MessageRequest &request) override;
    QString inputBox(const InputRequest &request) override;
    bool setClipboardText(const QString &text) override;
    bool openUrl(const QUrl &url) override;
    bool startProgram(const QString &program, const QStringList &arguments) override;
    std::unique_ptr<PrintJob> beginPrinting(const QString &documentName) override;
    QSize screenSize() const override;
    void runModal(QDialog &dialog) override;
    void endProgram() override;
};
