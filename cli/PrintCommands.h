// The printouts a script can make without the window: address labels and an envelope, as PDF files.
#pragma once

#include "cli/CliCommands.h"

#include <QString>

#include <optional>

class ContactStore;

struct PrintRequest
{
    QString sheet = QStringLiteral("3x8");
    bool home = false; // the home address instead of the work one
    std::optional<QString> search; // only the contacts this text finds, as search finds them
    std::optional<int> start; // the first free label of the sheet, from 1
    bool c5 = false;
    std::optional<QString> sender; // its lines parted by '|'
};

// Why the request cannot be printed as asked (an unknown sheet, a start past the sheet's last
// label), or an empty string.
QString printMisuse(const QString &command, const PrintRequest &request);

// Labels for the whole agenda or the search's hits, in the agenda's order, to the PDF file.
int labelsCommand(const ContactStore &store, const PrintRequest &request, const QString &file, CliStreams io);
// One envelope for the contact with the id written in idText.
int envelopeCommand(const ContactStore &store, const PrintRequest &request, const QString &idText,
    const QString &file, CliStreams io);
