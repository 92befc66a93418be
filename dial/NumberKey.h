// The key two numbers are the same by: the number in E.164 ("+39021234567"), whatever way it was
// written ("02 1234567", "+39 02 1234567", "0039021234567"), Italy being the country of a number
// written without one. A number libphonenumber does not hold valid (112, a typo) keeps its digits
// as they are, so it only meets the same digits.
#pragma once

#include <QByteArrayView>
#include <QString>

#include <string>

// Every digit of a number as a box holds it, in order: where any way of writing a number keeps the
// digits its key is made of.
std::string digitsOf(QByteArrayView utf8);

// The key of a number as a box holds it, in UTF-8: E.164, with ";ext=23" for an extension; the
// digits alone for an invalid number; empty without a digit.
std::string numberKey(QByteArrayView utf8);

// Whether a key is a valid number's E.164 form rather than digits kept as they were.
inline bool isE164Key(const std::string &key)
{
    return key.starts_with('+');
}

// A key as a person reads it: "+39 02 123 4567", "+39 02 123 4567 int. 23", or the digits.
QString readableNumberKey(const std::string &key);
