// The address block of letters and labels, in the Italian layout.
#pragma once

#include "contacts/ContactRecord.h"

#include <QStringList>

// The company (for the work address only), the name ("Mario Rossi"), the street's lines as typed, and
// "CAP Città (PR)": each trimmed, empty ones left out, the province's brackets only with a province.
QStringList postalAddress(const ContactRecord &contact, bool homeAddress);
