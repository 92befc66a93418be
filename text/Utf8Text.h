// UTF-8 bytes: the one check of well-formed UTF-8, and the search's work on them (the snapshot
// keeps every field as UTF-8, and most of it is ASCII, copied and upper-cased a byte at a time).
#pragma once

#include <QByteArrayView>
#include <QString>

#include <string>

// Checks bytes fed in pieces of any size for well-formed UTF-8 (no overlong forms, no surrogates,
// nothing above U+10FFFF); a sequence may be split between two pieces.
class Utf8Check
{
public:
    void feed(QByteArrayView bytes);
    // True when everything fed so far is UTF-8 and no sequence is left open.
    bool isValid() const { return !m_broken && m_pending == 0; }

private:
    bool m_broken = false;
    int m_pending = 0; // continuation bytes still expected
    unsigned char m_lowest = 0x80;
    unsigned char m_highest = 0xBF;
};

inline bool isValidUtf8(QByteArrayView bytes)
{
    Utf8Check check;
    check.feed(bytes);
    return check.isValid();
}

inline constexpr char Utf8ByteOrderMark[] = "\xEF\xBB\xBF";

// The text of UTF-8 bytes, a byte order mark at their start kept as the character it is:
// QString::fromUtf8 drops it, which is right only at the start of a file.
QString textOfUtf8(QByteArrayView bytes);

bool isAscii(QByteArrayView text);
// The position of the first byte at or after from that is not ASCII, or text's size.
std::size_t nextNonAscii(const std::string &text, std::size_t from);

// Appends text as the table holds it; bytes that are not UTF-8 become the replacement characters
// the program shows for them.
void appendStored(std::string &out, QByteArrayView text);
// Appends valid UTF-8 text upper-cased exactly as QString::toUpper does it, as the search folds, which can
// change its length ("ß" becomes "SS", "ı" becomes "I").
void appendFolded(std::string &out, QByteArrayView text);
// Upper-cases the ASCII letters of out from position at onwards.
void foldAsciiFrom(std::string &out, std::size_t at);
