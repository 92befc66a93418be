// The tables of our own beside PhoneList that let a question about a number or a text read only the
// contacts that can answer it: the digits of every number, every contact's searched fields folded
// into one text with a trigram index over it, and the log of the contacts written since those were
// brought up to date. Triggers on PhoneList fill the log whoever writes the table, another program
// included, so the tables are never trusted beyond the log: a contact in the log is read again.
#pragma once

class QString;
struct sqlite3;

// Whether every table and trigger is there and the tables were made by this program's rules.
bool lookupTablesIntact(sqlite3 *db);

// Makes the tables anew, dropping whatever is left of older ones, with every contact in the log, in
// one transaction of its own. False with the reason in error (an SQLite without FTS5, a file that
// cannot be written); the file is then as it was.
bool createLookupTables(sqlite3 *db, QString *error);
