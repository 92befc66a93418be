// A contact store in a temporary directory of its own, with helpers to fill it.
#pragma once

#include "contacts/ContactStore.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

// Runs the statements on the file at path through a connection of its own, as another program
// would, behind the back of any store open on it. Fails the test when one does not run.
inline void runSqlElsewhere(const QString &path, const QStringList &statements)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
        db.setDatabaseName(path);
        QVERIFY(db.open());
        for (const QString &sql : statements) {
            QSqlQuery query(db);
            QVERIFY2(query.exec(sql), qPrintable(sql + QStringLiteral(": ") + query.lastError().text()));
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("other"));
}

// A record from (field, value) pairs; fields not named stay Null.
inline ContactRecord makeRecord(std::initializer_list<std::pair<Field, QString>> values)
{
    ContactRecord record;
    for (const auto &[field, value] : values)
        record.setValue(field, value);
    return record;
}

class TestStore
{
public:
    TestStore()
    {
        QString error;
        m_store = ContactStore::open(path(), &error);
        if (!m_store)
            qFatal("test store: %s", qPrintable(error));
    }
    QString directory() const { return m_dir.path(); }
    QString path() const { return m_dir.filePath(QStringLiteral("Rubrello.MDB")); }
    ContactStore &store() { return *m_store; }
    // Closes the store; the file stays.
    void close() { m_store.reset(); }
    // Adds a contact with the given names (and other fields) and returns its id.
    qint64 add(const QString &lastName, const QString &firstName,
        std::initializer_list<std::pair<Field, QString>> other = {})
    {
        ContactRecord record = makeRecord(other);
        record.setValue(Field::LastName, lastName);
        record.setValue(Field::FirstName, firstName);
        return add(record);
    }
    qint64 add(const ContactRecord &record)
    {
        const std::optional<qint64> id = m_store->insert(record);
        if (!id)
            qFatal("test store insert: %s", qPrintable(m_store->lastError()));
        return *id;
    }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<ContactStore> m_store;
};
