#include "tests/support/TestStore.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

void runSqlElsewhere(const QString &path, const QStringList &statements)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
        db.setDatabaseName(path);
        QVERIFY(db.open());
        for (const QString &sql : statements) {
            QSqlQuery query(db);
            QVERIFY2(query.exec(sql), qPrintable(sql + QStringLiteral(": ") + query.lastError().text()));
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("other"));
}

ContactRecord makeRecord(std::initializer_list<std::pair<Field, QString>> values)
{
    ContactRecord record;
    for (const auto &[field, value] : values)
        record.setValue(field, value);
    return record;
}

TestStore::TestStore()
{
    QString error;
    m_store = ContactStore::open(path(), &error);
    if (!m_store)
        qFatal("test store: %s", qPrintable(error));
}

QString TestStore::path() const
{
    return m_dir.filePath(QStringLiteral("Rubrello.MDB"));
}

qint64 TestStore::add(const QString &lastName, const QString &firstName,
                      std::initializer_list<std::pair<Field, QString>> other)
{
    ContactRecord record = makeRecord(other);
    record.setValue(Field::LastName, lastName);
    record.setValue(Field::FirstName, firstName);
    return add(record);
}

qint64 TestStore::add(const ContactRecord &record)
{
    const std::optional<qint64> id = m_store->insert(record);
    if (!id)
        qFatal("test store insert: %s", qPrintable(m_store->lastError()));
    return *id;
}
