// Where the contacts of an import come from: a vCard or CSV file, read one contact at a time and,
// for the preview and then the import, read twice rather than held.
#pragma once

#include "vcard/VCard.h"

#include <QString>

class ContactSource
{
public:
    virtual ~ContactSource() = default;
    // Goes back to the first contact; false, with error(), when the file cannot be read again.
    virtual bool rewind() = 0;
    // The next contact; false at the end and on a failure, which error() then names ("riga 12: ...").
    virtual bool next(VCard *card) = 0;
    virtual QString error() const = 0;
};
