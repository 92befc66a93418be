#include "bench/PdfPlatform.h"

#include "ui/platform/QtPrintJob.h"

#include <QPrinter>

namespace {

class PdfPrintJob : public PrintJob
{
public:
    PdfPrintJob(const QString &pdfPath, QString documentName)
        : m_printer(QPrinter::HighResolution)
        , m_layout((m_printer.setOutputFormat(QPrinter::PdfFormat), m_printer.setOutputFileName(pdfPath),
              printPageLayout(m_printer)))
        , m_text(PrintPageLayout::Columns, m_layout.linesPerPage)
        , m_documentName(std::move(documentName))
    {
    }

    void printLine(const QString &line) override { m_text.printLine(line); }
    int linesLeft() const override { return m_text.linesLeft(); }
    void endDocument() override { m_text.endDocument(); }
    QString finish() override
    {
        return renderDocuments(m_printer, m_layout, m_text.documents(), m_documentName);
    }

private:
    QPrinter m_printer;
    PrintPageLayout m_layout;
    PagedText m_text;
    QString m_documentName;
};

} // namespace

std::unique_ptr<PrintJob> PdfPlatform::beginPrinting(const QString &documentName)
{
    printJobs.append(documentName);
    return std::make_unique<PdfPrintJob>(m_pdfPath, documentName);
}
