#include "lookup/LookupTables.h"

#include "contacts/SqliteRows.h"

#include <QChar>
#include <QString>

#include <sqlite3.h>

namespace {

// Grows when what the tables hold for a contact changes, so older tables are made again.
constexpr qint64 Format = 3;

// The folding follows Qt's Unicode tables: a Qt with newer ones makes the tables again.
QByteArray folding()
{
    return QByteArray::number(int(QChar::currentUnicodeVersion()));
}

// Only built-in SQL in the triggers: another program writing PhoneList runs them too.
const char *const Create[] = {
    "CREATE TABLE RubrelloLookupState (Format INTEGER NOT NULL, Folding TEXT NOT NULL)",
    "CREATE TABLE RubrelloChanged (ID INTEGER PRIMARY KEY)",
    "CREATE TABLE RubrelloSearchText (ID INTEGER PRIMARY KEY, Folded TEXT NOT NULL)",
    // Only which contacts hold a trigram, not where: a candidate is always tested on its fields.
    "CREATE VIRTUAL TABLE RubrelloSearchIndex USING fts5(Folded, content='RubrelloSearchText', "
    "content_rowid='ID', tokenize='trigram case_sensitive 1', detail='none')",
    // Digits for the search by part of a number, NumberKey for who has a number and for duplicates.
    "CREATE TABLE RubrelloNumbers (Digits TEXT NOT NULL, NumberKey TEXT NOT NULL, ID INTEGER NOT NULL)",
    "CREATE INDEX RubrelloNumbersByKey ON RubrelloNumbers (NumberKey)",
    "CREATE INDEX RubrelloNumbersByID ON RubrelloNumbers (ID)",
    "CREATE TRIGGER RubrelloPhoneListInsert AFTER INSERT ON PhoneList BEGIN "
    "INSERT OR IGNORE INTO RubrelloChanged (ID) VALUES (NEW.ID); END",
    "CREATE TRIGGER RubrelloPhoneListUpdate AFTER UPDATE ON PhoneList BEGIN "
    "INSERT OR IGNORE INTO RubrelloChanged (ID) VALUES (OLD.ID); "
    "INSERT OR IGNORE INTO RubrelloChanged (ID) VALUES (NEW.ID); END",
    "CREATE TRIGGER RubrelloPhoneListDelete AFTER DELETE ON PhoneList BEGIN "
    "INSERT OR IGNORE INTO RubrelloChanged (ID) VALUES (OLD.ID); END",
    "INSERT INTO RubrelloChanged (ID) SELECT ID FROM PhoneList",
};

const char *const Drop[] = {
    "DROP TRIGGER IF EXISTS RubrelloPhoneListInsert",
    "DROP TRIGGER IF EXISTS RubrelloPhoneListUpdate",
    "DROP TRIGGER IF EXISTS RubrelloPhoneListDelete",
    "DROP TABLE IF EXISTS RubrelloSearchIndex",
    "DROP TABLE IF EXISTS RubrelloSearchText",
    "DROP TABLE IF EXISTS RubrelloNumbers",
    "DROP TABLE IF EXISTS RubrelloChanged",
    "DROP TABLE IF EXISTS RubrelloLookupState",
};

constexpr int ObjectCount = 10;

} // namespace

bool lookupTablesIntact(sqlite3 *db)
{
    SqliteRows objects(db,
        "SELECT count(*) FROM sqlite_master WHERE name IN ('RubrelloLookupState', 'RubrelloChanged', "
        "'RubrelloSearchText', 'RubrelloSearchIndex', 'RubrelloNumbers', 'RubrelloNumbersByKey', "
        "'RubrelloNumbersByID', 'RubrelloPhoneListInsert', 'RubrelloPhoneListUpdate', "
        "'RubrelloPhoneListDelete')");
    if (!objects.next() || objects.integer(0) != ObjectCount)
        return false;
    SqliteRows state(db, "SELECT Format, Folding FROM RubrelloLookupState");
    return state.next() && state.integer(0) == Format && state.utf8(1) == QByteArrayView(folding())
        && !state.next() && !state.failed();
}

bool createLookupTables(sqlite3 *db, QString *error)
{
    if (!runStatement(db, "BEGIN IMMEDIATE", error))
        return false;
    bool ok = runStatements(db, Drop, error) && runStatements(db, Create, error);
    if (ok) {
        SqliteRows state(db, "INSERT INTO RubrelloLookupState (Format, Folding) VALUES (?, ?)");
        state.bind(1, Format);
        state.bind(2, QByteArrayView(folding()));
        ok = state.run();
        if (!ok && error)
            *error = state.error();
    }
    ok = ok && runStatement(db, "COMMIT", error);
    if (!ok)
        runStatement(db, "ROLLBACK", nullptr);
    return ok;
}
