// The search's text work on UTF-8 bytes: the snapshot keeps every field as UTF-8, and most of it
// is ASCII, which is copied and upper-cased a byte at a time without going through QString.
#pragma once

#include <QByteArrayView>

#include <string>

bool isAscii(QByteArrayView text);
// The position of the first byte at or after from that is not ASCII, or text's size.
std::size_t nextNonAscii(const std::string &text, std::size_t from);

// Appends text as the table holds it; bytes that are not UTF-8 become the replacement characters
// the program shows for them.
void appendStored(std::string &out, QByteArrayView text);
// Appends valid UTF-8 text upper-cased exactly as FoldCase (QString::toUpper) does it, which can
// change its length ("ß" becomes "SS", "ı" becomes "I").
void appendFolded(std::string &out, QByteArrayView text);
// Upper-cases the ASCII letters of out from position at onwards.
void foldAsciiFrom(std::string &out, std::size_t at);
