// Checks made on a store file from outside the program: SQLite's own integrity check and the rows
// in the order they were added.
#pragma once

#include "contacts/ContactRecord.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QUuid>

// "ok" for a sound file, else SQLite's list of faults (or the reason it could not look).
inline QString integrityCheck(const QString &path)
{
    const QString name = QUuid::createUuid().toString();
    QString result;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open())
            return db.lastError().text();
        QSqlQuery query(db);
        if (!query.exec(QStringLiteral("PRAGMA integrity_check")))
            return query.lastError().text();
        QStringList lines;
        while (query.next())
            lines.append(query.value(0).toString());
        result = lines.join(u'\n');
    }
    QSqlDatabase::removeDatabase(name);
    return result;
}
