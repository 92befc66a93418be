#include "output/AgendaLayout.h"

#include <QRegularExpression>

#include <algorithm>
#include <array>

namespace {

constexpr qsizetype NameWidth = 25;
constexpr qsizetype NameColumn = 26;
constexpr qsizetype NumberColumn = 13;

// The printed lines of one value in a column of the given width: broken at its own line breaks and,
// where a line is too long, at its last blank that leaves a piece no wider than the column, or
// else at the width itself. The blank at a break is not printed. Always at least one piece.
QStringList columnPieces(const QString &value, qsizetype width)
{
    if (value.size() <= width && !value.contains(QLatin1Char('\r')) && !value.contains(QLatin1Char('\n')))
        return {value};
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    QStringList pieces;
    for (QString rest : value.split(lineBreak, Qt::SkipEmptyParts)) {
        // Blanks past the column edge print nothing, so they are worth no line of their own.
        while (rest.size() > width && rest.back() == QLatin1Char(' '))
            rest.chop(1);
        while (rest.size() > width) {
            const qsizetype blank = rest.lastIndexOf(QLatin1Char(' '), width);
            if (blank > 0) {
                pieces.append(rest.left(blank));
                rest.remove(0, blank + 1);
                continue;
            }
            // Never part the two halves of a character outside the BMP.
            const qsizetype cut = rest.at(width - 1).isHighSurrogate() ? width - 1 : width;
            pieces.append(rest.left(cut));
            rest.remove(0, cut);
        }
        pieces.append(rest);
    }
    if (pieces.isEmpty())
        pieces.append(QString());
    return pieces;
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

QStringList agendaRow(const ContactRecord &contact)
{
    const QStringList name = columnPieces(
        contact.text(Field::LastName) + QLatin1Char(' ') + contact.text(Field::FirstName), NameWidth);
    // The work telephone gets the same form as the other numbers, so it stands under its heading.
    const std::array<QStringList, 4> numbers{
        columnPieces(contact.text(Field::WorkPhone), NumberColumn),
        columnPieces(contact.text(Field::HomePhone), NumberColumn),
        columnPieces(contact.text(Field::WorkFax), NumberColumn),
        columnPieces(contact.text(Field::Cellulare), NumberColumn),
    };
    qsizetype height = name.size();
    for (const QStringList &number : numbers)
        height = std::max(height, number.size());

    QStringList lines;
    for (qsizetype i = 0; i < height; ++i) {
        QString line = name.value(i).leftJustified(NameColumn, QLatin1Char(' '));
        for (const QStringList &number : numbers)
            line += number.value(i).rightJustified(NumberColumn, QLatin1Char(' '));
        lines.append(line);
    }
    return lines;
}
