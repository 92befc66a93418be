// The bytes of the options file as lines of text, and back. The file comes from 8-bit Windows
// (code page 1252) unless it is UTF-8, and goes back in the encoding it came in.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

enum class TextEncoding { Windows1252, Utf8 };

struct OptionsText
{
    QStringList lines;
    TextEncoding encoding = TextEncoding::Windows1252;
    bool byteOrderMark = false; // a UTF-8 file that began with one keeps it
};

// A file with bytes above 127 that form valid UTF-8 is UTF-8; any other is code page 1252. Lines end
// with CR LF, CR or LF; a line end at the very end does not open one more line.
OptionsText decodeOptionsText(const QByteArray &bytes);
// Every line ends with CR LF. Text read as UTF-8 stays UTF-8; the rest is code page 1252 unless a
// character does not fit there, and then the whole file becomes UTF-8 rather than lose it.
QByteArray encodeOptionsText(const OptionsText &text);
