#include "output/EnvelopeLayout.h"

#include <algorithm>

namespace {

constexpr qreal SenderPoints = 9;
constexpr qreal RecipientPoints = 12;
constexpr qreal SmallestRecipientPoints = 7;
constexpr qreal SenderInset = 10; // mm from the top and left edges
constexpr qreal RightMargin = 10;

// The window of the windowed DL envelopes sold in Italy (90 × 45 mm, 20 mm from the right edge and
// 15 mm from the bottom one) starts here; a C5 gets the same place in proportion, so an address
// printed for one size lands where a person expects it on the other.
constexpr qreal WindowLeft = 110.0 / 220;
constexpr qreal WindowTop = 50.0 / 110;
// The address starts a little inside the window, so that a letter sliding in it hides nothing.
constexpr qreal WindowInset = 3;

void placeBlock(PrintedPage &page, const QStringList &lines, qreal left, qreal top, qreal pointSize)
{
    const qreal band = LineSpacing * pointSize * MillimetresPerPoint;
    for (qsizetype line = 0; line < lines.size(); ++line)
        page.texts.push_back(
            {left, top + line * band + pointSize * MillimetresPerPoint, pointSize, lines.at(line)});
}

} // namespace

PrintedPage layoutEnvelope(const QStringList &recipient, const QStringList &sender, EnvelopeSize size)
{
    PrintedPage page;
    page.paper = size == EnvelopeSize::DL ? QSizeF(220, 110) : QSizeF(229, 162);
    placeBlock(page, sender, SenderInset, SenderInset, SenderPoints);

    const qreal left = page.paper.width() * WindowLeft + WindowInset;
    const qreal top = page.paper.height() * WindowTop + WindowInset;
    const qreal room = page.paper.width() - RightMargin - left;
    qreal widest = 0;
    for (const QString &line : recipient)
        widest = std::max(widest, fixedPitchWidth(line, 1));
    // A long street is printed smaller rather than past the edge; below the smallest size it runs
    // over, never cut.
    qreal pointSize = RecipientPoints;
    while (pointSize > SmallestRecipientPoints && widest * pointSize > room)
        pointSize -= 0.5;
    placeBlock(page, recipient, left, top, pointSize);
    return page;
}
