// "LastName, FirstName": a contact's line in the index tree and its name in messages. The tree is
// searched for this text, so every such line is made here and nowhere else.
#pragma once

#include <QString>

#include <algorithm>

inline QString nameLine(QStringView lastName, QStringView firstName)
{
    // Made in one piece: the tree is filled with a hundred thousand of them at a time.
    QString text(lastName.size() + 2 + firstName.size(), Qt::Uninitialized);
    QChar *out = std::copy(lastName.begin(), lastName.end(), text.data());
    *out++ = QLatin1Char(',');
    *out++ = QLatin1Char(' ');
    std::copy(firstName.begin(), firstName.end(), out);
    return text;
}
