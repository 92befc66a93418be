// The agenda's index: for every contact its id and its names. An entry is a few plain numbers and a
// pointer into blocks of text the table keeps, so a million of them take a few dozen megabytes, a
// copy of the table is one copy of memory and the tree's lines can show the same text.
#pragma once

#include "contacts/ContactRecord.h"
#include "text/NameLine.h"

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <vector>

struct IndexEntry
{
    qint64 id = 0;
    // "LastName, FirstName" (a Null name left empty), in a block the table keeps.
    const QChar *text = nullptr;
    // The sizes of the two names; the high bit marks a Null name.
    quint32 lastSize = 0;
    quint32 firstSize = 0;

    static constexpr quint32 NullName = 0x80000000u;

    bool hasLastName() const { return !(lastSize & NullName); }
    bool hasFirstName() const { return !(firstSize & NullName); }
    qsizetype lastLength() const { return qsizetype(lastSize & ~NullName); }
    qsizetype firstLength() const { return qsizetype(firstSize & ~NullName); }
    QStringView lastNameView() const { return {text, lastLength()}; }
    QStringView firstNameView() const { return {text + lastLength() + 2, firstLength()}; }
    FieldValue lastName() const
    {
        return hasLastName() ? FieldValue(lastNameView().toString()) : std::nullopt;
    }
    FieldValue firstName() const
    {
        return hasFirstName() ? FieldValue(firstNameView().toString()) : std::nullopt;
    }
    // The contact's line in the index tree.
    QStringView lineView() const { return {text, lastLength() + 2 + firstLength()}; }
    QString line() const { return lineView().toString(); }
};

// A contact's id and names held on their own, for a list apart from the index (the answers of a
// look-up), put in the index's order by sortByName.
struct ContactName
{
    qint64 id = 0;
    FieldValue lastName;
    FieldValue firstName;

    QString line() const
    {
        return nameLine(lastName ? QStringView(*lastName) : QStringView(),
            firstName ? QStringView(*firstName) : QStringView());
    }
};

// Inheriting the vector keeps every walk over the rows as it was; what the table adds is the text
// its entries point into, which copies of the table share and which is never changed once written.
class IndexTable : public std::vector<IndexEntry>
{
public:
    // A row whose names lie in a block of their own that the table keeps, to be put anywhere among
    // its rows (a contact saved or read again).
    IndexEntry entryOf(qint64 id, const FieldValue &lastName, const FieldValue &firstName);
    void append(qint64 id, const FieldValue &lastName, const FieldValue &firstName)
    {
        push_back(entryOf(id, lastName, firstName));
    }
    // Gives a row other names.
    void rename(size_t row, const FieldValue &lastName, const FieldValue &firstName);
    // Writes the rows' texts again into one block, in the rows' order: the tree, the search and the
    // printout walk the rows in that order, and texts lying one after the other in memory are read
    // several times faster than texts scattered in the order the table was read.
    void compact();
    // The blocks the rows' texts lie in: whoever keeps a copy of them may keep views of the texts.
    const std::vector<QString> &blocks() const { return m_blocks; }

    // Adds many rows, their names gathered in one block: the whole table read at once.
    class Filler
    {
    public:
        explicit Filler(IndexTable &table);
        ~Filler();
        Filler(const Filler &) = delete;
        Filler &operator=(const Filler &) = delete;
        // The names as SQLite holds them, UTF-8; nullopt for a Null.
        void add(qint64 id, const std::optional<QByteArrayView> &lastName,
            const std::optional<QByteArrayView> &firstName);
        void add(qint64 id, const FieldValue &lastName, const FieldValue &firstName);

    private:
        void addName(const std::optional<QByteArrayView> &name, quint32 *size);

        IndexTable &m_table;
        size_t m_first;
        QString m_block;
        // Where each row's text begins in the block: the block moves as it grows, so the rows
        // learn where their text lies only once it is whole.
        std::vector<quint32> m_starts;
    };

private:
    std::vector<QString> m_blocks;
};
