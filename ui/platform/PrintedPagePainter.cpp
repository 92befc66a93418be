#include "ui/platform/PrintedPagePainter.h"

#include "ui/platform/PrintPreview.h"
#include "ui/platform/QtPrintJob.h"

#include <QFontDatabase>
#include <QPageSize>
#include <QPaintDevice>
#include <QPainter>
#include <QPrinter>

namespace {

// The units the pages are drawn in: fine enough that glyph advances rounded to whole units do not
// add up along a line to anything the eye or the label's edge would notice.
constexpr qreal DotsPerInch = 1200;
constexpr qreal DotsPerMillimetre = DotsPerInch / 25.4;

QFont pageFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setFixedPitch(true);
    font.setStyleHint(QFont::Monospace);
    font.setKerning(false);
    // The layouts count one advance per character, as the font's design has it.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

class PrintedPreviewPages : public PreviewPages
{
public:
    PrintedPreviewPages(const std::vector<PrintedPage> &pages, const QString &documentName)
        : m_pages(pages)
        , m_documentName(documentName)
    {
    }

    int count() const override { return static_cast<int>(m_pages.size()); }
    QSizeF paper() const override { return m_pages.empty() ? QSizeF(210, 297) : m_pages.front().paper; }
    void paint(QPainter &painter, int index, const QRectF &target) const override
    {
        paintPrintedPage(painter, m_pages[static_cast<size_t>(index)], target);
    }
    void preparePrinter(QPrinter &printer) const override { setPrinterPaper(printer, paper()); }
    QString print(QPrinter &printer) const override
    {
        return printPrintedPages(printer, m_pages, m_documentName);
    }

private:
    const std::vector<PrintedPage> &m_pages;
    QString m_documentName;
};

class QtPageJob : public PageJob
{
public:
    QtPageJob(Platform &platform, const QString &documentName, const QString &note, QSettings *memory)
        : m_platform(platform)
        , m_documentName(documentName)
        , m_note(note)
        , m_memory(memory)
    {
    }

    void beginPage(const QSizeF &paper) override { m_pages.push_back(PrintedPage{paper, {}}); }
    void placeText(qreal x, qreal baseline, qreal pointSize, const QString &text) override
    {
        if (m_pages.empty())
            beginPage(QSizeF(210, 297));
        m_pages.back().texts.push_back(PlacedText{x, baseline, pointSize, text});
    }
    QString finish() override
    {
        if (m_pages.empty())
            return {};
        const PrintedPreviewPages pages(m_pages, m_documentName);
        return showPrintPreview(pages, m_platform, m_documentName, m_note, m_memory);
    }

private:
    Platform &m_platform;
    QString m_documentName;
    QString m_note;
    QSettings *m_memory;
    std::vector<PrintedPage> m_pages;
};

} // namespace

void paintPrintedPage(QPainter &painter, const PrintedPage &page, const QRectF &target)
{
    if (page.paper.isEmpty())
        return;
    painter.save();
    painter.translate(target.topLeft());
    const qreal scale = target.width() / (page.paper.width() * DotsPerMillimetre);
    painter.scale(scale, scale);
    painter.setPen(Qt::black);
    // Points are taken at the device's resolution; the units here are DotsPerInch.
    const qreal points = DotsPerInch / painter.device()->logicalDpiY();
    QFont font = pageFont();
    qreal size = 0;
    for (const PlacedText &placed : page.texts) {
        if (placed.pointSize != size) {
            size = placed.pointSize;
            font.setPointSizeF(size * points);
            painter.setFont(font);
        }
        painter.drawText(
            QPointF(placed.x * DotsPerMillimetre, placed.baseline * DotsPerMillimetre), placed.text);
    }
    painter.restore();
}

void setPrinterPaper(QPrinter &printer, const QSizeF &paper)
{
    const bool landscape = paper.width() > paper.height();
    // The fuzzy match names the standard sizes, which a printer's driver knows by name.
    printer.setPageSize(QPageSize(landscape ? paper.transposed() : paper, QPageSize::Millimeter));
    printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    printer.setFullPage(true);
}

QString printPrintedPages(
    QPrinter &printer, const std::vector<PrintedPage> &pages, const QString &documentName)
{
    if (pages.empty())
        return {};
    printer.setDocName(documentName);
    printer.setFullPage(true);
    QPainter painter;
    if (!painter.begin(&printer))
        return paintingFailure(printer);
    const qreal pixelsPerMillimetre = printer.resolution() / 25.4;
    for (size_t i = 0; i < pages.size(); ++i) {
        if (i > 0 && !printer.newPage()) {
            painter.end();
            return QStringLiteral("impossibile cominciare una nuova pagina.");
        }
        // Drawn at its own size from the corner, whatever paper the print dialog chose.
        paintPrintedPage(painter, pages[i], QRectF(QPointF(), pages[i].paper * pixelsPerMillimetre));
    }
    if (!painter.end())
        return paintingFailure(printer);
    return {};
}

std::unique_ptr<PageJob> beginQtPagePrinting(
    Platform &platform, const QString &documentName, const QString &note, QSettings *memory)
{
    return std::make_unique<QtPageJob>(platform, documentName, note, memory);
}
