// The platform of the running program: Qt's dialogs, clipboard, desktop services and printers.
#pragma once

#include "platform/Platform.h"

#include <QDialog>

#include <functional>

class QLineEdit;
class QPushButton;
class QSettings;

class QtPlatform : public Platform
{
public:
    // Keeps the printer the user printed on last in settings, for the next printout.
    void rememberIn(QSettings *settings) { m_memory = settings; }

    MessageAnswer messageBox(const MessageRequest &request) override;
    QString inputBox(const InputRequest &request) override;
    bool setClipboardText(const QString &text) override;
    bool openUrl(const QUrl &url) override;
    bool startProgram(const QString &program, const QStringList &arguments) override;
    std::unique_ptr<PrintJob> beginPrinting(const QString &documentName) override;
    std::unique_ptr<PageJob> beginPagePrinting(const QString &documentName, const QString &note) override;
    QSize screenSize() const override;
    void runModal(QDialog &dialog) override;
    void endProgram() override;

private:
    QSettings *m_memory = nullptr;
};

// The input box of QtPlatform: the prompt, the line to type in and, for a file to open, the
// "Sfoglia…" button that puts the file chosen in the system's file chooser into the line.
class InputBoxDialog : public QDialog
{
public:
    // Returns the chosen file, or an empty string when the user gave the chooser up.
    using FileChooser
        = std::function<QString(QWidget *parent, const QString &startFolder, const QString &filter)>;

    // Without a chooser the browse button opens Qt's file dialog.
    explicit InputBoxDialog(const InputRequest &request, QWidget *parent = nullptr, FileChooser chooser = {});

    QLineEdit *line() const { return m_line; }
    // Null unless the request named a file filter.
    QPushButton *browseButton() const { return m_browse; }

private:
    void chooseFile();
    // The folder the chooser opens in: the one the line names, or holds the file it names, or else home.
    QString startFolder() const;

    QLineEdit *m_line = nullptr;
    QPushButton *m_browse = nullptr;
    QString m_filter;
    bool m_toWrite = false;
    FileChooser m_chooser;
};
