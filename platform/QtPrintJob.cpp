#include "platform/QtPrintJob.h"

std::unique_ptr<PrintJob> beginQtPrinting(Platform &platform, const QString &)
{
    platform.showMessage(QStringLiteral("La stampa non è ancora disponibile."));
    return nullptr;
}
