#include "contacts/Recordset.h"

#include "contacts/ContactOrder.h"

Recordset::Recordset(ContactStore &store)
    : m_store(&store)
{
}

bool Recordset::requery()
{
    bool ok = false;
    ContactStore::IndexRows rows = m_store->readIndexInOrder(&ok);
    if (!ok) {
        m_lastError = m_store->lastError();
        return false;
    }
    m_rows = std::move(rows);
    m_editMode = EditMode::None;
    setPosition(0);
    return true;
}

Recordset Recordset::clone() const
{
    Recordset copy(*m_store);
    copy.m_rows = m_rows;
    copy.setPosition(0);
    return copy;
}

IndexTable &Recordset::ownRows()
{
    if (m_rows.use_count() > 1)
        m_rows = std::make_shared<IndexTable>(*m_rows);
    // Only this cursor holds the rows now, and they were made as a plain (non-const) table.
    return const_cast<IndexTable &>(*m_rows);
}

void Recordset::setPosition(int position)
{
    m_position = position;
    m_currentDeleted = false;
    m_current.reset();
}

void Recordset::moveFirst()
{
    m_editMode = EditMode::None;
    setPosition(0);
}

void Recordset::moveNext()
{
    m_editMode = EditMode::None;
    // After a delete the next row has already slid into the deleted one's place.
    const int next = m_currentDeleted ? m_position : m_position + 1;
    setPosition(std::min(next, recordCount()));
}

void Recordset::movePrevious()
{
    m_editMode = EditMode::None;
    setPosition(std::max(m_position - 1, -1));
}

void Recordset::moveLast()
{
    m_editMode = EditMode::None;
    setPosition(m_rows->empty() ? 0 : recordCount() - 1);
}

bool Recordset::findFirst(const Criterion &criterion)
{
    m_editMode = EditMode::None;
    for (int i = 0; i < recordCount(); ++i) {
        const ContactStore::IndexEntry &row = (*m_rows)[i];
        const bool match = std::visit(
            [&](const auto &c) {
                using C = std::decay_t<decltype(c)>;
                if constexpr (std::is_same_v<C, ById>)
                    return row.id == c.id;
                else
                    return row.hasLastName() && row.lastNameView() == c.lastName && row.hasFirstName()
                        && row.firstNameView() == c.firstName;
            },
            criterion);
        if (match) {
            setPosition(i);
            return true;
        }
    }
    return false;
}

const ContactRecord &Recordset::current() const
{
    if (!m_current) {
        std::optional<ContactRecord> record;
        if (hasCurrent())
            record = m_store->read(currentId());
        m_current = record.value_or(ContactRecord());
    }
    return *m_current;
}

FieldValue Recordset::field(Field field) const
{
    if (field == Field::ID)
        return hasCurrent() ? FieldValue(QString::number(currentId())) : std::nullopt;
    return current().value(field);
}

void Recordset::addNew()
{
    m_positionBeforeAdd = m_position;
    m_editMode = EditMode::Adding;
    m_current = ContactRecord();
}

bool Recordset::edit()
{
    if (!hasCurrent()) {
        m_lastError = QStringLiteral("Nessun record corrente.");
        return false;
    }
    m_editMode = EditMode::Editing;
    return true;
}

bool Recordset::update(const ContactRecord &values)
{
    switch (m_editMode) {
    case EditMode::None:
        m_lastError = QStringLiteral("Aggiornamento senza modifica in corso.");
        return false;
    case EditMode::Adding: {
        const std::optional<qint64> id = m_store->insert(values);
        if (!id) {
            m_lastError = m_store->lastError();
            return false;
        }
        ownRows().append(*id, values.value(Field::LastName), values.value(Field::FirstName));
        m_editMode = EditMode::None;
        setPosition(m_positionBeforeAdd);
        return true;
    }
    case EditMode::Editing: {
        ContactRecord written = values;
        written.id = currentId();
        if (!m_store->update(written, &current())) {
            m_lastError = m_store->lastError();
            return false;
        }
        ownRows().rename(size_t(m_position), written.value(Field::LastName), written.value(Field::FirstName));
        m_current = written;
        m_editMode = EditMode::None;
        return true;
    }
    }
    return false;
}

bool Recordset::remove()
{
    if (!hasCurrent()) {
        m_lastError = QStringLiteral("Nessun record corrente da cancellare.");
        return false;
    }
    if (!m_store->remove(currentId())) {
        m_lastError = m_store->lastError();
        return false;
    }
    IndexTable &rows = ownRows();
    rows.erase(rows.begin() + m_position);
    m_editMode = EditMode::None;
    m_current.reset();
    m_currentDeleted = true;
    return true;
}
