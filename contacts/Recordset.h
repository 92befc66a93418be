// A cursor over PhoneList in the record source's order (last name, then first name). It holds the
// ids and names of all rows and reads a whole record only when it becomes current.
#pragma once

#include "contacts/ContactStore.h"

#include <variant>

enum class EditMode { None = 0, Editing = 1, Adding = 2 };

// FindFirst's criteria, as typed values: nothing the user typed ever becomes part of a query.
struct ById
{
    qint64 id;
};
struct ByName
{
    QString lastName;
    QString firstName;
};
using Criterion = std::variant<ById, ByName>;

class Recordset
{
public:
    explicit Recordset(ContactStore &store);

    // Reads the rows again; the first row becomes current. False with lastError() on failure.
    bool requery();
    // A second cursor over the same rows in the same order, on the first row.
    Recordset clone() const;

    int recordCount() const { return static_cast<int>(m_rows->size()); }
    int position() const { return m_position; }
    // Past the last row; an empty recordset is at its end too.
    bool isEOF() const { return m_rows->empty() || m_position >= recordCount(); }
    bool isBOF() const { return m_position < 0 || m_rows->empty(); }
    // False past either end, on an empty recordset and right after the current row was deleted.
    bool hasCurrent() const { return !m_currentDeleted && m_position >= 0 && m_position < recordCount(); }

    void moveFirst();
    void moveNext();
    void movePrevious();
    void moveLast();
    // Moves to the first row, in order, that meets the criterion; stays put when none does.
    bool findFirst(const Criterion &criterion);

    qint64 currentId() const { return hasCurrent() ? (*m_rows)[m_position].id : 0; }
    const ContactStore::IndexEntry &currentEntry() const { return (*m_rows)[m_position]; }
    // The whole current record, read from the store (an empty record when there is none).
    const ContactRecord &current() const;
    FieldValue field(Field field) const;
    const std::vector<ContactStore::IndexEntry> &rows() const { return *m_rows; }
    // The rows themselves, as shared with the store and the clones: the same pointer means the
    // same rows.
    const ContactStore::IndexRows &sharedRows() const { return m_rows; }

    EditMode editMode() const { return m_editMode; }
    // Starts a new row; it is written by update(). A move gives it up.
    void addNew();
    bool edit();
    // Writes values into the current row (editing) or as a new row (adding). An added row stands
    // at the end of the rows until the next requery(), and the row current before addNew() is
    // current again.
    bool update(const ContactRecord &values);
    void cancelUpdate() { m_editMode = EditMode::None; }
    bool remove();

    QString lastError() const { return m_lastError; }
    ContactStore &store() const { return *m_store; }

private:
    void setPosition(int position);
    // The rows to change: a copy of its own once the rows are shared with the store or a clone.
    IndexTable &ownRows();

    ContactStore *m_store;
    ContactStore::IndexRows m_rows = std::make_shared<IndexTable>();
    int m_position = 0;
    bool m_currentDeleted = false;
    EditMode m_editMode = EditMode::None;
    int m_positionBeforeAdd = 0;
    mutable std::optional<ContactRecord> m_current;
    QString m_lastError;
};
