#include "ui/platform/PrintPreview.h"

#include "platform/Platform.h"
#include "ui/controls/BusyCursor.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

const QString PrinterKey = QStringLiteral("printouts/printer");

const QString NoPrinter = QStringLiteral(
    "Non è installata nessuna stampante.\r\rPremere <OK> per salvare la stampa in un file PDF, "
    "premere <Annulla> per NON stampare");

// Room around and between the pages, in pixels of the screen.
constexpr int Margin = 16;
constexpr int Gap = 16;
constexpr qreal ZoomStep = 1.25;

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

} // namespace

// The pages one under the other. A printout of the whole agenda has thousands of them: only those in
// view are drawn, so the preview opens at once whatever the length.
class PreviewView : public QAbstractScrollArea
{
public:
    PreviewView(const PreviewPages &pages, QWidget *parent)
        : QAbstractScrollArea(parent)
        , m_pages(pages)
    {
        setObjectName(QStringLiteral("previewPages"));
        // A bar that came and went would change the width the pages are fitted to, and so the bar.
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        viewport()->setAutoFillBackground(false);
        setFocusPolicy(Qt::StrongFocus);
    }

    bool fitsWidth() const { return m_fit; }
    void setFitWidth(bool fit)
    {
        const int shown = currentPage();
        m_fit = fit;
        relayout(shown);
    }
    void zoomBy(qreal factor)
    {
        const int shown = currentPage();
        m_fit = false;
        m_zoom = std::clamp(m_zoom * factor, 0.2, 20.0);
        relayout(shown);
    }

    // The page the upper part of the view shows, from 0.
    int currentPage() const
    {
        const qreal stride = pageSize().height() + Gap;
        const qreal at = verticalScrollBar()->value() + viewport()->height() / 3.0 - Margin;
        return std::clamp(static_cast<int>(std::floor(at / stride)), 0, std::max(0, m_pages.count() - 1));
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(viewport());
        painter.fillRect(viewport()->rect(), palette().color(QPalette::Mid));
        const QSizeF page = pageSize();
        const qreal stride = page.height() + Gap;
        const int top = verticalScrollBar()->value();
        const qreal x = contentWidth() <= viewport()->width() ? (viewport()->width() - page.width()) / 2.0
                                                              : Margin - horizontalScrollBar()->value();
        for (int index = std::max(0, static_cast<int>((top - Margin) / stride)); index < m_pages.count();
             ++index) {
            const QRectF paper(x, Margin + index * stride - top, page.width(), page.height());
            if (paper.top() > viewport()->height())
                break;
            painter.fillRect(paper.translated(3, 3), palette().color(QPalette::Shadow));
            painter.fillRect(paper, Qt::white);
            painter.save();
            painter.setClipRect(paper);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setRenderHint(QPainter::TextAntialiasing);
            m_pages.paint(painter, index, paper);
            painter.restore();
        }
    }

    void resizeEvent(QResizeEvent *) override { relayout(currentPage()); }
    void scrollContentsBy(int, int) override { viewport()->update(); }

private:
    QSizeF pageSize() const { return m_pages.paper() * m_zoom; }
    int contentWidth() const { return static_cast<int>(std::ceil(pageSize().width())) + 2 * Margin; }

    // Fits the pages to the view again; the page shown stays in view.
    void relayout(int shown)
    {
        const QSizeF paper = m_pages.paper();
        if (m_fit && paper.width() > 0)
            m_zoom = std::max(0.2, (viewport()->width() - 2.0 * Margin) / paper.width());
        const qreal stride = pageSize().height() + Gap;
        const int height = static_cast<int>(std::ceil(m_pages.count() * stride - Gap)) + 2 * Margin;
        verticalScrollBar()->setRange(0, std::max(0, height - viewport()->height()));
        verticalScrollBar()->setPageStep(viewport()->height());
        verticalScrollBar()->setSingleStep(std::max(20, viewport()->height() / 20));
        horizontalScrollBar()->setRange(0, std::max(0, contentWidth() - viewport()->width()));
        horizontalScrollBar()->setPageStep(viewport()->width());
        verticalScrollBar()->setValue(static_cast<int>(shown * stride));
        viewport()->update();
    }

    const PreviewPages &m_pages;
    qreal m_zoom = 3; // pixels per mm
    bool m_fit = true;
};

std::unique_ptr<QPrinter> rememberedPrinter(QSettings *memory)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setCreator(Platform::applicationTitle());
    const QString name = memory ? memory->value(PrinterKey).toString() : QString();
    if (!name.isEmpty() && !QPrinterInfo::printerInfo(name).isNull())
        printer->setPrinterName(name);
    return printer;
}

