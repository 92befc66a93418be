#include "history/ContactSnapshot.h"

#include "contacts/ContactTables.h"
#include "contacts/SqliteRows.h"
#include "text/NameLine.h"
#include "text/Utf8Text.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <sqlite3.h>

namespace {

// A value as SQLite holds it. Text is kept as text when it is UTF-8; anything else travels as its
// bytes with a tag telling what to give back: {"t": base64} for other text, {"b": base64} for a
// BLOB, {"i": "123"} for an integer (a JSON number would round it), {"r": 1.5} for a real.
QJsonValue storedValue(sqlite3_stmt *statement, int column)
{
    const auto bytes = [&] {
        return QByteArray(static_cast<const char *>(sqlite3_column_blob(statement, column)),
            sqlite3_column_bytes(statement, column));
    };
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_NULL:
        return QJsonValue::Null;
    case SQLITE_INTEGER:
        return QJsonObject{{QStringLiteral("i"), QString::number(sqlite3_column_int64(statement, column))}};
    case SQLITE_FLOAT:
        return QJsonObject{{QStringLiteral("r"), sqlite3_column_double(statement, column)}};
    case SQLITE_BLOB:
        return QJsonObject{{QStringLiteral("b"), QString::fromLatin1(bytes().toBase64())}};
    default: {
        const QByteArray text(reinterpret_cast<const char *>(sqlite3_column_text(statement, column)),
            sqlite3_column_bytes(statement, column));
        if (isValidUtf8(text))
            return QString::fromUtf8(text);
        return QJsonObject{{QStringLiteral("t"), QString::fromLatin1(text.toBase64())}};
    }
    }
}

int bindStored(sqlite3_stmt *statement, int index, const QJsonValue &value)
{
    if (value.isString()) {
        const QByteArray text = value.toString().toUtf8();
        return sqlite3_bind_text(statement, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
    }
    const QJsonObject tagged = value.toObject();
    if (tagged.contains(QLatin1String("i")))
        return sqlite3_bind_int64(statement, index, tagged.value(QLatin1String("i")).toString().toLongLong());
    if (tagged.contains(QLatin1String("r")))
        return sqlite3_bind_double(statement, index, tagged.value(QLatin1String("r")).toDouble());
    if (tagged.contains(QLatin1String("b")) || tagged.contains(QLatin1String("t"))) {
        const bool blob = tagged.contains(QLatin1String("b"));
        const QByteArray bytes
            = QByteArray::fromBase64(tagged.value(QLatin1String(blob ? "b" : "t")).toString().toLatin1());
        return blob
            ? sqlite3_bind_blob(statement, index, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT)
            : sqlite3_bind_text(statement, index, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
    }
    return sqlite3_bind_null(statement, index);
}

bool failed(sqlite3 *db, QString *error)
{
    *error = explainedSqliteError(sqlite3_extended_errcode(db), QString::fromUtf8(sqlite3_errmsg(db)));
    return false;
}

bool tableExists(sqlite3 *db, const char *table)
{
    return sqlite3_table_column_metadata(db, "main", table, "ID", nullptr, nullptr, nullptr, nullptr, nullptr)
        == SQLITE_OK;
}

// The columns the table has now: a snapshot's names are only used when they are among them, so
// nothing a stored text says ever becomes part of a statement.
QStringList columnsOf(sqlite3 *db, const char *table)
{
    QStringList columns;
    sqlite3_stmt *statement = nullptr;
    const QByteArray sql = QByteArray("SELECT name FROM pragma_table_info('") + table + "')";
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &statement, nullptr) == SQLITE_OK) {
        while (sqlite3_step(statement) == SQLITE_ROW)
            columns.append(
                QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0))));
    }
    sqlite3_finalize(statement);
    return columns;
}

