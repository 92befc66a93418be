#include "import/FirstVersionImport.h"

#include "history/HistoryRecording.h"

#include "contacts/ContactStore.h"
#include "import/FirstVersionLine.h"
#include "import/FirstVersionReader.h"
#include "platform/BatchQueue.h"
#include "platform/RegularFile.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <optional>
#include <thread>
#include <utility>

namespace {

// A million contacts of the first version take about a hundred megabytes.
constexpr qint64 LargestImportFile = qint64(1) << 30;

// A line without an address or a phone gives empty texts, not Null: a null string would be stored as Null.
FieldValue text(const QString &value)
{
    return value.isNull() ? QString(QLatin1String("")) : value;
}

ContactRecord recordFor(const FirstVersionContact &contact)
{
    ContactRecord record;
    record.setValue(Field::FirstName, text(contact.firstName));
    record.setValue(Field::LastName, text(contact.lastName));
    record.setValue(Field::WorkAddress, text(contact.workAddress));
    record.setValue(Field::WorkPhone, text(contact.workPhone));
    return record;
}

ImportOutcome failed(ImportOutcome::Failure failure, int added, qint64 line, const QString &reason)
{
    ImportOutcome outcome;
    outcome.failure = failure;
    outcome.added = added;
    outcome.line = line;
    outcome.reason = reason;
    return outcome;
}

// A contact of the file with the number of its line.
struct NumberedRecord
{
    qint64 line;
    ContactRecord record;
};

// The file's lines read and taken apart on a thread of their own while the store writes the
// contacts before them: the two take about as long, so the import takes half the time.
class FirstVersionPrefetch
{
public:
    explicit FirstVersionPrefetch(FirstVersionReader &reader)
        : m_reader(reader)
        , m_thread([this] { read(); })
    {
    }
    ~FirstVersionPrefetch()
    {
        m_records.stop();
        m_thread.join();
    }
    FirstVersionPrefetch(const FirstVersionPrefetch &) = delete;
    FirstVersionPrefetch &operator=(const FirstVersionPrefetch &) = delete;

    // The next contact; false at the end of the file, and when it could not be read.
    bool next(NumberedRecord *record) { return m_records.take(record); }
    // Once next() said false: the number of the last line read.
    qint64 lastLine() const { return m_lastLine; }

private:
    void read()
    {
        QString line;
        qint64 number = 0;
        while (m_reader.nextLine(line)) {
            ++number;
            const std::optional<FirstVersionContact> contact = parseFirstVersionLine(line);
            if (contact && !m_records.give({number, recordFor(*contact)}))
                return;
        }
        m_lastLine = number;
        m_records.finish();
    }

    FirstVersionReader &m_reader;
    BatchQueue<NumberedRecord> m_records;
    qint64 m_lastLine = 0;
    std::thread m_thread;
};

} // namespace

ImportOutcome importFirstVersionText(
    QIODevice &device, ContactStore &store, const BeforeFirstRecord &beforeFirstRecord)
{
    FirstVersionReader reader(device);
    if (!reader.start()) {
        return failed(reader.notText() ? ImportOutcome::Failure::Refused : ImportOutcome::Failure::Read, 0, 0,
            reader.notText() ? QStringLiteral("Il file non contiene testo: non è un file di contatti.")
                             : reader.errorString());
    }

    // One transaction for the whole file: a commit per record would cost a disk flush per line.
    std::optional<ContactStore::Batch> batch;
    int added = 0;
    qint64 lineNumber = 0;
    // What is stored stays stored: a failure part way commits the records before it.
    // When even that commit fails (a full disk), nothing at all is kept, and the first failure is
    // the one worth telling: the commit's own complaint is only that the transaction is gone.
    auto keepAddedAndFail = [&](ImportOutcome::Failure failure, const QString &reason) {
        if (batch && !batch->commit())
            return failed(failure, 0, lineNumber, reason);
        return failed(failure, added, lineNumber, reason);
    };

    {
        FirstVersionPrefetch lines(reader);
        NumberedRecord next;
        while (lines.next(&next)) {
            lineNumber = next.line;
            if (!batch) {
                if (beforeFirstRecord && !beforeFirstRecord())
                    return failed(ImportOutcome::Failure::Stopped, 0, lineNumber, {});
                batch.emplace(store);
                if (!batch->ok())
                    return failed(ImportOutcome::Failure::Write, 0, lineNumber, store.lastError());
            }
            if (!store.insert(next.record))
                return keepAddedAndFail(ImportOutcome::Failure::Write, store.lastError());
            ++added;
        }
        lineNumber = lines.lastLine();
    }
    if (reader.failed()) {
        ++lineNumber; // the line that could not be read
        return keepAddedAndFail(ImportOutcome::Failure::Read, reader.errorString());
    }
    if (batch && !batch->commit())
        return failed(ImportOutcome::Failure::Write, 0, 0, store.lastError());

    ImportOutcome outcome;
    outcome.added = added;
    return outcome;
}

