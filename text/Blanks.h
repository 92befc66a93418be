// Trimming as the program does it everywhere: only the blank (32) is removed, never a tab or a line break.
#pragma once

#include <QString>

inline QString trimBlanks(const QString &text)
{
    qsizetype first = 0;
    qsizetype end = text.size();
    while (first < end && text.at(first) == u' ')
        ++first;
    while (end > first && text.at(end - 1) == u' ')
        --end;
    return text.mid(first, end - first);
}
