#include "ui/platform/QtPrintJob.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#include <cmath>

namespace {

// Large enough to read, small enough that a wide page does not turn the list into a poster.
constexpr qreal LargestPointSize = 12.0;
// Many printers clip well inside the printable area they report, so the text keeps clear of every
// edge of the paper by this much.
constexpr qreal MarginMillimetres = 15.0;

bool printsToFile(const QPrinter &printer)
{
    return printer.outputFormat() == QPrinter::PdfFormat || !printer.outputFileName().isEmpty();
}

// The system's reason why a file cannot be written, learned without harming a file already there.
QString fileFailure(const QString &fileName)
{
    const bool existed = QFileInfo::exists(fileName);
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return QStringLiteral("impossibile scrivere il file \"%1\": %2")
            .arg(QDir::toNativeSeparators(fileName), file.errorString());
    file.close();
    if (!existed)
        file.remove();
    return QStringLiteral("impossibile scrivere il file \"%1\".").arg(QDir::toNativeSeparators(fileName));
}

QString beginFailure(const QPrinter &printer)
{
    if (printsToFile(printer))
        return fileFailure(printer.outputFileName());
    return QStringLiteral("la stampante \"%1\" non è pronta o non accetta la stampa.")
        .arg(printer.printerName());
}

void drawPage(QPainter &painter, const PrintPageLayout &layout, const PagedText::Page &page)
{
    for (qsizetype row = 0; row < page.size(); ++row)
        painter.drawText(
            QPointF(layout.textArea.left(),
                layout.textArea.top() + layout.ascent + static_cast<qreal>(row) * layout.lineSpacing),
            page.at(row));
}

// One painter session: the pages of every document given, each page after the first on a new sheet.
QString renderSession(
    QPrinter &printer, const PrintPageLayout &layout, const QList<PagedText::Document> &documents)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return beginFailure(printer);
    painter.setFont(layout.font);
    painter.setPen(Qt::black);
    bool firstPage = true;
    for (const PagedText::Document &document : documents) {
        for (const PagedText::Page &page : document) {
            if (!firstPage && !printer.newPage()) {
                painter.end();
                return QStringLiteral("impossibile cominciare una nuova pagina.");
            }
            firstPage = false;
            drawPage(painter, layout, page);
        }
    }
    if (!painter.end())
        return beginFailure(printer);
    return {};
}

QString defaultPdfPath(const QString &documentName)
{
    QString base = documentName;
    base.replace(QRegularExpression(QStringLiteral("[/\\\\:*?\"<>|]")), QStringLiteral("_"));
    if (base.trimmed().isEmpty())
        base = QStringLiteral("Rubrello");
    QString dir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (dir.isEmpty() || !QDir(dir).exists())
        dir = QDir::homePath();
    return QDir(dir).filePath(base + QStringLiteral(".pdf"));
}

class QtPrintJob : public PrintJob
{
public:
    QtPrintJob(std::unique_ptr<QPrinter> printer, const QString &documentName)
        : m_printer(std::move(printer))
        , m_layout(printPageLayout(*m_printer))
        , m_text(PrintPageLayout::Columns, m_layout.linesPerPage)
        , m_documentName(documentName)
    {
    }

    void printLine(const QString &line) override { m_text.printLine(line); }
    int linesLeft() const override { return m_text.linesLeft(); }
    void endDocument() override { m_text.endDocument(); }
    QString finish() override
    {
        return renderDocuments(*m_printer, m_layout, m_text.documents(), m_documentName);
    }

private:
    std::unique_ptr<QPrinter> m_printer;
    PrintPageLayout m_layout;
    PagedText m_text;
    QString m_documentName;
};

} // namespace

PagedText::PagedText(int columns, int linesPerPage)
    : m_columns(std::max(columns, 1))
    , m_linesPerPage(std::max(linesPerPage, 1))
{
}

QStringList PagedText::rowsOf(const QString &line) const
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    QStringList rows;
    for (QString piece : line.split(lineBreak)) {
        piece.replace(QLatin1Char('\t'), QLatin1Char(' '));
        do {
            qsizetype cut = std::min<qsizetype>(m_columns, piece.size());
            // Never part the two halves of a character outside the BMP.
            if (cut < piece.size() && cut > 1 && piece.at(cut - 1).isHighSurrogate())
                --cut;
            rows.append(piece.left(cut));
            piece.remove(0, cut);
        } while (!piece.isEmpty());
    }
    return rows;
}

void PagedText::printLine(const QString &line)
{
    if (!m_open) {
        m_documents.append(Document{Page{}});
        m_open = true;
    }
    for (const QString &row : rowsOf(line)) {
        // A line that runs past the bottom goes on on the next page.
        if (m_documents.last().last().size() >= m_linesPerPage)
            m_documents.last().append(Page{});
        m_documents.last().last().append(row);
    }
}

