// The program's one seam to the system: message and input boxes, printer, clipboard,
// starting programs and opening URLs. QtPlatform is the real one, ScriptedPlatform the test double.
#pragma once

#include <QSize>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <memory>

class QDialog;

enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageIcon { None, Question, Exclamation, Information };
enum class MessageAnswer { Ok, Cancel, Yes, No };

struct MessageRequest
{
    QString text;
    QString title; // empty: the application title
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;
    MessageAnswer defaultAnswer = MessageAnswer::Ok;
};

struct InputRequest
{
    QString prompt;
    QString title; // empty: the application title
    QString defaultText;
    // Non-empty when the answer is a file to open: a "Sfoglia…" button beside the box lets the user
    // choose it in the system's file chooser, which shows the files this filter names
    // ("File di testo (*.txt);;Tutti i file (*)"). The initializer lets the other boxes leave it out.
    QString fileFilter{};
    // The file is one to write: the chooser asks where to save it.
    bool fileToWrite = false;
};

// One print command: line-by-line text laid out on the printer's pages, in one or more documents.
class PrintJob
{
public:
    virtual ~PrintJob() = default;
    virtual void printLine(const QString &line) = 0;
    // How many more lines fit on the current page; a document not begun yet has a whole page.
    virtual int linesLeft() const = 0;
    // Ends the current document; the next printed line begins a new one.
    virtual void endDocument() = 0;
    // Every page then carries its number, counted across all the documents, and the day it was
    // printed, in its bottom margin, which the lines never use. A job that cannot prints without.
    virtual void numberPages() { }
    // Shows what was printed, to be printed or saved; returns an empty string or the system's
    // reason for a failure.
    virtual QString finish() = 0;
};

// One printout laid out in whole pages by the program: labels, envelopes, the pocket agenda.
class PageJob
{
public:
    virtual ~PageJob() = default;
    // A new page on paper of this size in mm, as it is printed (an envelope is wider than tall).
    virtual void beginPage(const QSizeF &paper) = 0;
    // One line in the fixed-pitch font, x and baseline in mm from the paper's top-left corner.
    virtual void placeText(qreal x, qreal baseline, qreal pointSize, const QString &text) = 0;
    // As PrintJob::finish.
    virtual QString finish() = 0;
};

class Platform
{
public:
    virtual ~Platform() = default;

    // Title shown by message and input boxes that name none of their own.
    static QString applicationTitle() { return QStringLiteral("Rubrello 2000"); }

    virtual MessageAnswer messageBox(const MessageRequest &request) = 0;
    // The typed text, or an empty string when the user cancelled.
    virtual QString inputBox(const InputRequest &request) = 0;

    // False when there is no clipboard to put the text on.
    virtual bool setClipboardText(const QString &text) = 0;
    virtual bool openUrl(const QUrl &url) = 0;
    virtual bool startProgram(const QString &program, const QStringList &arguments) = 0;

    // A printout laid out for the printer chosen last; its finish() shows the pages in a preview,
    // from which the user prints them or saves them as a PDF. Null when nothing can be printed.
    virtual std::unique_ptr<PrintJob> beginPrinting(const QString &documentName) = 0;
    // The same for pages the program lays out itself; the note is shown with the preview.
    virtual std::unique_ptr<PageJob> beginPagePrinting(const QString &documentName, const QString &note) = 0;

    virtual QSize screenSize() const = 0;

    // Shows one of the program's own modal forms and returns when it has closed.
    virtual void runModal(QDialog &dialog) = 0;
    // Ends the program at once: no further event of any window runs.
    virtual void endProgram() = 0;

    // Shorthands for the common boxes.
    void showMessage(const QString &text, MessageIcon icon = MessageIcon::None, const QString &title = {});
    bool askOkCancel(const QString &text, const QString &title = {});
};
