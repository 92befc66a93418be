// The header rows this program knows: Google Contacts (its older "Type" and newer "Label"
// columns), Outlook and Thunderbird in English and in Italian, and our own export.
#pragma once

#include "csv/CsvMapping.h"

// Every column whose header is known (case and surrounding blanks aside) gets its property; any
// other column is kept as an extra property.
CsvMapping recognizeCsvHeader(const QStringList &header);

// The header of our own export: the card's nineteen fields, LastName to HomeFax (the ID is the
// agenda's own key, which means nothing to another one), then "Altri dati" with every other
// property of the contact.
QStringList csvExportHeader();
// The mapping of that header, which writes the export and reads it back.
CsvMapping csvExportMapping();
