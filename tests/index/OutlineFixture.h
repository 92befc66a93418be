// Trees written as text for the index tests: "A" is a level-1 line, ">Abate, Ugo" a level-2 line.
#pragma once

#include "ui/controls/Outline.h"
#include "ui/controls/OutlineModel.h"

#include <QStringList>

inline void fillOutline(Outline &outline, const QStringList &lines)
{
    for (const QString &line : lines) {
        const bool contact = line.startsWith(u'>');
        outline.AddItem(contact ? line.mid(1) : line);
        outline.setIndent(outline.ListCount() - 1, contact ? 2 : 1);
    }
}

inline QStringList outlineLines(const Outline &outline)
{
    QStringList lines;
    for (int i = 0; i < outline.ListCount(); ++i)
        lines.append((outline.Indent(i) >= 2 ? QStringLiteral(">") : QString()) + outline.List(i));
    return lines;
}

// What the lookup must give: the line a scan from the top stops at.
inline int scanForLine(const Outline &outline, const QString &text)
{
    for (int i = 0; i < outline.ListCount(); ++i) {
        if (outline.List(i) == text)
            return i;
    }
    return -1;
}

inline QModelIndex indexOfLine(const Outline &outline, int line)
{
    return static_cast<const OutlineModel *>(outline.model())->indexOfLine(line);
}
