// SQLite's own check of a store file, made from outside the program.
#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>

// "ok" for a sound file, else SQLite's list of faults (empty when it could not look).
inline QString integrityCheck(const QString &path)
{
    QStringList lines;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "check");
        db.setDatabaseName(path);
        QSqlQuery query(db);
        if (db.open() && query.exec("PRAGMA integrity_check")) {
            while (query.next())
                lines.append(query.value(0).toString());
        }
    }
    QSqlDatabase::removeDatabase("check");
    return lines.join(u'\n');
}
