// The records the crash driver writes and the checks made on what a killed driver left behind.
// Every field of a record is made from one tag, so a record written in part shows at once.
#pragma once

#include "contacts/ContactRecord.h"

#include <QStringList>

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
