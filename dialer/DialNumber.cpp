#include "dialer/DialNumber.h"

namespace {

QString keepOnly(const QString &text, QStringView kept)
{
    QString result;
    for (const QChar c : text) {
        if (kept.contains(c))
            result.append(c);
    }
    return result;
}

} // namespace

QString modemDialDigits(const QString &number)
{
    return keepOnly(number, u"0123456789*#,");
}

QUrl telUrl(const QString &number)
{
    return QUrl(QStringLiteral("tel:") + keepOnly(number, u"0123456789"));
}
