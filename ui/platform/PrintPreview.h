// The preview every printout opens in: its pages one under the other, each drawn only when it comes
// into view, and the buttons that print them on a printer or save them as a PDF file.
#pragma once

#include <QDialog>
#include <QSizeF>

#include <functional>
#include <memory>

class Platform;
class PreviewView;
class QLabel;
class QPainter;
class QPrinter;
class QPushButton;
class QRectF;
class QSettings;
class QToolButton;

// The pages of one printout as the preview shows them and the printer prints them.
class PreviewPages
{
public:
    virtual ~PreviewPages() = default;
    virtual int count() const = 0;
    // The paper of every page, in mm as it is printed.
    virtual QSizeF paper() const = 0;
    // Paints page index so that its paper fills target, in the painter's coordinates.
    virtual void paint(QPainter &painter, int index, const QRectF &target) const = 0;
    // Gives the printer the paper the pages were laid out on, before its dialog shows it.
    virtual void preparePrinter(QPrinter &printer) const = 0;
    // Prints every page; an empty string or the reason for the failure.
    virtual QString print(QPrinter &printer) const = 0;
};

// A printer on the one the user printed on last, when it is still there, or else on the system's
// default; with no printer installed it writes a PDF file.
std::unique_ptr<QPrinter> rememberedPrinter(QSettings *memory);

class PrintPreviewDialog : public QDialog
{
public:
    // Returns the file to write, or an empty string when the user gave the chooser up.
    using FileChooser = std::function<QString(QWidget *parent, const QString &suggested)>;

    // Without a chooser "Salva PDF…" opens Qt's file dialog. The note, when there is one, stands
    // above the pages. memory keeps the printer chosen last; it may be null.
    PrintPreviewDialog(const PreviewPages &pages, Platform &platform, const QString &documentName,
        const QString &note, QSettings *memory, QWidget *parent = nullptr, FileChooser chooser = {});

    // Why the printout failed once the dialog has closed; empty when it printed or was closed.
    QString failure() const { return m_failure; }

private:
    void printOnPrinter();
    void saveAsPdf();
    // Prints and closes the dialog, keeping the failure for the caller to tell.
    void printAndClose(QPrinter &printer);
    void showCurrentPage();

    const PreviewPages &m_pages;
    Platform &m_platform;
    QString m_documentName;
    QSettings *m_memory;
    FileChooser m_chooser;
    QString m_failure;
    PreviewView *m_view = nullptr;
    QLabel *m_pageLabel = nullptr;
    QToolButton *m_fitWidth = nullptr;
};

// Shows the preview and returns the failure of what was printed from it, if any.
QString showPrintPreview(const PreviewPages &pages, Platform &platform, const QString &documentName,
    const QString &note, QSettings *memory);
