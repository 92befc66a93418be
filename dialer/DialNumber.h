// Which characters of a number reach the modem or the desktop's phone program.
#pragma once

#include <QString>
#include <QUrl>

// Digits, '*', '#' and the comma (a pause): what a modem dials after "ATDT". Everything else, a
// carriage return above all, is dropped, so a number can never carry a command of its own.
QString modemDialDigits(const QString &number);

// "tel:" and the number's digits, for the desktop's phone program (which knows no pauses).
QUrl telUrl(const QString &number);
