// A contact store in a temporary directory of its own, with helpers to fill it.
#pragma once

#include "contacts/ContactStore.h"

#include <QTemporaryDir>

#include <initializer_list>
#include <memory>
#include <utility>

// Runs the statements on the file at path through a connection of its own, as another program
// would, behind the back of any store open on it. Fails the test when one does not run.
void runSqlElsewhere(const QString &path, const QStringList &statements);

// A record from (field, value) pairs; fields not named stay Null.
ContactRecord makeRecord(std::initializer_list<std::pair<Field, QString>> values);

class TestStore
{
public:
    TestStore();
    QString directory() const { return m_dir.path(); }
    QString path() const;
    ContactStore &store() { return *m_store; }
    // Adds a contact with the given names (and other fields) and returns its id.
    qint64 add(const QString &lastName, const QString &firstName,
               std::initializer_list<std::pair<Field, QString>> other = {});
    qint64 add(const ContactRecord &record);

private:
    QTemporaryDir m_dir;
    std::unique_ptr<ContactStore> m_store;
};
