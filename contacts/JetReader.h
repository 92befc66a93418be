// Reading a Jet (Access) database file through MDB Tools' libmdb, and the contact rows of its PhoneList
// table. Files are opened read-only: nothing here ever writes to them.
#pragma once

#include "contacts/ContactRecord.h"

#include <QList>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

enum class JetVersion { Jet3, Jet4, Ace };

enum class JetColumnKind { Integer, Text, Memo, Other };

struct JetColumn
{
    QString name;
    JetColumnKind kind = JetColumnKind::Other;
    QString typeName; // Access's name of the column type, in Italian, for messages
};

// One Jet file. Texts come decoded to Unicode from the file's code page (Jet 3) or from UTF-16 (Jet 4).
class JetDatabase
{
public:
    ~JetDatabase();
    JetDatabase(const JetDatabase &) = delete;
    JetDatabase &operator=(const JetDatabase &) = delete;

    // Null with error set (Italian, without the file name) when the file cannot be read as a Jet database.
    static std::unique_ptr<JetDatabase> open(const QString &path, QString *error);

    JetVersion version() const;
    // The user tables, in the file's order.
    QStringList tableNames() const;
    // The table's name as the file writes it, for a name matched without regard to case; empty when absent.
    QString findTable(const QString &name) const;

    std::optional<std::vector<JetColumn>> columns(const QString &table, QString *error) const;
    // The number of rows the table's definition declares; -1 with error set on failure.
    qint64 declaredRowCount(const QString &table, QString *error) const;

    using RowSink = std::function<bool(const QList<FieldValue> &)>;
    // Hands each row's values (in column order, Null as nullopt; OLE and other binary columns as Null) to
    // take, which returns false to stop (error is then left as it is). False with error set when a row
    // cannot be read or when fewer rows come out than the table declares: libmdb skips a row it cannot
    // decode, and that must not pass unseen.
    bool readRows(const QString &table, const RowSink &take, QString *error) const;

private:
    struct Handle;
    explicit JetDatabase(std::unique_ptr<Handle> handle);
    std::unique_ptr<Handle> m_handle;
};

// Where the contact rows of an old agenda come from; the Jet file in the program, a list in tests.
class PhoneListReader
{
public:
    virtual ~PhoneListReader() = default;
    // The number of rows the table holds.
    virtual qint64 rowCount() const = 0;
    using RecordSink = std::function<bool(const ContactRecord &)>;
    // Hands every row to take, in the source's order; each call reads the source again from its start.
    // False with error set (Italian) when the source fails part way; false with error left as it is
    // when take returned false.
    virtual bool readRows(const RecordSink &take, QString *error) = 0;
};

// For each field of the contact record, the column of the table that holds it.
using PhoneListColumns = std::array<int, FieldCount>;

// Maps the columns of a PhoneList table onto the twenty fields, names matched without regard to case.
// Nullopt with problem set (Italian, naming the fields) when a field is missing or of a kind the store
// cannot hold, or when the table has a field the store has no place for: its values would be lost.
std::optional<PhoneListColumns> mapPhoneListColumns(const std::vector<JetColumn> &columns, QString *problem);

// The record of one row; nullopt when its ID is not a whole number above zero.
std::optional<ContactRecord> phoneListRecord(const QList<FieldValue> &row, const PhoneListColumns &columns);

// Opens path as a Jet database and checks its PhoneList table. Null with error set (Italian, naming the
// file and what is wrong) when the file cannot give its contacts.
std::unique_ptr<PhoneListReader> openJetPhoneList(const QString &path, QString *error);

using PhoneListOpener = std::function<std::unique_ptr<PhoneListReader>(const QString &path, QString *error)>;
