// Printing on a real printer or to a PDF file chosen in the system's print dialog.
#pragma once

#include "platform/Platform.h"

std::unique_ptr<PrintJob> beginQtPrinting(Platform &platform, const QString &documentName);
