// Code page 1252, the 8-bit text of the Windows systems the first version ran on: its import file
// and its options file come in it, and the options file goes back in it.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Every byte has a character, so no file is refused: the five bytes the code page leaves unused
// become the control characters of the same value, as Windows reads them.
QString decodeWindows1252(QByteArrayView bytes);
// False when a character has no byte in code page 1252.
bool fitsWindows1252(const QString &text);
// A character with no byte in the code page becomes '?'.
QByteArray encodeWindows1252(const QString &text);
