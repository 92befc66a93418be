#include "search/RowIndex.h"

void RowIndex::clear()
{
    m_dense.clear();
    m_sparse.clear();
    m_count = 0;
}

int RowIndex::rowOf(qint64 id) const
{
    if (id >= 0 && std::size_t(id) < m_dense.size())
        return m_dense[std::size_t(id)];
    return m_sparse.value(id, -1);
}

void RowIndex::insert(qint64 id, int row)
{
    remove(id);
    ++m_count;
    // An id a little beyond the array grows it; one far beyond the others goes to the hash.
    if (id >= 0 && (std::size_t(id) < m_dense.size() || id < 2 * m_count + 1024)) {
        if (std::size_t(id) >= m_dense.size())
            m_dense.resize(std::max(std::size_t(id) + 1, m_dense.size() * 3 / 2), -1);
        m_dense[std::size_t(id)] = row;
        return;
    }
    m_sparse.insert(id, row);
}

void RowIndex::remove(qint64 id)
{
    if (id >= 0 && std::size_t(id) < m_dense.size()) {
        if (m_dense[std::size_t(id)] >= 0) {
            m_dense[std::size_t(id)] = -1;
            --m_count;
        }
        return;
    }
    m_count -= m_sparse.remove(id) ? 1 : 0;
}
