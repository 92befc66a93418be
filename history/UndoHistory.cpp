#include "history/UndoHistory.h"

#include "contacts/ContactStore.h"
#include "contacts/SqliteRows.h"
#include "history/ContactSnapshot.h"
#include "history/HistoryTables.h"

#include <sqlite3.h>

#include <variant>

namespace {

enum class Direction { Back, Forward };

std::optional<HistoryStep> nextStep(const ContactStore &store, Direction direction)
{
    sqlite3 *db = store.connection();
    if (!db || !historyTablesExist(db))
        return std::nullopt;
    SqliteRows row(db,
        direction == Direction::Back
            ? "SELECT Step, Label, Time FROM RubrelloHistory WHERE NOT Undone ORDER BY Step DESC LIMIT 1"
            : "SELECT Step, Label, Time FROM RubrelloHistory WHERE Undone ORDER BY Step LIMIT 1");
    if (!row.next())
        return std::nullopt;
    return HistoryStep{
        row.integer(0), row.text(1).value_or(QString()), timeFromStored(row.text(2).value_or(QString()))};
}

struct StepRow
{
    qint64 rowId = 0;
    qint64 id = 0;
    QByteArray before;
    QByteArray after;
    bool removed = false;
    std::optional<qint64> trashId;
};

QByteArray bytesOf(const SqliteRows &rows, int column)
{
    const std::optional<QByteArrayView> value = rows.utf8(column);
    return value ? value->toByteArray() : QByteArray();
}

bool readRows(sqlite3 *db, qint64 step, Direction direction, std::vector<StepRow> *rows, QString *error)
{
    SqliteRows read(db,
        direction == Direction::Back
            ? "SELECT rowid, ID, Before, After, Removed, TrashID FROM RubrelloHistoryRows WHERE Step = ? "
              "ORDER BY rowid DESC"
            : "SELECT rowid, ID, Before, After, Removed, TrashID FROM RubrelloHistoryRows WHERE Step = ? "
              "ORDER BY rowid");
    read.bind(1, step);
    while (read.next()) {
        StepRow row{
            read.integer(0), read.integer(1), bytesOf(read, 2), bytesOf(read, 3), read.integer(4) != 0, {}};
        if (read.utf8(5))
            row.trashId = read.integer(5);
        rows->push_back(std::move(row));
    }
    if (!read.failed())
        return true;
    *error = read.error();
    return false;
}

bool runWith(sqlite3 *db, const char *sql, std::initializer_list<std::variant<qint64, QByteArray>> values,
    QString *error)
{
    SqliteRows statement(db, sql);
    int index = 1;
    for (const auto &value : values) {
        if (const qint64 *number = std::get_if<qint64>(&value))
            statement.bind(index++, *number);
        else if (const QByteArray &bytes = std::get<QByteArray>(value); bytes.isNull())
            statement.bindNull(index++);
        else
            statement.bind(index++, bytes);
    }
    if (statement.run())
        return true;
    *error = statement.error();
    return false;
}

// Takes one contact of the step to the side the direction leads to. The contact as it is now is
// kept on the other side first, so going the other way again gives it back.
bool applyRow(ContactStore &store, const StepRow &row, Direction direction, HistoryOutcome *outcome)
{
    sqlite3 *db = store.connection();
    QString &error = outcome->failure;
    const bool back = direction == Direction::Back;
    const QByteArray &target = back ? row.before : row.after;
    // Whether the step left the contact in the agenda on the side it now leaves.
    const bool expected = back ? !row.removed : !row.before.isNull();
    QByteArray current;
    if (expected) {
        current = takeSnapshot(db, row.id, &error);
        if (!error.isEmpty()
            || !runWith(db,
                back ? "UPDATE RubrelloHistoryRows SET After = ? WHERE rowid = ?"
                     : "UPDATE RubrelloHistoryRows SET Before = ? WHERE rowid = ?",
                {current, row.rowId}, &error))
            return false;
    }
    if (target.isNull()) {
        if (!current.isNull()) {
            if (!removeContactRows(db, row.id, &error))
                return false;
            store.noteRewritten(row.id);
        }
        return !row.trashId
            || runWith(db,
                "UPDATE RubrelloTrash SET InTrash = 1, Contact = coalesce(?, Contact) WHERE TrashID = ?",
                {current, *row.trashId}, &error);
    }
    qint64 id = row.id;
    const std::optional<bool> taken = expected ? std::optional(false) : contactExists(db, id, &error);
    if (!taken)
        return false;
    if (*taken) {
        // Another contact has its id now: it comes back under a new one, which the step keeps.
        const std::optional<qint64> fresh = putSnapshotAsNew(db, target, &error);
        if (!fresh
            || !runWith(
                db, "UPDATE RubrelloHistoryRows SET ID = ? WHERE rowid = ?", {*fresh, row.rowId}, &error))
            return false;
        id = *fresh;
    } else if (!putSnapshot(db, id, target, &error)) {
        return false;
    }
    store.noteRewritten(id);
    outcome->contacts.push_back(id);
    return !row.trashId
        || runWith(db, "UPDATE RubrelloTrash SET InTrash = 0 WHERE TrashID = ?", {*row.trashId}, &error);
}

HistoryOutcome applyStep(ContactStore &store, Direction direction)
{
    HistoryOutcome outcome;
    const std::optional<HistoryStep> step = nextStep(store, direction);
    if (!step) {
        outcome.failure = direction == Direction::Back ? QStringLiteral("non c'è nulla da annullare")
                                                       : QStringLiteral("non c'è nulla da ripetere");
        return outcome;
    }
    outcome.label = step->label;
    ContactStore::Batch batch(store);
    if (!batch.ok()) {
        outcome.failure = store.lastError();
        return outcome;
    }
    sqlite3 *db = store.connection();
    std::vector<StepRow> rows;
    if (!readRows(db, step->step, direction, &rows, &outcome.failure))
        return outcome;
    for (const StepRow &row : rows) {
        if (!applyRow(store, row, direction, &outcome)) {
            outcome.contacts.clear();
            return outcome;
        }
    }
    if (!runWith(db, "UPDATE RubrelloHistory SET Undone = ? WHERE Step = ?",
            {qint64(direction == Direction::Back), step->step}, &outcome.failure))
        return outcome;
    if (!batch.commit()) {
        outcome.failure = store.lastError();
        outcome.contacts.clear();
    }
    return outcome;
}

} // namespace

std::optional<HistoryStep> stepToUndo(const ContactStore &store)
{
    return nextStep(store, Direction::Back);
}

std::optional<HistoryStep> stepToRedo(const ContactStore &store)
{
    return nextStep(store, Direction::Forward);
}

HistoryOutcome undoStep(ContactStore &store)
{
    return applyStep(store, Direction::Back);
}

HistoryOutcome redoStep(ContactStore &store)
{
    return applyStep(store, Direction::Forward);
}

QString historyFailureMessage(const HistoryOutcome &outcome, bool redo)
{
    const QString verb = redo ? QStringLiteral("ripetere") : QStringLiteral("annullare");
    return outcome.label.isEmpty()
        ? QStringLiteral("Impossibile %1: %2").arg(verb, outcome.failure)
        : QStringLiteral("Impossibile %1 %2: %3").arg(verb, outcome.label, outcome.failure);
}
