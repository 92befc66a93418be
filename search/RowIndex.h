// Which row of a snapshot holds a contact: a plain array by id while the ids are about as many as
// the rows (the table gives them one after the other), so that it is made and asked in no time; a
// hash for the ids beyond.
#pragma once

#include <QHash>

#include <vector>

class RowIndex
{
public:
    void clear();
    void reserve(qsizetype ids) { m_dense.reserve(std::size_t(ids)); }

    // -1 for an id it does not hold.
    int rowOf(qint64 id) const;
    bool contains(qint64 id) const { return rowOf(id) >= 0; }
    void insert(qint64 id, int row);
    void remove(qint64 id);
    qsizetype size() const { return m_count; }
    std::size_t memoryBytes() const
    {
        return m_dense.size() * sizeof(int)
            + std::size_t(m_sparse.size()) * (sizeof(qint64) + sizeof(int) + 8);
    }

private:
    std::vector<int> m_dense;
    QHash<qint64, int> m_sparse;
    qsizetype m_count = 0;
};
