// The pages the program lays out itself (output/PrintedPage.h) on a printer, a PDF file and the
// preview, and the print job that gathers them for the preview.
#pragma once

#include "output/PrintedPage.h"
#include "platform/Platform.h"

#include <QString>

#include <memory>
#include <vector>

class QPainter;
class QPrinter;
class QRectF;
class QSettings;

// Paints the page so that its paper fills target, a rectangle in the painter's coordinates.
void paintPrintedPage(QPainter &painter, const PrintedPage &page, const QRectF &target);

// Puts the printer on the paper given in mm: A4, A6, DL and C5 by their names, turned to landscape
// when wider than tall, any other size as a size of its own. The painter's origin is the paper's
// corner, where the page's measures start.
void setPrinterPaper(QPrinter &printer, const QSizeF &paper);

// Prints the pages on the printer's paper, which setPrinterPaper gave it or the user chose in the
// print dialog; an empty string or the reason for a failure.
QString printPrintedPages(
    QPrinter &printer, const std::vector<PrintedPage> &pages, const QString &documentName);

// The job whose finish() shows the pages in the preview; memory keeps the printer chosen last.
std::unique_ptr<PageJob> beginQtPagePrinting(
    Platform &platform, const QString &documentName, const QString &note, QSettings *memory);
