// Contacts out to a vCard or CSV file: every property each contact came with, its boxes as they are.
#pragma once

#include <QString>

#include <functional>

#include <vector>

class ContactStore;
class QIODevice;

enum class ExportFormat { VCard3, VCard4, Csv };

struct ExportResult
{
    int written = 0;
    QString failure; // why the export failed, in Italian; empty when it went through
    bool cancelled = false; // progress said stop: nothing was written
};

// Writes the contacts ids, in that order, to out. progress, when given, hears how many are written
// every thousand or so and stops the export by answering false.
ExportResult exportContacts(const ContactStore &store, const std::vector<qint64> &ids, ExportFormat format,
    QIODevice &out, const std::function<bool(int done)> &progress = {});

// The same into the file at path, which takes the new contents only once all is written: a failed
// or cancelled export leaves the file as it was.
ExportResult exportContactsToFile(const ContactStore &store, const std::vector<qint64> &ids,
    ExportFormat format, const QString &path, const std::function<bool(int done)> &progress = {});

// "Esportati 152 contatti."
QString exportResultMessage(const ExportResult &result);

// Every contact of the agenda, in its order.
std::vector<qint64> agendaIds(const ContactStore &store, QString *error);
