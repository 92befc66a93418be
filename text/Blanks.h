// Trimming as the program does it everywhere: only the blank (32) is removed, never a tab or a line break.
#pragma once

#include <QString>

inline qsizetype leadingBlanks(QStringView text)
{
    qsizetype count = 0;
    while (count < text.size() && text.at(count) == u' ')
        ++count;
    return count;
}

inline QString trimLeadingBlanks(const QString &text)
{
    return text.mid(leadingBlanks(text));
}

inline QString trimBlanks(const QString &text)
{
    const qsizetype first = leadingBlanks(text);
    qsizetype end = text.size();
    while (end > first && text.at(end - 1) == u' ')
        --end;
    return text.mid(first, end - first);
}
