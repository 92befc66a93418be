#include "cli/DuplicateCommands.h"

#include "duplicates/AgendaDuplicates.h"

#include <QTextStream>

int duplicatesCommand(const ContactStore &store, CliStreams io)
{
    QString error;
    const std::optional<std::vector<AgendaGroup>> groups = agendaDuplicates(store, &error);
    if (!groups) {
        io.err << QStringLiteral("Impossibile leggere l'agenda: %1").arg(error) << Qt::endl;
        return Failed;
    }
    bool first = true;
    for (const AgendaGroup &group : *groups) {
        if (!first)
            io.out << '\n';
        first = false;
        io.out << evidenceText(group.evidence) << '\n';
        for (const ContactName &contact : group.contacts)
            io.out << QStringLiteral("  %1  %2").arg(contact.id).arg(contact.line()) << '\n';
    }
    io.out.flush();
    if (groups->empty()) {
        io.err << QStringLiteral("Nessun possibile doppione nell'agenda.") << Qt::endl;
        return NotFound;
    }
    return Done;
}
