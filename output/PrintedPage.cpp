#include "output/PrintedPage.h"

qreal fixedPitchWidth(QStringView text, qreal pointSize)
{
    qsizetype characters = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!(text.at(i).isLowSurrogate() && i > 0 && text.at(i - 1).isHighSurrogate()))
            ++characters;
    }
    return qreal(characters) * FixedPitchAdvance * pointSize * MillimetresPerPoint;
}
