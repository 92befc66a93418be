// A page of a printout as the layouts make it: lines of text placed in millimetres from the paper's
// top-left corner, in the fixed-pitch font every printout of the program uses. The printer, the
// preview and the PDF writer all draw the same pages, so what is measured here is what is printed.
#pragma once

#include <QSizeF>
#include <QString>
#include <QStringView>

#include <vector>

// A character of the fixed-pitch font is this much of the point size wide: Courier's 600 units of
// 1000, and DejaVu Sans Mono and Liberation Mono within half a percent of it.
inline constexpr qreal FixedPitchAdvance = 0.6;
inline constexpr qreal MillimetresPerPoint = 25.4 / 72.0;
// From one line's baseline to the next, in point sizes.
inline constexpr qreal LineSpacing = 1.2;

struct PlacedText
{
    qreal x = 0; // mm from the paper's left edge
    qreal baseline = 0; // mm from the paper's top edge
    qreal pointSize = 10;
    QString text; // one line
};

struct PrintedPage
{
    QSizeF paper; // mm, as the page is printed (an envelope is wider than tall)
    std::vector<PlacedText> texts;
};

// How wide text is in the fixed-pitch font at pointSize, in mm: one advance per character (a pair
// of surrogates is one character).
qreal fixedPitchWidth(QStringView text, qreal pointSize);
