#include "output/AgendaPrint.h"

#include "output/AgendaLayout.h"

#include <algorithm>

void printAgenda(const std::vector<ContactRecord> &contacts, const QString &selection, PrintJob &job)
{
    QString previous;
    bool started = false;
    for (const ContactRecord &contact : contacts) {
        const QString current = agendaLetter(contact.text(Field::LastName));
        if (isLetterSelected(current, selection)) {
            // The first printed contact always opens a section, also when its last name is empty
            // and so equals the empty letter the walk starts from. A row stays whole on its page:
            // when its lines do not all fit, it goes on under the next heading.
            const QStringList lines = agendaRow(contact);
            if (!started || current != previous || job.linesLeft() < lines.size()) {
                if (started)
                    job.endDocument();
                started = true;
                for (const QString &headingLine : agendaHeading(current))
                    job.printLine(headingLine);
            }
            for (const QString &line : lines)
                job.printLine(line);
        }
        previous = current;
    }
    job.endDocument();
}

bool agendaHasRows(const std::vector<ContactRecord> &contacts, const QString &selection)
{
    return std::any_of(contacts.begin(), contacts.end(), [&selection](const ContactRecord &contact) {
        return isLetterSelected(agendaLetter(contact.text(Field::LastName)), selection);
    });
}
