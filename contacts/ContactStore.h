// The contact table PhoneList in its SQLite file. Every statement is prepared with bound values;
// every write is one transaction (or part of the caller's Batch).
#pragma once

#include "contacts/ContactRecord.h"

#include <QString>
#include <QVariantList>

#include <memory>
#include <vector>

class ContactStore
{
public:
    struct IndexEntry
    {
        qint64 id = 0;
        FieldValue lastName;
        FieldValue firstName;
    };

    ~ContactStore();
    ContactStore(const ContactStore &) = delete;
    ContactStore &operator=(const ContactStore &) = delete;

    // Opens the store at path; a missing or empty file is given the empty table. Returns null and
    // sets error (an Italian message naming the file and the reason) when the file is not a usable
    // contact store; such a file is never written.
    static std::unique_ptr<ContactStore> open(const QString &path, QString *error);

    QString path() const { return m_path; }
    // The reason of the last failed operation, from the database.
    QString lastError() const { return m_lastError; }
    // Grows with every committed write, so a reader can tell whether its copy of the table is current.
    quint64 generation() const { return m_generation; }

    // Id and names of every row, in no particular order; empty with lastError() set on failure.
    std::vector<IndexEntry> readIndex() const;
    std::optional<ContactRecord> read(qint64 id) const;
    // Every row in no particular order; ok is set false on failure.
    std::vector<ContactRecord> readAll(bool *ok = nullptr) const;
    qint64 count() const;

    // Adds the record (its id is ignored) and returns the id the database gave it.
    std::optional<qint64> insert(const ContactRecord &record);
    // Adds the record under its own id, so whatever refers to that id still finds it (a copied store);
    // fails when the id is taken or not positive.
    bool insertKeepingId(const ContactRecord &record);
    // Writes every field of the record into the row with its id.
    bool update(const ContactRecord &record);
    bool remove(qint64 id);

    // Groups many writes into one transaction: committed by commit(), rolled back otherwise.
    class Batch
    {
    public:
        explicit Batch(ContactStore &store);
        ~Batch();
        bool ok() const { return m_active; }
        bool commit();

    private:
        ContactStore &m_store;
        bool m_active = false;
    };

private:
    explicit ContactStore(QString path, QString connection);
    bool exec(const QString &sql, const QVariantList &values = {}) const;
    bool begin();
    bool commit();
    void rollback();
    // Runs one write in a transaction of its own unless a Batch is open.
    template<typename Write>
    bool write(Write &&doWrite);

    QString m_path;
    QString m_connection;
    mutable QString m_lastError;
    quint64 m_generation = 0;
    int m_batchDepth = 0;
};
