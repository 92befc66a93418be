// Checks made on a store file from outside the program: SQLite's own integrity check, and the records
// the crash driver writes, every field made from one tag so that a record written in part shows at once.
#pragma once

#include "contacts/ContactRecord.h"

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

// Tags are "<serial>.<version>": the serial names the record, the version grows with each rewrite.
inline QString crashTag(int serial, int version)
{
    return QStringLiteral("%1.%2").arg(serial).arg(version);
}

inline ContactRecord crashRecord(const QString &tag)
{
    ContactRecord record;
    for (const FieldInfo &info : Fields) {
        if (info.field == Field::ID)
            continue;
        record.setValue(info.field, QString::fromLatin1(info.name) + u'|' + tag);
    }
    // A note several pages long, so one record spans more than one page of the file.
    record.setValue(Field::Note, (tag + u' ').repeated(1500));
    return record;
}

// The tag every field of the record agrees on, or an empty string for a torn record.
inline QString wholeRecordTag(const ContactRecord &record)
{
    const QString lastName = record.text(Field::LastName);
    const QString tag = lastName.section(u'|', 1);
    if (tag.isEmpty())
        return QString();
    ContactRecord expected = crashRecord(tag);
    expected.id = record.id;
    return expected == record ? tag : QString();
}
