// How a CSV file is written down: its separator and its encoding, guessed from its first bytes and
// shown to the user, who may correct them before the import.
#pragma once

#include <QByteArrayView>

enum class CsvEncoding { Utf8, Windows1252 };

struct CsvFormat
{
    // ',' ';' (what spreadsheets set to Italian write) or '\t'.
    char separator = ',';
    CsvEncoding encoding = CsvEncoding::Utf8;
    // The bytes start with the UTF-8 byte order mark. The reader skips it whenever it reads UTF-8.
    bool byteOrderMark = false;

    bool operator==(const CsvFormat &) const = default;
};

// The separator that splits the first record into the most fields (a comma on a tie or when none
// does), and UTF-8 when the bytes are UTF-8 or start with its byte order mark, else Windows-1252.
// head is the start of the file; a character it cuts in two does not count against UTF-8.
CsvFormat guessCsvFormat(QByteArrayView head);
