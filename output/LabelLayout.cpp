#include "output/LabelLayout.h"

#include <algorithm>

namespace {

constexpr qreal SizeStep = 0.5;
// Where a line's baseline lies in its band of LineSpacing point sizes: room above for an accented
// capital, below for the descenders.
constexpr qreal BaselineInBand = 0.95;

// The blank kept inside a label's edges, so that a label stuck a little askew still shows every
// letter: 3 mm, less on the small labels, where every millimetre is a letter.
qreal innerPadding(QSizeF label)
{
    return std::clamp(std::min(label.width(), label.height()) / 12, 1.0, 3.0);
}

bool fitsAt(const QStringList &lines, QSizeF room, qreal pointSize)
{
    if (lines.size() * LineSpacing * pointSize * MillimetresPerPoint > room.height())
        return false;
    return std::all_of(lines.begin(), lines.end(),
        [&](const QString &line) { return fixedPitchWidth(line, pointSize) <= room.width(); });
}

// The largest size in steps of SizeStep at which every line fits, or nullopt.
std::optional<qreal> largestFittingSize(const QStringList &lines, QSizeF room)
{
    for (qreal size = LargestLabelPoints; size >= SmallestLabelPoints; size -= SizeStep) {
        if (fitsAt(lines, room, size))
            return size;
    }
    return std::nullopt;
}

} // namespace

LabelPrintout layoutLabels(
    const std::vector<QStringList> &addresses, const LabelSheet &sheet, int startPosition)
{
    LabelPrintout printout;
    const int perSheet = sheet.perSheet();
    if (perSheet < 1)
        return printout;
    const qreal padding = innerPadding(sheet.label);
    const QSizeF room(sheet.label.width() - 2 * padding, sheet.label.height() - 2 * padding);
    int position = std::clamp(startPosition, 1, perSheet) - 1;
    for (std::size_t index = 0; index < addresses.size(); ++index, ++position) {
        if (position % perSheet == 0 || printout.pages.empty())
            printout.pages.push_back(PrintedPage{sheet.paper, {}});
        const int onSheet = position % perSheet;
        const qreal left = sheet.left + (onSheet % sheet.columns) * sheet.horizontalPitch + padding;
        const qreal top = sheet.top + (onSheet / sheet.columns) * sheet.verticalPitch + padding;
        const QStringList &lines = addresses[index];
        const std::optional<qreal> fitting = largestFittingSize(lines, room);
        if (!fitting)
            printout.notFitting.push_back(int(index));
        const qreal size = fitting.value_or(SmallestLabelPoints);
        const qreal band = LineSpacing * size * MillimetresPerPoint;
        std::vector<PlacedText> &texts = printout.pages.back().texts;
        for (qsizetype line = 0; line < lines.size(); ++line)
            texts.push_back({left, top + (line + BaselineInBand / LineSpacing) * band, size, lines.at(line)});
    }
    return printout;
}
