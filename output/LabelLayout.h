// Address labels on sheets: one address a label from the position given on, each in the largest size
// that lets every line fit, never cut.
#pragma once

#include "output/LabelSheet.h"
#include "output/PrintedPage.h"

#include <QStringList>

#include <vector>

inline constexpr qreal LargestLabelPoints = 12;
inline constexpr qreal SmallestLabelPoints = 6;

struct LabelPrintout
{
    std::vector<PrintedPage> pages;
    // The addresses (by index) that do not fit even at SmallestLabelPoints: printed at that size,
    // their long lines running over, for the user to see in the warning before printing.
    std::vector<int> notFitting;
};

// startPosition counts from 1, row after row, so a sheet already half used can be used up.
LabelPrintout layoutLabels(
    const std::vector<QStringList> &addresses, const LabelSheet &sheet, int startPosition = 1);
