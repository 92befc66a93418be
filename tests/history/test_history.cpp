// The undo history and the trash: every kind of step back and forth, across a restart, with ids
// taken meanwhile, the bound, and what leaves the trash for good leaving the history too.
#include "contacts/SqliteRows.h"
#include "history/HistoryRecording.h"
#include "history/Trash.h"
#include "history/UndoHistory.h"
#include "tests/support/TestStore.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QString note(ContactStore &store, qint64 id)
{
    const std::optional<ContactRecord> record = store.read(id);
    return record ? record->value(Field::Note).value_or(u"<null>"_s) : u"<missing>"_s;
}

void setNote(ContactStore &store, qint64 id, const QString &text)
{
    ContactRecord record = *store.read(id);
    record.setValue(Field::Note, text);
    QVERIFY(store.update(record));
}

QByteArray keptBytes(ContactStore &store, qint64 id)
{
    SqliteRows row(store.connection(), "SELECT hex(Lines) FROM RubrelloCardProperties WHERE ID = ?");
    row.bind(1, id);
    return row.next() ? row.utf8(0)->toByteArray() : QByteArray("<none>");
}

void deleteToTrash(ContactStore &store, qint64 id)
{
    const HistoryRecording recording(store, deletionLabel(u"x"_s), HistoryRecording::Removal::ToTrash);
    QVERIFY(store.remove(id));
}

} // namespace

class TestHistory : public QObject
{
    Q_OBJECT
private slots:
    // An addition, an edit and a deletion go back one by one and come forward again; the deleted
    // contact's rows in our own tables come back byte for byte, and the trash follows.
    void stepsGoBackAndForth()
    {
        TestStore files;
        ContactStore &store = files.store();
        static const char *const Kept[]
            = {"CREATE TABLE RubrelloCardProperties (ID INTEGER PRIMARY KEY, Lines BLOB)",
                "CREATE TRIGGER Gone AFTER DELETE ON PhoneList BEGIN "
                "DELETE FROM RubrelloCardProperties WHERE ID = OLD.ID; END"};
        QVERIFY(runStatements(store.connection(), Kept, nullptr));
        qint64 id = 0;
        {
            const HistoryRecording recording(store, savingLabel(u"Rossi, Mario"_s, true));
            id = files.add(u"Rossi"_s, u"Mario"_s, {{Field::Note, u"prima"_s}});
        }
        QVERIFY(runStatement(
            store.connection(), "INSERT INTO RubrelloCardProperties VALUES (1, x'00ff8000')", nullptr));
        {
            const HistoryRecording recording(store, savingLabel(u"Rossi, Mario"_s, false));
            setNote(store, id, u"dopo"_s);
        }
        deleteToTrash(store, id);
        QString error;
        QCOMPARE(trashEntries(store, &error).size(), size_t(1));
        QCOMPARE(trashEntries(store, &error).front().name, u"Rossi, Mario"_s);
        QCOMPARE(keptBytes(store, id), QByteArray("<none>"));

        QCOMPARE(stepToUndo(store)->label, u"la cancellazione di x"_s);
        const HistoryOutcome back = undoStep(store);
        QVERIFY2(back.ok(), qPrintable(back.failure));
        QCOMPARE(back.contacts, std::vector<qint64>{id});
        QCOMPARE(note(store, id), u"dopo"_s);
        QCOMPARE(keptBytes(store, id), QByteArray("00FF8000"));
        QVERIFY(trashEntries(store, &error).empty());
        QVERIFY(undoStep(store).ok());
        QCOMPARE(note(store, id), u"prima"_s);
        QVERIFY(undoStep(store).ok());
        QCOMPARE(note(store, id), u"<missing>"_s);
        QVERIFY(!undoStep(store).ok());

        QCOMPARE(stepToRedo(store)->label, u"l'aggiunta di Rossi, Mario"_s);
        for (const QString &expected : {u"prima"_s, u"dopo"_s, u"<missing>"_s}) {
            QVERIFY(redoStep(store).ok());
            QCOMPARE(note(store, id), expected);
        }
        QCOMPARE(trashEntries(store, &error).size(), size_t(1));
        QVERIFY(!stepToRedo(store));
    }

    // A step that adds many contacts (more than are held back at once) and changes one of them after
    // adding it goes back whole; a transaction rolled back leaves nothing of itself in the step.
    void addedContactsKeepTheirOrderInTheStep()
    {
        TestStore files;
        ContactStore &store = files.store();
        qint64 first = 0;
        {
            const HistoryRecording recording(store, importLabel(u"tanti.txt"_s));
            {
                ContactStore::Batch batch(store);
                first = files.add(u"Primo"_s, u"Anna"_s);
                setNote(store, first, u"cambiata"_s);
                for (int i = 0; i < 5000; ++i)
                    files.add(u"Altro"_s, QString::number(i));
                QVERIFY(batch.commit());
            }
            {
                // Left without a commit: the batch rolls back.
                const ContactStore::Batch batch(store);
                files.add(u"Annullato"_s, u"Mai"_s);
            }
        }
        QCOMPARE(store.count(), 5001);
        QVERIFY(undoStep(store).ok());
        QCOMPARE(store.count(), 0);
        QVERIFY(redoStep(store).ok());
        QCOMPARE(store.count(), 5001);
        QCOMPARE(note(store, first), u"cambiata"_s);
    }

