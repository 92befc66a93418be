// Test double of the platform: answers come from queues filled by the test, every call is recorded.
// The core's tests use ScriptedPlatform, which shows no form; the window's tests ScriptedUiPlatform.
#pragma once

#include "platform/Platform.h"

#include <QList>
#include <QQueue>
#include <QSizeF>

#include <functional>

class ScriptedPlatform : public Platform
{
public:
    struct StartedProgram
    {
        QString program;
        QStringList arguments;
    };

    // A printed document: the lines of one print document, in order.
    using Document = QStringList;

    // A page of a page printout, as the layouts placed its texts (mm, points).
    struct PlacedLine
    {
        qreal x = 0;
        qreal baseline = 0;
        qreal pointSize = 0;
        QString text;
    };
    struct Page
    {
        QSizeF paper;
        QList<PlacedLine> texts;
    };
    // What a preview showed, in place of the user printing it from there.
    struct Preview
    {
        QString documentName;
        QString note;
        bool numbered = false; // its pages carry their numbers
        qsizetype boxesBefore = 0; // message and input boxes shown before it
        QList<Page> pages; // of a page printout; a line printout's go to documents
    };

    MessageAnswer messageBox(const MessageRequest &request) override;
    QString inputBox(const InputRequest &request) override;
    bool setClipboardText(const QString &text) override;
    bool openUrl(const QUrl &url) override;
    bool startProgram(const QString &program, const QStringList &arguments) override;
    std::unique_ptr<PrintJob> beginPrinting(const QString &documentName) override;
    std::unique_ptr<PageJob> beginPagePrinting(const QString &documentName, const QString &note) override;
    QSize screenSize() const override { return screen; }
    // The core shows no form: a core test that gets here has found a fault.
    void runModal(QDialog &dialog) override;
    void endProgram() override { programEnded = true; }

    // Answers handed out in order; when a queue is empty a message box gets its default answer
    // and an input box is cancelled.
    QQueue<MessageAnswer> messageAnswers;
    QQueue<QString> inputAnswers;
    // Each script plays the user in one modal form (fill boxes, click a button);
    // with none left the form is closed from its frame.
    QQueue<std::function<void(QDialog &)>> dialogScripts;
    bool clipboardAvailable = true;
    bool urlOpens = true;
    bool programStarts = true;
    bool printerChosen = true; // false: nothing can be printed
    int linesPerPage = 60;
    QString printFailure; // non-empty: finish() reports this reason
    QSize screen{1280, 1024};

    QList<MessageRequest> messages;
    QList<InputRequest> inputs;
    QString clipboard;
    QList<QUrl> openedUrls;
    QList<StartedProgram> startedPrograms;
    QStringList printJobs; // document names passed to beginPrinting and beginPagePrinting
    QList<Document> documents; // every document of every finished job
    QList<Preview> previews; // every finished job, of lines or of pages
    QStringList modalForms; // object names of the forms shown modally
    bool programEnded = false;
};

class ScriptedUiPlatform : public ScriptedPlatform
{
public:
    void runModal(QDialog &dialog) override;
};
