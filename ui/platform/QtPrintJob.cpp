#include "ui/platform/QtPrintJob.h"

#include "ui/platform/PrintPreview.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPaintDevice>
#include <QPainter>
#include <QPrinter>
#include <QRegularExpression>

#include <algorithm>
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

// One painter session: the pages of every document given, each page after the first on a new sheet.
// pageNumber counts on from session to session; 0 leaves the pages without numbers.
QString renderSession(QPrinter &printer, const PrintPageLayout &layout,
    const QList<PagedText::Document> &documents, int &pageNumber, const QDate &printedOn)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return paintingFailure(printer);
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
            drawTextPage(painter, layout, page, pageNumber > 0 ? pageNumber++ : 0, printedOn);
        }
    }
    if (!painter.end())
        return paintingFailure(printer);
    return {};
}

// The pages of a job as the preview shows them, on the paper of the printer they were laid out for.
class TextPreviewPages : public PreviewPages
{
public:
    TextPreviewPages(const QPrinter &printer, const PrintPageLayout &layout,
        const QList<PagedText::Document> &documents, const QString &documentName, bool numbered)
        : m_pageLayout(printer.pageLayout())
        , m_layout(layout)
        , m_documents(documents)
        , m_documentName(documentName)
        , m_numbered(numbered)
    {
        for (const PagedText::Document &document : documents)
            for (const PagedText::Page &page : document)
                m_pages.push_back(&page);
    }

    int count() const override { return static_cast<int>(m_pages.size()); }
    QSizeF paper() const override { return m_pageLayout.fullRect(QPageLayout::Millimeter).size(); }

    void paint(QPainter &painter, int index, const QRectF &target) const override
    {
        painter.translate(target.topLeft());
        const qreal scale = target.width() / m_layout.paper.width();
        painter.scale(scale, scale);
        painter.translate(-m_layout.paper.topLeft());
        // The font's points are taken at the device's resolution; the units here are the printer's.
        QFont font = m_layout.font;
        font.setPointSizeF(font.pointSizeF() * m_layout.resolution / painter.device()->logicalDpiY());
        font.setHintingPreference(QFont::PreferNoHinting);
        painter.setFont(font);
        painter.setPen(Qt::black);
        drawTextPage(painter, m_layout, *m_pages[static_cast<size_t>(index)], m_numbered ? index + 1 : 0,
            QDate::currentDate());
    }

    void preparePrinter(QPrinter &printer) const override
    {
        printer.setPageSize(m_pageLayout.pageSize());
        printer.setPageOrientation(m_pageLayout.orientation());
    }

    QString print(QPrinter &printer) const override
    {
        const PrintPageLayout layout = printPageLayout(printer);
        return renderDocuments(printer, layout, fitDocuments(m_documents, layout.linesPerPage),
            m_documentName, m_numbered ? QDate::currentDate() : QDate());
    }

private:
    QPageLayout m_pageLayout;
    const PrintPageLayout &m_layout;
    const QList<PagedText::Document> &m_documents;
    QString m_documentName;
    bool m_numbered;
    std::vector<const PagedText::Page *> m_pages;
};

class QtPrintJob : public PrintJob
{
public:
    QtPrintJob(Platform &platform, const QString &documentName, QSettings *memory)
        : m_platform(platform)
        , m_memory(memory)
        , m_printer(rememberedPrinter(memory))
        , m_layout(printPageLayout(*m_printer))
        , m_text(PrintPageLayout::Columns, m_layout.linesPerPage)
        , m_documentName(documentName)
    {
    }

    void printLine(const QString &line) override { m_text.printLine(line); }
    int linesLeft() const override { return m_text.linesLeft(); }
    void endDocument() override { m_text.endDocument(); }
    void numberPages() override { m_numbered = true; }
    QString finish() override
    {
        if (m_text.documents().isEmpty())
            return {};
        const std::unique_ptr<PreviewPages> pages
            = textPreviewPages(*m_printer, m_layout, m_text.documents(), m_documentName, m_numbered);
        return showPrintPreview(*pages, m_platform, m_documentName, {}, m_memory);
    }

private:
    Platform &m_platform;
    QSettings *m_memory;
    std::unique_ptr<QPrinter> m_printer;
    PrintPageLayout m_layout;
    PagedText m_text;
    QString m_documentName;
    bool m_numbered = false;
};

} // namespace

