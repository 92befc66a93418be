// Printing on a real printer or to a PDF file chosen in the system's print dialog.
#pragma once

#include "platform/Platform.h"

#include <QFont>
#include <QList>
#include <QRectF>
#include <QStringList>

class QPrinter;

// Asks for the printer (or, with none installed, for a PDF file); null when the user gave up.
std::unique_ptr<PrintJob> beginQtPrinting(Platform &platform, const QString &documentName);

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
    QFont font;
    qreal characterWidth = 0; // device pixels
    qreal lineSpacing = 0; // device pixels
    qreal ascent = 0; // device pixels
    int linesPerPage = 1;
};

PrintPageLayout printPageLayout(QPrinter &printer);

// Prints the paged documents: to a file they all go into that one file, each document starting on
// a new page; to a printer each document is a print job of its own. Returns an empty string or the
// reason for the failure.
QString renderDocuments(QPrinter &printer, const PrintPageLayout &layout,
    const QList<PagedText::Document> &documents, const QString &documentName);

// Lays out and prints whole documents of lines in one go, as a print job of the program would.
QString printDocuments(QPrinter &printer, const QList<QStringList> &documents, const QString &documentName);
