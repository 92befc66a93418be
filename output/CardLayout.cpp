#include "output/CardLayout.h"

namespace {

// Positions count from 1, so the 60th character sits at index 59.
constexpr qsizetype NotesBreakFrom = 59;

} // namespace

QStringList wrapNotes(const QString &notes)
{
    // Walks the notes by position: copying what is left for every line made a long note quadratic.
    QStringList lines;
    qsizetype start = 0;
    do {
        const qsizetype blank = notes.indexOf(QLatin1Char(' '), start + NotesBreakFrom);
        const qsizetype end = blank < 0 ? notes.size() : blank + 1;
        lines.append(notes.sliced(start, end - start));
        start = end;
    } while (start < notes.size());
    return lines;
}

QStringList cardLines(const ContactRecord &contact)
{
    const auto v = [&contact](Field field) { return contact.text(field); };
    const QString blank = QStringLiteral(" ");
    const QString rule = QStringLiteral("----------------------------------");

    QStringList lines {
        rule,
        QStringLiteral("Agenda telefonica  - Rubrello     "),
        rule,
        QString(),
        QStringLiteral("Scheda personale di : ") + v(Field::LastName) + blank + v(Field::FirstName),
        QString(),
        QStringLiteral("Lavoro:  ") + v(Field::Azienda),
        v(Field::WorkAddress),
        v(Field::WorkPostalCode) + blank + v(Field::WorkCity) + blank + v(Field::WorkProv),
        QStringLiteral("Tel.lavoro : ") + v(Field::WorkPhone),
        QStringLiteral("Fax lavoro : ") + v(Field::WorkFax),
        QStringLiteral("Cellulare  : ") + v(Field::Cellulare),
        QStringLiteral("E-Mail     : ") + v(Field::Internet),
        QStringLiteral("Home Page  : ") + v(Field::www),
        QString(),
        QStringLiteral("Casa :  "),
        // The home block puts the town line before the street, unlike the work block.
        v(Field::HomePostalCode) + blank + v(Field::HomeCity) + blank + v(Field::HomeProv),
        v(Field::HomeAddress),
        QStringLiteral("Tel.casa : ") + v(Field::HomePhone),
        QStringLiteral("Fax casa : ") + v(Field::HomeFax),
        QString(),
        QStringLiteral("Note:"),
    };
    lines.append(wrapNotes(v(Field::Note)));
    return lines;
}
