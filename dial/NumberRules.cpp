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

void comparableDigits(QByteArrayView utf8, std::string &out)
{
    out.clear();
    bool plus = false;
    for (const char c : utf8) {
        if (c >= '0' && c <= '9')
            out += c;
        else if (c == '+' && out.empty())
            plus = true;
    }
    if (plus && out.starts_with("39"))
        out.erase(0, 2);
    else if (!plus && out.starts_with("0039"))
        out.erase(0, 4);
}
