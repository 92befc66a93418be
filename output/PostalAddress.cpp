#include "output/PostalAddress.h"

#include "text/Blanks.h"

#include <QRegularExpression>

namespace {

void appendFilled(QStringList &list, const QString &text)
{
    if (!text.isEmpty())
        list.append(text);
}

} // namespace

QStringList postalAddress(const ContactRecord &contact, bool homeAddress)
{
    const auto trimmed = [&contact](Field field) { return trimBlanks(contact.text(field)); };
    QStringList lines;
    if (!homeAddress)
        appendFilled(lines, trimmed(Field::Azienda));
    appendFilled(lines, trimBlanks(trimmed(Field::FirstName) + QLatin1Char(' ') + trimmed(Field::LastName)));
    // The street box takes a second line (a building, a floor) after a line break.
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    for (const QString &line :
        trimmed(homeAddress ? Field::HomeAddress : Field::WorkAddress).split(lineBreak))
        appendFilled(lines, trimBlanks(line));
    QStringList town;
    appendFilled(town, trimmed(homeAddress ? Field::HomePostalCode : Field::WorkPostalCode));
    appendFilled(town, trimmed(homeAddress ? Field::HomeCity : Field::WorkCity));
    // The post reads the province's two letters in capitals, however they were typed.
    const QString province = trimmed(homeAddress ? Field::HomeProv : Field::WorkProv).toUpper();
    if (!province.isEmpty())
        town.append(QLatin1Char('(') + province + QLatin1Char(')'));
    appendFilled(lines, town.join(QLatin1Char(' ')));
    return lines;
}
