// One row of PhoneList. A text field is either Null (no value) or a string, possibly empty.
#pragma once

#include "text/NameLine.h"

#include "contacts/ContactFields.h"

#include <optional>

using FieldValue = std::optional<QString>;

struct ContactRecord
{
    qint64 id = 0; // 0: not stored yet
    std::array<FieldValue, FieldCount> values; // the ID slot is unused

    const FieldValue &value(Field field) const { return values[fieldIndex(field)]; }
    void setValue(Field field, FieldValue value) { values[fieldIndex(field)] = std::move(value); }
    bool isNull(Field field) const { return !value(field).has_value(); }
    // The value as text, Null as empty.
    QString text(Field field) const { return value(field).value_or(QString()); }

    // "LastName, FirstName": the text of the contact's index line and of the data control's caption.
    QString displayName() const { return nameLine(text(Field::LastName), text(Field::FirstName)); }

    bool operator==(const ContactRecord &) const = default;
};
