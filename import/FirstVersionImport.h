// Adds the contacts of a first-version text file to the contact store, in one transaction.
#pragma once

#include <QString>

#include <functional>

class ContactStore;
class QIODevice;

struct ImportOutcome
{
    enum class Failure {
        None,
        Open, // the file could not be opened
        Refused, // not a regular text file of a sane size: nothing was read into the store
        Read, // reading the file failed part way
        Write, // the store refused a record, or the closing commit
        Stopped, // the caller's preparation before the first record said no
    };

    Failure failure = Failure::None;
    int added = 0; // records stored; after a failure these stay in the table
    qint64 line = 0; // the line the failure happened at (1 for the first), 0 when none
    QString reason; // the system's or database's description of the failure

    bool ok() const { return failure == Failure::None; }
};

// Runs once, right before the first record is written (not at all for a file with no names);
// returning false stops the import before anything is written.
using BeforeFirstRecord = std::function<bool()>;

// Every line that holds a name becomes a record with FirstName, LastName, WorkAddress and
// WorkPhone (empty texts, not Null, when the line has none) and every other field Null. After a
// failure the records before it are committed, not taken back. The file is closed on every path.
ImportOutcome importFirstVersionFile(
    const QString &path, ContactStore &store, const BeforeFirstRecord &beforeFirstRecord = {});
// The same from a device already open for reading; it must be able to go back to its start.
ImportOutcome importFirstVersionText(
    QIODevice &device, ContactStore &store, const BeforeFirstRecord &beforeFirstRecord = {});

// The message for a failed import: the fixed first line, then, where it helps, what went wrong and
// that the contacts before the failure are already in the agenda (importing again doubles them).
QString importFailureMessage(const ImportOutcome &outcome);

// The message at the end of an import that went through: how many contacts were added, counted
// in the Italian way ("Importati 2.000 contatti.").
QString importSummaryMessage(int added);
