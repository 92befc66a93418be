// Contacts of a fixture under tests/data: one a line, "name<TAB>" and then every field in the order of
// Field, with the escapes of a case table; an empty value is a field left Null, \e an empty text.
#pragma once

#include "contacts/ContactRecord.h"
#include "tests/text/CaseTable.h"

#include <vector>

inline std::vector<std::pair<QString, ContactRecord>> readContactTable(const char *file)
{
    QFile table(QStringLiteral(RUBRELLO_TEST_DATA "/") + QLatin1String(file));
    if (!table.open(QIODevice::ReadOnly))
        qFatal("%s cannot be read", file);
    std::vector<std::pair<QString, ContactRecord>> contacts;
    while (!table.atEnd()) {
        const QList<QByteArray> values = table.readLine().chopped(1).split('\t'); // every line ends with LF
        if (values.first().startsWith('#'))
            continue;
        ContactRecord contact;
        for (int i = 1; i < FieldCount; ++i) {
            if (!values.value(i).isEmpty())
                contact.setValue(Field(i),
                    values.value(i) == "\\e" ? QStringLiteral("") : utf8(unescapeCase(values.value(i))));
        }
        contacts.emplace_back(utf8(values.first()), contact);
    }
    return contacts;
}
