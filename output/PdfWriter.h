// Pages to a PDF file without a GUI, for the command line: the standard Courier font, which every PDF
// reader has, so nothing is embedded. Text goes in code page 1252; a letter outside it is written as
// its base letter (ř as r), anything else as "?".
#pragma once

#include "output/PrintedPage.h"

#include <QString>

#include <vector>

// Writes pages to the file at path, which takes the new contents only once all is written. Returns
// an empty string, or the reason in Italian.
QString writePdf(const QString &path, const std::vector<PrintedPage> &pages, const QString &title);
