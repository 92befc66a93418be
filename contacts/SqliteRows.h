// A query run directly on the SQLite connection behind a QSqlDatabase, for the reads that take
// every row of the table: each value is read as SQLite holds it (UTF-8 text), without a QVariant
// and a conversion for every one. The statements are the program's own; values are only bound.
#pragma once

#include "contacts/ContactRecord.h"

#include <QByteArrayView>
#include <QSqlDatabase>
#include <QString>

#include <optional>
#include <span>

struct sqlite3;
struct sqlite3_stmt;

// "SELECT ID, <fields> FROM PhoneList", for a read of some fields of every row (or, with a WHERE
// added, of some rows).
QByteArray selectFields(std::span<const Field> fields);

// ids as one JSON array, "[3,17,42]", for "ID IN (SELECT value FROM json_each(?))": one bound value
// for any number of ids.
QByteArray idListJson(std::span<const qint64> ids);

// SQLite's reason for a failure, with a full disk and an agenda kept busy by another program said
// plainly first, in Italian.
QString explainedSqliteError(int code, const QString &text);

// The SQLite connection behind db, for what Qt Sql does not reach; null when db is not SQLite's.
sqlite3 *sqliteConnection(const QSqlDatabase &db);

// SQLite's quick check of the file behind db: empty when it passes, else its first finding or the
// reason it could not run. The statement's last result goes to code.
QString quickCheckFinding(sqlite3 *db, int *code);

// Runs one statement of the program's own that takes no values; false with SQLite's reason in
// error (when given).
bool runStatement(sqlite3 *db, const char *sql, QString *error);
// Runs them in order, stopping at the first that fails.
bool runStatements(sqlite3 *db, std::span<const char *const> statements, QString *error);

class SqliteRows
{
public:
    // Prepares sql on the connection.
    SqliteRows(const QSqlDatabase &db, const char *sql);
    SqliteRows(sqlite3 *db, const char *sql);
    ~SqliteRows();
    SqliteRows(const SqliteRows &) = delete;
    SqliteRows &operator=(const SqliteRows &) = delete;

    // Binds the value of the index-th ? (from 1), starting the statement over; the text is copied.
    void bind(int index, QByteArrayView utf8);
    void bind(int index, qint64 value);
    void bindNull(int index);
    // Steps to the next row; false at the end and on failure (failed() then tells).
    bool next();
    // Runs the statement to its end; false on failure.
    bool run();
    bool failed() const { return !m_error.isEmpty(); }
    QString error() const { return m_error; }

    qint64 integer(int column) const;
    // The column's UTF-8 text, nullopt for a Null; valid until the next step.
    std::optional<QByteArrayView> utf8(int column) const;
    FieldValue text(int column) const;

private:
    void fail();

    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_statement = nullptr;
    QString m_error;
};
