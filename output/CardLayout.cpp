#include "output/CardLayout.h"

namespace {

// Positions count from 1, so the 60th character sits at index 59.
constexpr qsizetype NotesBreakFrom = 59;

} // namespace

QStringList wrapNotes(const QString &notes)
{
    // Walks the notes by position: copying what is left for every line made a long note quadratic,
    // and the blank is sought only up to the line end, or a note of many short lines would be too.
    QStringList lines;
    const qsizetype size = notes.size();
    qsizetype start = 0;
    do {
        qsizetype end = start;
        while (end < size && notes.at(end) != QLatin1Char('\r') && notes.at(end) != QLatin1Char('\n'))
            ++end;
        qsizetype next = end;
        if (next < size)
            next += notes.at(next) == QLatin1Char('\r') && next + 1 < size
                    && notes.at(next + 1) == QLatin1Char('\n')
                ? 2
                : 1;
        do {
            const qsizetype blank = end - start > NotesBreakFrom
                ? QStringView(notes).sliced(start, end - start).indexOf(QLatin1Char(' '), NotesBreakFrom)
                : -1;
            qsizetype cut = blank < 0 ? next : start + blank + 1;
            // A blank just before the line end leaves no empty line behind it.
            if (cut == end)
                cut = next;
            lines.append(notes.sliced(start, cut - start));
            start = cut;
        } while (start < end);
    } while (start < size);
    return lines;
}

QStringList cardLines(const ContactRecord &contact)
{
    const auto v = [&contact](Field field) { return contact.text(field); };
    const QString blank = QStringLiteral(" ");
    const QString rule = QStringLiteral("----------------------------------");

    QStringList lines{
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
    for (QString line : wrapNotes(v(Field::Note))) {
        if (line.endsWith(QLatin1Char('\n')))
            line.chop(1);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        lines.append(line);
    }
    return lines;
}
