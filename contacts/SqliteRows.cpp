#include "contacts/SqliteRows.h"

#include <QSqlDriver>
#include <QStringList>
#include <QVariant>

#include <sqlite3.h>

#include <algorithm>

QByteArray selectFields(std::span<const Field> fields)
{
    QByteArray sql = "SELECT ID";
    for (const Field field : fields)
        sql += ", " + QByteArray(Fields[fieldIndex(field)].name);
    return sql + " FROM PhoneList";
}

QByteArray idListJson(std::span<const qint64> ids)
{
    QByteArray list = "[";
    for (const qint64 id : ids) {
        if (list.size() > 1)
            list += ',';
        list += QByteArray::number(id);
    }
    return list + ']';
}

QString explainedSqliteError(int code, const QString &text)
{
    switch (code & 0xff) {
    case SQLITE_FULL:
        return QStringLiteral("il disco è pieno: %1").arg(text);
    case SQLITE_BUSY:
        // Another program (the window, a script) kept writing for longer than the store waits.
        return QStringLiteral(
            "l'agenda è occupata da un altro programma che la sta modificando, riprovare tra "
            "poco: %1")
            .arg(text);
    default:
        return text;
    }
}

sqlite3 *sqliteConnection(const QSqlDatabase &db)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.constData());
}

SqliteRows::SqliteRows(const QSqlDatabase &db, const char *sql)
    : SqliteRows(sqliteConnection(db), sql)
{
}

SqliteRows::SqliteRows(sqlite3 *db, const char *sql)
    : m_db(db)
{
    if (!m_db)
        m_error = QStringLiteral("connessione SQLite non disponibile");
    else if (sqlite3_prepare_v2(m_db, sql, -1, &m_statement, nullptr) != SQLITE_OK)
        fail();
}

SqliteRows::~SqliteRows()
{
    // Finalizing also ends the read, so the connection's lock goes with the statement.
    sqlite3_finalize(m_statement);
}

bool SqliteRows::next()
{
    if (!m_statement || failed())
        return false;
    const int result = sqlite3_step(m_statement);
    if (result == SQLITE_ROW)
        return true;
    if (result != SQLITE_DONE)
        fail();
    return false;
}

void SqliteRows::bind(int index, QByteArrayView utf8)
{
    // Values are bound to a statement at its start: one read to its end is started again.
    if (m_statement)
        sqlite3_reset(m_statement);
    // A view of no bytes may have no data: bind an empty text, never a Null.
    if (m_statement
        && sqlite3_bind_text(
               m_statement, index, utf8.data() ? utf8.data() : "", int(utf8.size()), SQLITE_TRANSIENT)
            != SQLITE_OK)
        fail();
}

void SqliteRows::bind(int index, qint64 value)
{
    if (m_statement)
        sqlite3_reset(m_statement);
    if (m_statement && sqlite3_bind_int64(m_statement, index, value) != SQLITE_OK)
        fail();
}

void SqliteRows::bindNull(int index)
{
    if (m_statement)
        sqlite3_reset(m_statement);
    if (m_statement && sqlite3_bind_null(m_statement, index) != SQLITE_OK)
        fail();
}

bool SqliteRows::run()
{
    while (next()) { }
    return !failed();
}

qint64 SqliteRows::integer(int column) const
{
    return sqlite3_column_int64(m_statement, column);
}

std::optional<QByteArrayView> SqliteRows::utf8(int column) const
{
    // SQLite gives no text for a Null and an empty one for an empty value.
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
    if (!text)
        return std::nullopt;
    return QByteArrayView(text, sqlite3_column_bytes(m_statement, column));
}

FieldValue SqliteRows::text(int column) const
{
    const std::optional<QByteArrayView> bytes = utf8(column);
    if (!bytes)
        return std::nullopt;
    return QString::fromUtf8(*bytes);
}

bool runStatement(sqlite3 *db, const char *sql, QString *error)
{
    SqliteRows statement(db, sql);
    if (statement.run())
        return true;
    if (error)
        *error = statement.error();
    return false;
}

bool runStatements(sqlite3 *db, std::span<const char *const> statements, QString *error)
{
    return std::all_of(
        statements.begin(), statements.end(), [&](const char *sql) { return runStatement(db, sql, error); });
}

void SqliteRows::fail()
{
    const int code = sqlite3_extended_errcode(m_db);
    m_error = explainedSqliteError(
        code, QStringLiteral("%1 (codice %2)").arg(QString::fromUtf8(sqlite3_errmsg(m_db))).arg(code));
}

QString quickCheckFinding(sqlite3 *db, int *code)
{
    QStringList findings;
    sqlite3_stmt *statement = nullptr;
    *code = sqlite3_prepare_v2(db, "PRAGMA quick_check", -1, &statement, nullptr);
    if (*code == SQLITE_OK) {
        while ((*code = sqlite3_step(statement)) == SQLITE_ROW)
            findings.append(
                QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0))));
    }
    const QString failure = *code == SQLITE_DONE ? QString() : QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_finalize(statement);
    if (findings.isEmpty() || findings == QStringList{QStringLiteral("ok")})
        return failure;
    // One finding may span lines, the first naming the database: the next one tells the fault.
    const QString all = findings.join(u'\n');
    for (const QString &line : all.split(u'\n', Qt::SkipEmptyParts)) {
        if (!line.startsWith(QLatin1String("***")))
            return line.left(200);
    }
    return all.left(200);
}
