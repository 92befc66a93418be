#include "dial/NumberRules.h"

#include "text/Blanks.h"

QString CleanNumber(const QString &number)
{
    static const QString kept = QStringLiteral("0123456789 ,");
    QString cleaned;
    cleaned.reserve(number.size());
    for (const QChar c : number) {
        if (kept.contains(c))
            cleaned.append(c);
    }
    return cleaned;
}

QString dropLocalPrefix(const QString &cleaned, const QString &trimmedPrefix)
{
    if (!cleaned.startsWith(trimmedPrefix))
        return cleaned;
    return trimLeadingBlanks(cleaned.mid(trimmedPrefix.size()));
}

QString dialString(const QString &numberBox, const QString &prefixBox, const QString &outsideLineBox)
{
    QString number = CleanNumber(numberBox);
    if (number.isEmpty())
        return number;
    number = dropLocalPrefix(number, trimBlanks(prefixBox));
    if (!outsideLineBox.isEmpty())
        number = CleanNumber(trimBlanks(outsideLineBox)) + u',' + number;
    return number;
}

QString comparableDigits(const QString &number)
{
    QString digits;
    bool plus = false;
    for (const QChar c : number) {
        if (c >= u'0' && c <= u'9')
            digits += c;
        else if (c == u'+' && digits.isEmpty())
            plus = true;
    }
    if (plus && digits.startsWith(QLatin1String("39")))
        digits.remove(0, 2);
    else if (!plus && digits.startsWith(QLatin1String("0039")))
        digits.remove(0, 4);
    return digits;
}