PrintPreviewDialog::PrintPreviewDialog(const PreviewPages &pages, Platform &platform,
    const QString &documentName, const QString &note, QSettings *memory, QWidget *parent, FileChooser chooser)
    : QDialog(parent)
    , m_pages(pages)
    , m_platform(platform)
    , m_documentName(documentName)
    , m_memory(memory)
    , m_chooser(std::move(chooser))
{
    setObjectName(QStringLiteral("PrintPreview"));
    setWindowTitle(QStringLiteral("Anteprima di stampa - ") + documentName);

    m_view = new PreviewView(pages, this);
    m_pageLabel = new QLabel(this);
    m_pageLabel->setObjectName(QStringLiteral("lblPagina"));
    m_fitWidth = new QToolButton(this);
    m_fitWidth->setObjectName(QStringLiteral("cmdAdatta"));
    m_fitWidth->setText(QStringLiteral("Adatta alla &larghezza"));
    m_fitWidth->setCheckable(true);
    m_fitWidth->setChecked(true);
    auto *zoomOut = new QToolButton(this);
    zoomOut->setObjectName(QStringLiteral("cmdRiduci"));
    zoomOut->setText(QStringLiteral("−"));
    zoomOut->setToolTip(QStringLiteral("Riduci"));
    zoomOut->setShortcut(QKeySequence::ZoomOut);
    auto *zoomIn = new QToolButton(this);
    zoomIn->setObjectName(QStringLiteral("cmdIngrandisci"));
    zoomIn->setText(QStringLiteral("+"));
    zoomIn->setToolTip(QStringLiteral("Ingrandisci"));
    zoomIn->setShortcut(QKeySequence::ZoomIn);
    connect(m_fitWidth, &QToolButton::toggled, this, [this](bool fit) { m_view->setFitWidth(fit); });
    const auto zoom = [this](qreal factor) {
        m_view->zoomBy(factor);
        m_fitWidth->setChecked(false);
    };
    connect(zoomOut, &QToolButton::clicked, this, [zoom] { zoom(1 / ZoomStep); });
    connect(zoomIn, &QToolButton::clicked, this, [zoom] { zoom(ZoomStep); });
    connect(
        m_view->verticalScrollBar(), &QScrollBar::valueChanged, this, &PrintPreviewDialog::showCurrentPage);
    connect(
        m_view->verticalScrollBar(), &QScrollBar::rangeChanged, this, &PrintPreviewDialog::showCurrentPage);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *print = buttons->addButton(QStringLiteral("&Stampa…"), QDialogButtonBox::AcceptRole);
    print->setObjectName(QStringLiteral("cmdStampa"));
    QPushButton *pdf = buttons->addButton(QStringLiteral("Salva &PDF…"), QDialogButtonBox::ActionRole);
    pdf->setObjectName(QStringLiteral("cmdSalvaPdf"));
    QPushButton *close = buttons->addButton(QStringLiteral("&Chiudi"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("cmdChiudi"));
    print->setDefault(true);
    // The buttons' own roles would close the dialog before anything is printed.
    disconnect(buttons, nullptr, this, nullptr);
    connect(print, &QPushButton::clicked, this, &PrintPreviewDialog::printOnPrinter);
    connect(pdf, &QPushButton::clicked, this, &PrintPreviewDialog::saveAsPdf);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto *tools = new QHBoxLayout;
    tools->addWidget(m_fitWidth);
    tools->addWidget(zoomOut);
    tools->addWidget(zoomIn);
    tools->addStretch(1);
    tools->addWidget(m_pageLabel);
    auto *layout = new QVBoxLayout(this);
    if (!note.isEmpty()) {
        auto *noteLabel = new QLabel(note, this);
        noteLabel->setObjectName(QStringLiteral("lblNota"));
        noteLabel->setWordWrap(true);
        layout->addWidget(noteLabel);
    }
    layout->addLayout(tools);
    layout->addWidget(m_view, 1);
    layout->addWidget(buttons);

    // A page of text wide enough to read, as tall as the screen allows.
    const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    const QRect room = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    resize(std::min(760, room.width() * 9 / 10), room.height() * 9 / 10);
    m_view->setFocus();
    showCurrentPage();
}

void PrintPreviewDialog::showCurrentPage()
{
    const QLocale locale;
    m_pageLabel->setText(QStringLiteral("Pagina %1 di %2")
                             .arg(locale.toString(m_pages.count() ? m_view->currentPage() + 1 : 0),
                                 locale.toString(m_pages.count())));
}

void PrintPreviewDialog::printOnPrinter()
{
    if (QPrinterInfo::availablePrinters().isEmpty()) {
        if (m_platform.messageBox(
                {NoPrinter, {}, MessageButtons::OkCancel, MessageIcon::Exclamation, MessageAnswer::Ok})
            == MessageAnswer::Ok)
            saveAsPdf();
        return;
    }
    std::unique_ptr<QPrinter> printer = rememberedPrinter(m_memory);
    printer->setDocName(m_documentName);
    m_pages.preparePrinter(*printer);
    QPrintDialog dialog(printer.get(), this);
    dialog.setWindowTitle(QStringLiteral("Stampa"));
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (m_memory && printer->outputFormat() == QPrinter::NativeFormat && printer->outputFileName().isEmpty())
        m_memory->setValue(PrinterKey, printer->printerName());
    printAndClose(*printer);
}

void PrintPreviewDialog::saveAsPdf()
{
    const QString suggested = defaultPdfPath(m_documentName);
    QString fileName = m_chooser
        ? m_chooser(this, suggested)
        : QFileDialog::getSaveFileName(this, QStringLiteral("Salva la stampa come file PDF"), suggested,
            QStringLiteral("Documenti PDF (*.pdf)"));
    if (fileName.isEmpty())
        return;
    if (QFileInfo(fileName).suffix().isEmpty())
        fileName += QStringLiteral(".pdf");
    QPrinter printer(QPrinter::HighResolution);
    printer.setCreator(Platform::applicationTitle());
    printer.setDocName(m_documentName);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(fileName);
    m_pages.preparePrinter(printer);
    printAndClose(printer);
}

void PrintPreviewDialog::printAndClose(QPrinter &printer)
{
    {
        const BusyCursor busy;
        m_failure = m_pages.print(printer);
    }
    if (m_failure.isEmpty())
        accept();
    else
        reject();
}

QString showPrintPreview(const PreviewPages &pages, Platform &platform, const QString &documentName,
    const QString &note, QSettings *memory)
{
    PrintPreviewDialog dialog(pages, platform, documentName, note, memory, QApplication::activeWindow());
    dialog.exec();
    return dialog.failure();
}
