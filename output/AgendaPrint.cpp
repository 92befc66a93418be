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
            // and so equals the empty letter the walk starts from.
            bool newSection = !started || current != previous;
            // The job can only tell whether one more line fits, so each line of a row is measured:
            // a row that meets the bottom of the page goes on under the next heading, not past it.
            for (const QString &line : agendaRow(contact)) {
                if (newSection || job.pageFull()) {
                    if (started)
                        job.endDocument();
                    started = true;
                    for (const QString &headingLine : agendaHeading(current))
                        job.printLine(headingLine);
                }
                newSection = false;
                job.printLine(line);
            }
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
