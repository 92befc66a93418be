// What each column of a CSV file becomes in a vCard, and how such a mapping is kept as text so
// that a mapping made by hand is offered again for the next file with the same header.
#pragma once

#include "vcard/VCard.h"

#include <optional>

enum class CsvColumnUse {
    Ignored, // the column is dropped
    Property, // the column's text is a property's value, or one component of it
    PropertyType, // Google's "Phone 1 - Type": the TYPE of the property its slot's columns build
    Extra, // kept as X-CSV;X-COLUMN=<header>:<text>, so that nothing is lost
    VCardLines, // our export's last column: the other properties as vCard lines
};

struct CsvColumn
{
    QString header; // as the file's header row has it
    CsvColumnUse use = CsvColumnUse::Extra;
    QString property; // upper-case: "TEL", "ADR"
    QList<VCardParameter> parameters; // names upper-case: TYPE=work,voice
    // For N, ADR, ORG and the like, the component the text goes to (ADR: 2 the street, 3 the city,
    // 4 the region, 5 the postal code, 6 the country); -1 for the whole value. BDAY and
    // ANNIVERSARY take the year, the month and the day from components 0, 1 and 2.
    int component = -1;
    // Columns of one property share their slot: Google's "Address 2 - City" goes with "Address 2 -
    // Street" and "Address 2 - Type", not with "Address 1 - City".
    int slot = 0;
    // Google joins several values of one kind in one cell: "a@x.it ::: b@y.it".
    bool severalValues = false;

    bool operator==(const CsvColumn &) const = default;
};

struct CsvMapping
{
    QList<CsvColumn> columns; // one for each column of the file, in its order

    bool operator==(const CsvMapping &) const = default;
};

// Single-line JSON text that csvMappingFromString reads back.
QString csvMappingToString(const CsvMapping &mapping);
// Nothing for a text that is not a mapping (damaged, or from a later version of the program).
std::optional<CsvMapping> csvMappingFromString(const QString &text);
