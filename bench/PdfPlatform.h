// The scripted platform with a printer that writes a real PDF file, so the benchmarks pay for the
// page layout and the rendering as a print job of the program would.
#pragma once

#include "tests/support/ScriptedPlatform.h"

class PdfPlatform : public ScriptedUiPlatform
{
public:
    explicit PdfPlatform(QString pdfPath)
        : m_pdfPath(std::move(pdfPath))
    {
    }

    std::unique_ptr<PrintJob> beginPrinting(const QString &documentName) override;

private:
    QString m_pdfPath;
};
