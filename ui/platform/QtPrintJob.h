// The program's printed lines on a printer's pages: laid out for the printer chosen last, shown in
// the preview, and printed or saved as a PDF file from there.
#pragma once

#include "platform/Platform.h"

#include <QDate>
#include <QFont>
#include <QList>
#include <QRectF>
#include <QStringList>

class PreviewPages;
class QPainter;
class QPrinter;
class QSettings;

// The job lays its lines out on the pages of the printer remembered in memory (which may be null).
std::unique_ptr<PrintJob> beginQtPrinting(Platform &platform, const QString &documentName, QSettings *memory);

// The printed lines laid out in rows no wider than the page and pages no taller than it, document
// by document. A line is broken at its own line breaks and wherever it is wider than the page.
class PagedText
{
public:
    using Page = QStringList;
    using Document = QList<Page>;

    PagedText(int columns, int linesPerPage);

    void printLine(const QString &line);
    // How many more rows fit on the current page.
    int linesLeft() const;
    bool pageFull() const { return linesLeft() <= 0; }
    void endDocument();
    const QList<Document> &documents() const { return m_documents; }

private:
    QStringList rowsOf(const QString &line) const;

    int m_columns;
    int m_linesPerPage;
    QList<Document> m_documents;
    bool m_open = false;
};

// How text stands on the printer's pages: inside margins of 15 mm from the paper's edge (more where
// the printer cannot print so far out), a fixed-pitch font small enough for the program's 78-column
// lines to fit between them, and as many lines as the height between them holds.
struct PrintPageLayout
{
    static constexpr int Columns = 78;

    QRectF textArea; // device pixels, from the corner of the printable area
    QRectF paper; // the whole sheet, in the same pixels
    int resolution = 0; // of the device pixels, per inch
    QFont font;
    qreal characterWidth = 0; // device pixels
    qreal lineSpacing = 0; // device pixels
    qreal ascent = 0; // device pixels
    int linesPerPage = 1;
    // The page number's line, midway down the bottom margin where the printer can print.
    qreal footerBaseline = 0; // device pixels
};

PrintPageLayout printPageLayout(QPrinter &printer);

// The same documents on pages of at most linesPerPage rows, for a printer whose pages hold fewer
// rows than the ones they were laid out on: a page too long goes on on a page of its own.
QList<PagedText::Document> fitDocuments(const QList<PagedText::Document> &documents, int linesPerPage);

// The page's rows, drawn in the painter's font, and with a number above 0 the footer
// "Pagina 3 — stampata il 8/12/2026". The painter's units are the layout's device pixels.
void drawTextPage(QPainter &painter, const PrintPageLayout &layout, const PagedText::Page &page,
    int number = 0, const QDate &printedOn = {});

// Prints the paged documents: to a file they all go into that one file, each document starting on
// a new page; to a printer each document is a print job of its own. A valid numberedOn numbers the
// pages across every document, with that day as the one they were printed on. Returns an empty
// string or the reason for the failure.
QString renderDocuments(QPrinter &printer, const PrintPageLayout &layout,
    const QList<PagedText::Document> &documents, const QString &documentName, const QDate &numberedOn = {});

// The documents' pages as the preview shows and prints them, on the paper of the printer they were
// laid out for; numbered, they carry their numbers and the day. layout and documents must outlive them.
std::unique_ptr<PreviewPages> textPreviewPages(const QPrinter &printer, const PrintPageLayout &layout,
    const QList<PagedText::Document> &documents, const QString &documentName, bool numbered);

// Lays out and prints whole documents of lines in one go, as a print job of the program would.
QString printDocuments(QPrinter &printer, const QList<QStringList> &documents, const QString &documentName);

// Why a painter could not begin or end on the printer: the file that cannot be written, or the
// printer that is not ready.
QString paintingFailure(const QPrinter &printer);