int PagedText::linesLeft() const
{
    return m_linesPerPage - (m_open ? int(m_documents.last().last().size()) : 0);
}

void PagedText::endDocument()
{
    m_open = false;
}

PrintPageLayout printPageLayout(QPrinter &printer)
{
    PrintPageLayout layout;
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setFixedPitch(true);
    font.setStyleHint(QFont::Monospace);
    font.setKerning(false);

    // The painter's origin is the corner of the printable area; the margins are measured from the
    // paper's edge and widened where the printer cannot print that far out.
    const int resolution = printer.resolution();
    const QPageLayout page = printer.pageLayout();
    const QRectF printable = page.paintRectPixels(resolution);
    const qreal margin = MarginMillimetres * resolution / 25.4;
    const QRectF text = QRectF(page.fullRectPixels(resolution))
                            .adjusted(margin, margin, -margin, -margin)
                            .intersected(printable);
    // A paper too small for the margins still gets its lines, on the whole printable area.
    layout.textArea = (text.isEmpty() ? printable : text).translated(-printable.topLeft());

    const QString fullLine(PrintPageLayout::Columns, QLatin1Char('M'));
    const qreal width = layout.textArea.width();
    const qreal probeSize = 10.0;
    font.setPointSizeF(probeSize);
    const qreal probeWidth = QFontMetricsF(font, &printer).horizontalAdvance(fullLine);
    qreal size = probeWidth > 0 ? probeSize * width / probeWidth : probeSize;
    size = std::min(size, LargestPointSize);
    font.setPointSizeF(size);
    // Rounding in the font engine may leave the line a hair too wide: shrink until it fits.
    while (size > 1.0 && QFontMetricsF(font, &printer).horizontalAdvance(fullLine) > width) {
        size *= 0.98;
        font.setPointSizeF(size);
    }

    const QFontMetricsF metrics(font, &printer);
    layout.font = font;
    layout.characterWidth = metrics.horizontalAdvance(fullLine) / PrintPageLayout::Columns;
    layout.lineSpacing = metrics.lineSpacing();
    layout.ascent = metrics.ascent();
    if (layout.lineSpacing > 0)
        layout.linesPerPage
            = std::max(1, static_cast<int>(std::floor(layout.textArea.height() / layout.lineSpacing)));
    return layout;
}

QString renderDocuments(QPrinter &printer, const PrintPageLayout &layout,
    const QList<PagedText::Document> &documents, const QString &documentName)
{
    if (documents.isEmpty())
        return {};
    printer.setDocName(documentName);
    // Documents sent to one file name one after another would each overwrite the one before.
    if (printsToFile(printer))
        return renderSession(printer, layout, documents);
    for (const PagedText::Document &document : documents) {
        const QString failure = renderSession(printer, layout, {document});
        if (!failure.isEmpty())
            return failure;
    }
    return {};
}

QString printDocuments(QPrinter &printer, const QList<QStringList> &documents, const QString &documentName)
{
    const PrintPageLayout layout = printPageLayout(printer);
    PagedText text(PrintPageLayout::Columns, layout.linesPerPage);
    for (const QStringList &lines : documents) {
        for (const QString &line : lines)
            text.printLine(line);
        text.endDocument();
    }
    return renderDocuments(printer, layout, text.documents(), documentName);
}

std::unique_ptr<PrintJob> beginQtPrinting(Platform &platform, const QString &documentName)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setCreator(Platform::applicationTitle());
    printer->setDocName(documentName);
    QWidget *parent = QApplication::activeWindow();

    if (QPrinterInfo::availablePrinters().isEmpty()) {
        const MessageAnswer answer = platform.messageBox(
            {QStringLiteral(
                 "Non è installata nessuna stampante.\r\rPremere <OK> per salvare la stampa in un file PDF, "
                 "premere <Annulla> per NON stampare"),
                {}, MessageButtons::OkCancel, MessageIcon::Exclamation, MessageAnswer::Ok});
        if (answer != MessageAnswer::Ok)
            return nullptr;
        QString fileName
            = QFileDialog::getSaveFileName(parent, QStringLiteral("Salva la stampa come file PDF"),
                defaultPdfPath(documentName), QStringLiteral("Documenti PDF (*.pdf)"));
        if (fileName.isEmpty())
            return nullptr;
        if (QFileInfo(fileName).suffix().isEmpty())
            fileName += QStringLiteral(".pdf");
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(fileName);
        return std::make_unique<QtPrintJob>(std::move(printer), documentName);
    }

    // The dialog starts on the default printer and also offers printing to a PDF file.
    QPrintDialog dialog(printer.get(), parent);
    dialog.setWindowTitle(QStringLiteral("Stampa"));
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    if (dialog.exec() != QDialog::Accepted)
        return nullptr;
    return std::make_unique<QtPrintJob>(std::move(printer), documentName);
}