QString paintingFailure(const QPrinter &printer)
{
    if (printsToFile(printer))
        return fileFailure(printer.outputFileName());
    return QStringLiteral("la stampante \"%1\" non è pronta o non accetta la stampa.")
        .arg(printer.printerName());
}

PagedText::PagedText(int columns, int linesPerPage)
    : m_columns(std::max(columns, 1))
    , m_linesPerPage(std::max(linesPerPage, 1))
{
}

QStringList PagedText::rowsOf(const QString &line) const
{
    // Nearly every line of a long printout is one row as it stands; the split below would cost
    // the agenda of a hundred thousand contacts a good part of its time.
    if (line.size() <= m_columns && std::none_of(line.begin(), line.end(), [](QChar c) {
            return c == u'\r' || c == u'\n' || c == u'\t';
        }))
        return {line};
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
    layout.paper = QRectF(page.fullRectPixels(resolution)).translated(-printable.topLeft());
    layout.resolution = resolution;

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
    const qreal middle = (layout.textArea.bottom() + layout.paper.bottom()) / 2;
    layout.footerBaseline = std::min(
        middle + (metrics.ascent() - metrics.descent()) / 2, printable.height() - metrics.descent());
    return layout;
}

QList<PagedText::Document> fitDocuments(const QList<PagedText::Document> &documents, int linesPerPage)
{
    linesPerPage = std::max(linesPerPage, 1);
    QList<PagedText::Document> fitted;
    fitted.reserve(documents.size());
    for (const PagedText::Document &document : documents) {
        PagedText::Document pages;
        for (const PagedText::Page &page : document) {
            qsizetype at = 0;
            do {
                pages.append(page.mid(at, linesPerPage));
                at += linesPerPage;
            } while (at < page.size());
        }
        fitted.append(pages);
    }
    return fitted;
}

void drawTextPage(QPainter &painter, const PrintPageLayout &layout, const PagedText::Page &page, int number,
    const QDate &printedOn)
{
    for (qsizetype row = 0; row < page.size(); ++row)
        painter.drawText(
            QPointF(layout.textArea.left(),
                layout.textArea.top() + layout.ascent + static_cast<qreal>(row) * layout.lineSpacing),
            page.at(row));
    if (number <= 0)
        return;
    const QString footer = QStringLiteral("Pagina %1 — stampata il %2")
                               .arg(QString::number(number), printedOn.toString(QStringLiteral("d/M/yyyy")));
    const qreal width = static_cast<qreal>(footer.size()) * layout.characterWidth;
    painter.drawText(
        QPointF(layout.textArea.left() + (layout.textArea.width() - width) / 2, layout.footerBaseline),
        footer);
}

QString renderDocuments(QPrinter &printer, const PrintPageLayout &layout,
    const QList<PagedText::Document> &documents, const QString &documentName, const QDate &numberedOn)
{
    if (documents.isEmpty())
        return {};
    printer.setDocName(documentName);
    int pageNumber = numberedOn.isValid() ? 1 : 0;
    // Documents sent to one file name one after another would each overwrite the one before.
    if (printsToFile(printer))
        return renderSession(printer, layout, documents, pageNumber, numberedOn);
    for (const PagedText::Document &document : documents) {
        const QString failure = renderSession(printer, layout, {document}, pageNumber, numberedOn);
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

std::unique_ptr<PreviewPages> textPreviewPages(const QPrinter &printer, const PrintPageLayout &layout,
    const QList<PagedText::Document> &documents, const QString &documentName, bool numbered)
{
    return std::make_unique<TextPreviewPages>(printer, layout, documents, documentName, numbered);
}

std::unique_ptr<PrintJob> beginQtPrinting(Platform &platform, const QString &documentName, QSettings *memory)
{
    return std::make_unique<QtPrintJob>(platform, documentName, memory);
}
