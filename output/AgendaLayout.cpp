#include "output/AgendaLayout.h"

namespace {

constexpr qsizetype NameWidth = 25;
constexpr qsizetype NameColumn = 26;
constexpr qsizetype NumberColumn = 13;

QString numberColumn(const QString &number)
{
    return number.left(NumberColumn).rightJustified(NumberColumn, QLatin1Char(' '));
}

} // namespace

QString letterSelection(const QString &answer)
{
    if (answer == QLatin1String("*"))
        return QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    return answer.toUpper();
}

QString agendaLetter(const QString &lastName)
{
    if (lastName.isEmpty())
        return {};
    const qsizetype length
        = lastName.size() > 1 && lastName.at(0).isHighSurrogate() && lastName.at(1).isLowSurrogate() ? 2 : 1;
    return lastName.left(length);
}

bool isLetterSelected(const QString &letter, const QString &selection)
{
    return letter.isEmpty() || selection.contains(letter, Qt::CaseSensitive);
}

QStringList agendaHeading(const QString &letter)
{
    const QString rule(78, QLatin1Char('-'));
    return {
        QStringLiteral("Agenda telefonica - Rubrello") + QString(35, QLatin1Char(' '))
            + QStringLiteral("Lettera (") + letter + QStringLiteral(")"),
        rule,
        QStringLiteral("Cognome e Nome            Tel. Lavoro  Tel. Casa    Fax Lavoro   Cellulare    "),
        rule,
    };
}

QString agendaRow(const ContactRecord &contact)
{
    const QString name
        = (contact.text(Field::LastName) + QLatin1Char(' ') + contact.text(Field::FirstName)).left(NameWidth);
    // The work telephone gets the same form as the other numbers, so it stands under its heading.
    return name.leftJustified(NameColumn, QLatin1Char(' ')) + numberColumn(contact.text(Field::WorkPhone))
        + numberColumn(contact.text(Field::HomePhone)) + numberColumn(contact.text(Field::WorkFax))
        + numberColumn(contact.text(Field::Cellulare));
}