ImportOutcome importFirstVersionFile(
    const QString &path, ContactStore &store, const BeforeFirstRecord &beforeFirstRecord)
{
    QFile file;
    QString reason;
    if (!QFileInfo::exists(path))
        return failed(ImportOutcome::Failure::Open, 0, 0, {});
    if (!openRegularFile(file, path, LargestImportFile, &reason))
        return failed(ImportOutcome::Failure::Refused, 0, 0, reason);
    // The whole file is one step of the undo history.
    const HistoryRecording recording(store, importLabel(QFileInfo(path).fileName()));
    return importFirstVersionText(file, store, beforeFirstRecord);
}

QString importFailureMessage(const ImportOutcome &outcome)
{
    QString message = QStringLiteral("File non trovato o errore di accesso!");
    QString detail;
    switch (outcome.failure) {
    case ImportOutcome::Failure::None:
    case ImportOutcome::Failure::Open:
    case ImportOutcome::Failure::Stopped:
        return message;
    case ImportOutcome::Failure::Refused:
        return message + QStringLiteral("\n\n") + outcome.reason
            + QStringLiteral("\nNessun contatto è stato importato.");
    case ImportOutcome::Failure::Read:
        detail = outcome.line > 0 ? QStringLiteral("Lettura del file interrotta alla riga %1: %2.")
                                        .arg(outcome.line)
                                        .arg(outcome.reason)
                                  : QStringLiteral("Lettura del file non riuscita: %1.").arg(outcome.reason);
        break;
    case ImportOutcome::Failure::Write:
        detail = outcome.line > 0
            ? QStringLiteral("L'archivio non ha accettato il contatto della riga %1: %2.")
                  .arg(outcome.line)
                  .arg(outcome.reason)
            : QStringLiteral("L'archivio non ha accettato i contatti: %1.").arg(outcome.reason);
        break;
    }
    message += QStringLiteral("\n\n") + detail;
    if (outcome.added == 0)
        message += QStringLiteral("\nNessun contatto è stato importato.");
    else if (outcome.added == 1)
        message += QStringLiteral("\nIl contatto letto prima dell'errore è già stato aggiunto all'agenda: "
                                  "importando di nuovo lo stesso file verrebbe aggiunto una seconda volta.");
    else if (outcome.added > 1)
        message
            += QStringLiteral("\nI %1 contatti letti prima dell'errore sono già stati aggiunti all'agenda: "
                              "importando di nuovo lo stesso file verrebbero aggiunti una seconda volta.")
                   .arg(outcome.added);
    return message;
}

QString importSummaryMessage(int added)
{
    if (added == 0)
        return QStringLiteral("Nessun contatto importato: il file non contiene nomi.");
    if (added == 1)
        return QStringLiteral("Importato 1 contatto.");
    // The program speaks Italian whatever the system's language: 2.000, not 2,000.
    return QStringLiteral("Importati %1 contatti.").arg(QLocale(QLocale::Italian).toString(added));
}
