#include "output/AddressText.h"

#include "text/Blanks.h"

QString addressText(const ContactRecord &contact, bool workAddress)
{
    const auto trimmed = [&contact](Field field) { return trimBlanks(contact.text(field)); };
    const QString lineBreak = QStringLiteral("\r\n");
    const QChar blank = QLatin1Char(' ');

    QString text;
    if (workAddress)
        text += trimmed(Field::Azienda) + lineBreak;
    text += trimmed(Field::LastName) + blank + trimmed(Field::FirstName) + lineBreak;
    text += trimmed(workAddress ? Field::WorkAddress : Field::HomeAddress) + lineBreak;
    text += trimmed(workAddress ? Field::WorkPostalCode : Field::HomePostalCode) + blank
        + trimmed(workAddress ? Field::WorkCity : Field::HomeCity) + blank
        + trimmed(workAddress ? Field::WorkProv : Field::HomeProv) + blank;
    return text;
}
