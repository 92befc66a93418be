// The properties a contact came with that fill no box of the card, in words: the card's "Altri
// dati", and the text the search looks through.
#pragma once

#include "exchange/CardMapping.h"

#include <QList>
#include <QString>

struct OtherDataLine
{
    QString label; // "Telefono (lavoro, fax)", "Compleanno", an X-CSV column's header
    QString value; // one line, or a few for a note; never the bytes of a photo

    bool operator==(const OtherDataLine &) const = default;
};

// A line for each property of role None, in their order.
QList<OtherDataLine> otherDataLines(const QList<KeptProperty> &properties);

// The property's text as a user would type it in a search: unescaped, its components and values
// joined by blanks, on one line; empty for a binary value.
QString searchableText(const VCardProperty &property);