    // The history lives in the store: a restart finds it. A contact changed by another program
    // after a step is not lost by undoing it: the redo gives the change back.
    void historyOutlivesTheProgramAndKeepsOthersChanges()
    {
        TestStore files;
        const qint64 id = files.add(u"Bianchi"_s, u"Anna"_s, {{Field::Note, u"uno"_s}});
        {
            const HistoryRecording recording(files.store(), savingLabel(u"Bianchi, Anna"_s, false));
            setNote(files.store(), id, u"due"_s);
        }
        files.close();
        runSqlElsewhere(files.path(), {u"UPDATE PhoneList SET Note = 'tre'"_s});
        QString error;
        const std::unique_ptr<ContactStore> store = ContactStore::open(files.path(), &error);
        QCOMPARE(stepToUndo(*store)->label, u"le modifiche a Bianchi, Anna"_s);
        QVERIFY(undoStep(*store).ok());
        QCOMPARE(note(*store, id), u"uno"_s);
        QVERIFY(redoStep(*store).ok());
        QCOMPARE(note(*store, id), u"tre"_s);
    }

    // A contact comes back from the trash with its own id when that is free and a new one when
    // another contact has taken it; undoing the restore puts it back in the trash.
    void restoreFromTrashKeepsTheIdWhenFree()
    {
        TestStore files;
        ContactStore &store = files.store();
        const qint64 kept = files.add(u"Verdi"_s, u"Luca"_s);
        const qint64 taken = files.add(u"Neri"_s, u"Sara"_s);
        deleteToTrash(store, kept);
        deleteToTrash(store, taken);
        ContactRecord other = makeRecord({{Field::LastName, u"Altro"_s}, {Field::FirstName, u"Programma"_s}});
        other.id = taken;
        QVERIFY(store.insertKeepingId(other));

        QString error;
        std::vector<qint64> entries;
        for (const TrashEntry &entry : trashEntries(store, &error))
            entries.push_back(entry.trashId);
        const HistoryOutcome restored = restoreFromTrash(store, entries);
        QVERIFY2(restored.ok(), qPrintable(restored.failure));
        QCOMPARE(restored.label, u"il ripristino di 2 contatti dal cestino"_s);
        QCOMPARE(restored.contacts.size(), size_t(2));
        QCOMPARE(store.read(kept)->value(Field::LastName), u"Verdi"_s);
        QCOMPARE(store.read(taken)->value(Field::LastName), u"Altro"_s);
        QCOMPARE(store.count(), 3);
        QVERIFY(trashEntries(store, &error).empty());

        QVERIFY(undoStep(store).ok());
        QCOMPARE(store.count(), 1);
        QCOMPARE(store.read(taken)->value(Field::LastName), u"Altro"_s);
        QCOMPARE(trashEntries(store, &error).size(), size_t(2));
    }

    // What leaves the trash for good, by age or by emptying it, no undo brings back; later steps
    // stay undoable. The history keeps a bounded number of steps, and a new step ends the redo.
    void forgottenForGoodAndBounded()
    {
        TestStore files;
        ContactStore &store = files.store();
        const qint64 first = files.add(u"Uno"_s, u"A"_s);
        const qint64 second = files.add(u"Due"_s, u"B"_s);
        deleteToTrash(store, first);
        {
            const HistoryRecording recording(store, savingLabel(u"Due, B"_s, false));
            setNote(store, second, u"nota"_s);
        }
        QString error;
        QVERIFY(emptyTrash(store, &error));
        QVERIFY(trashEntries(store, &error).empty());
        QVERIFY(undoStep(store).ok()); // the edit stays undoable
        QVERIFY(!undoStep(store).ok()); // the deletion does not
        QCOMPARE(store.count(), 1);

        deleteToTrash(store, second);
        QCOMPARE(expireTrash(store, QDateTime::currentDateTimeUtc().addDays(TrashDays - 1), &error), 0);
        QCOMPARE(expireTrash(store, QDateTime::currentDateTimeUtc().addDays(TrashDays + 1), &error), 1);
        QVERIFY(!stepToUndo(store));

        for (int i = 0; i < HistorySteps + 5; ++i) {
            const HistoryRecording recording(store, savingLabel(QString::number(i), true));
            files.add(QString::number(i), u"x"_s);
        }
        int undone = 0;
        while (undoStep(store).ok())
            ++undone;
        QCOMPARE(undone, HistorySteps);
        QCOMPARE(store.count(), 5);
        {
            const HistoryRecording recording(store, savingLabel(u"nuovo"_s, true));
            files.add(u"Nuovo"_s, u"x"_s);
        }
        QVERIFY(!stepToRedo(store));
    }
};

QTEST_GUILESS_MAIN(TestHistory)
#include "test_history.moc"