// Writes one table's row of the snapshot under id (a null id lets PhoneList give one); the new row's
// id goes to written.
bool putRow(sqlite3 *db, const char *table, const QJsonObject &row, std::optional<qint64> id, qint64 *written,
    QString *error)
{
    QByteArray names;
    QByteArray marks;
    std::vector<QJsonValue> values;
    for (const QString &column : columnsOf(db, table)) {
        if (column.compare(QLatin1String("ID"), Qt::CaseInsensitive) == 0 || !row.contains(column))
            continue;
        names += ", \"" + column.toUtf8() + '"';
        marks += ", ?";
        values.push_back(row.value(column));
    }
    const QByteArray sql = QByteArray("INSERT INTO ") + table + " (ID" + names + ") VALUES (?" + marks + ")";
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &statement, nullptr) != SQLITE_OK)
        return failed(db, error);
    if (id)
        sqlite3_bind_int64(statement, 1, *id);
    for (size_t i = 0; i < values.size(); ++i)
        bindStored(statement, int(i) + 2, values[i]);
    const bool ok = sqlite3_step(statement) == SQLITE_DONE;
    sqlite3_finalize(statement);
    if (!ok)
        return failed(db, error);
    *written = sqlite3_last_insert_rowid(db);
    return true;
}

// Puts every table's row of the snapshot; PhoneList first, so the others can follow its id.
std::optional<qint64> putRows(
    sqlite3 *db, std::optional<qint64> id, const QByteArray &snapshot, QString *error)
{
    const QJsonObject tables = QJsonDocument::fromJson(snapshot).object();
    if (!tables.value(QLatin1String("PhoneList")).isObject()) {
        *error = QStringLiteral("i dati conservati del contatto sono illeggibili");
        return std::nullopt;
    }
    for (const char *table : ContactTables) {
        const QJsonValue row = tables.value(QLatin1String(table));
        if (!row.isObject())
            continue;
        if (!tableExists(db, table)) {
            *error = QStringLiteral("nell'agenda manca la tabella %1").arg(QLatin1String(table));
            return std::nullopt;
        }
        qint64 written = 0;
        if (!putRow(db, table, row.toObject(), id, &written, error))
            return std::nullopt;
        id = id.value_or(written);
    }
    return id;
}

} // namespace

QByteArray takeSnapshot(sqlite3 *db, qint64 id, QString *error)
{
    error->clear();
    QJsonObject tables;
    for (const char *table : ContactTables) {
        if (!tableExists(db, table))
            continue;
        const QByteArray sql = QByteArray("SELECT * FROM ") + table + " WHERE ID = ?";
        sqlite3_stmt *statement = nullptr;
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &statement, nullptr) != SQLITE_OK) {
            failed(db, error);
            return {};
        }
        sqlite3_bind_int64(statement, 1, id);
        const int step = sqlite3_step(statement);
        if (step == SQLITE_ROW) {
            QJsonObject row;
            for (int column = 0; column < sqlite3_column_count(statement); ++column)
                row.insert(QString::fromUtf8(sqlite3_column_name(statement, column)),
                    storedValue(statement, column));
            tables.insert(QLatin1String(table), row);
        } else if (step != SQLITE_DONE) {
            failed(db, error);
        }
        sqlite3_finalize(statement);
        if (!error->isEmpty())
            return {};
    }
    if (!tables.contains(QLatin1String("PhoneList")))
        return {};
    return QJsonDocument(tables).toJson(QJsonDocument::Compact);
}

bool putSnapshot(sqlite3 *db, qint64 id, const QByteArray &snapshot, QString *error)
{
    return removeContactRows(db, id, error) && putRows(db, id, snapshot, error).has_value();
}

std::optional<qint64> putSnapshotAsNew(sqlite3 *db, const QByteArray &snapshot, QString *error)
{
    return putRows(db, std::nullopt, snapshot, error);
}

bool removeContactRows(sqlite3 *db, qint64 id, QString *error)
{
    for (const char *table : ContactTables) {
        if (!tableExists(db, table))
            continue;
        const QByteArray sql = QByteArray("DELETE FROM ") + table + " WHERE ID = ?";
        SqliteRows remove(db, sql.constData());
        remove.bind(1, id);
        if (!remove.run()) {
            *error = remove.error();
            return false;
        }
    }
    return true;
}

std::optional<bool> contactExists(sqlite3 *db, qint64 id, QString *error)
{
    SqliteRows row(db, "SELECT 1 FROM PhoneList WHERE ID = ?");
    row.bind(1, id);
    const bool found = row.next();
    if (row.failed()) {
        *error = row.error();
        return std::nullopt;
    }
    return found;
}

QString snapshotName(const QByteArray &snapshot)
{
    const QJsonObject row
        = QJsonDocument::fromJson(snapshot).object().value(QLatin1String("PhoneList")).toObject();
    return nameLine(
        row.value(QLatin1String("LastName")).toString(), row.value(QLatin1String("FirstName")).toString());
}
