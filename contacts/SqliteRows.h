// A query run directly on the SQLite connection behind a QSqlDatabase, for the reads that take
// every row of the table: each value is read as SQLite holds it (UTF-8 text), without a QVariant
// and a conversion for every one. The statements are the program's own and take no values.
#pragma once

#include "contacts/ContactRecord.h"

#include <QByteArrayView>
#include <QSqlDatabase>
#include <QString>

#include <optional>

struct sqlite3;
struct sqlite3_stmt;

// The SQLite connection behind db, for what Qt Sql does not reach; null when db is not SQLite's.
sqlite3 *sqliteConnection(const QSqlDatabase &db);

class SqliteRows
{
public:
    // Prepares sql on the connection.
    SqliteRows(const QSqlDatabase &db, const char *sql);
    ~SqliteRows();
    SqliteRows(const SqliteRows &) = delete;
    SqliteRows &operator=(const SqliteRows &) = delete;

    // Steps to the next row; false at the end and on failure (failed() then tells).
    bool next();
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
