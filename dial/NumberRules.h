// How a number from the card becomes the string that is dialled: cleaning, the local prefix and the
// code for an outside line.
#pragma once

#include "text/Blanks.h"

#include <QByteArrayView>
#include <QString>

#include <string>

// The characters of number that occur in "0123456789 ,", in order.
QString CleanNumber(const QString &number);

// A cleaned number without the local prefix it begins with, and without the blanks that then lead.
// An empty prefix only drops the leading blanks.
QString dropLocalPrefix(const QString &cleaned, const QString &trimmedPrefix);

// The dial string of one number as its box holds it. prefixBox and outsideLineBox are the dialog's
// option boxes as typed: an outside-line box that holds anything, even blanks only, puts its cleaned
// code and a comma (the modem's pause) in front.
QString dialString(const QString &numberBox, const QString &prefixBox, const QString &outsideLineBox);

// The digits of a number written in UTF-8, for telling whether two numbers are the same: everything
// but the digits goes, and so does Italy's country code in front ("+39", "0039"), so "02 1234567",
// "+39 02 1234567" and "0039 02/1234567" all give "021234567". out is reused, so a scan of the
// whole agenda makes no allocation per number.
void comparableDigits(QByteArrayView utf8, std::string &out);
