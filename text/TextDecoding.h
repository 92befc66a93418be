// The two encodings a first-version text file comes in: the Windows-1252 code page of the systems
// the file was written on, or UTF-8 when it has been converted since.
#pragma once

#include <QByteArrayView>
#include <QString>

QString decodeWindows1252(QByteArrayView bytes);

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
