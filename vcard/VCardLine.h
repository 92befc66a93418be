// One property as one unfolded line of a vCard, both ways. The program keeps the properties it has
// no field for as such lines, and gets each back exactly as it was read.
#pragma once

#include "vcard/VCard.h"

#include <QByteArrayView>

#include <optional>

// The line of property, UTF-8, without line break or folding. A binary value is written as
// ENCODING=b and base64 in 3.0 (also for V2_1), as a data: URI in 4.0 where one can stand
// (PHOTO, LOGO, SOUND, KEY).
QByteArray vCardLine(const VCardProperty &property, VCardVersion version);
// The property of a line vCardLine wrote, of either version; nothing when it is not a property line.
std::optional<VCardProperty> parseVCardLine(QByteArrayView line);

// The reader's side: the property of an unfolded line of a card of that version, or nothing with
// the reason in *error.
std::optional<VCardProperty> parseVCardContentLine(QByteArrayView line, VCardVersion version, QString *error);
// Where the value of an unfolded line starts: the position of the first colon outside quotes, or -1.
qsizetype vCardValueStart(QByteArrayView line);
// Whether the parameters before the value (line up to vCardValueStart) say quoted-printable, whose
// lines end in "=" when the next one continues the value.
bool declaresQuotedPrintable(QByteArrayView head, VCardVersion version);
// The name of the property a line starts with, for a message about it.
QString vCardPropertyName(QByteArrayView line);
