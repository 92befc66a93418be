#include "contacts/IndexTable.h"

#include "text/NameLine.h"

#include <algorithm>

namespace {

quint32 sizeOf(const FieldValue &name)
{
    return name ? quint32(name->size()) : IndexEntry::NullName;
}

} // namespace

IndexEntry IndexTable::entryOf(qint64 id, const FieldValue &lastName, const FieldValue &firstName)
{
    m_blocks.push_back(nameLine(lastName.value_or(QString()), firstName.value_or(QString())));
    return {id, m_blocks.back().constData(), sizeOf(lastName), sizeOf(firstName)};
}

void IndexTable::rename(size_t row, const FieldValue &lastName, const FieldValue &firstName)
{
    (*this)[row] = entryOf((*this)[row].id, lastName, firstName);
}

void IndexTable::compact()
{
    qsizetype total = 0;
    for (const IndexEntry &entry : *this)
        total += entry.lineView().size();
    QString block(total, Qt::Uninitialized);
    QChar *out = block.data();
    for (IndexEntry &entry : *this) {
        const QStringView line = entry.lineView();
        out = std::copy(line.begin(), line.end(), out);
        entry.text = out - line.size();
    }
    m_blocks.clear();
    m_blocks.push_back(std::move(block));
}

IndexTable::Filler::Filler(IndexTable &table)
    : m_table(table)
    , m_first(table.size())
{
}

IndexTable::Filler::~Filler()
{
    m_block.squeeze();
    for (size_t i = 0; i < m_starts.size(); ++i)
        m_table[m_first + i].text = m_block.constData() + m_starts[i];
    m_table.m_blocks.push_back(std::move(m_block));
}

void IndexTable::Filler::addName(const std::optional<QByteArrayView> &name, quint32 *size)
{
    if (!name) {
        *size = IndexEntry::NullName;
        return;
    }
    const qsizetype before = m_block.size();
    // Names are nearly always plain ASCII: widened in place, without a string of their own.
    if (std::all_of(name->begin(), name->end(), [](char c) { return uchar(c) < 0x80; })) {
        m_block.resize(before + name->size());
        std::copy(name->begin(), name->end(), m_block.data() + before);
    } else {
        m_block.append(QString::fromUtf8(*name));
    }
    *size = quint32(m_block.size() - before);
}

void IndexTable::Filler::add(
    qint64 id, const std::optional<QByteArrayView> &lastName, const std::optional<QByteArrayView> &firstName)
{
    IndexEntry entry{id, nullptr, 0, 0};
    m_starts.push_back(quint32(m_block.size()));
    addName(lastName, &entry.lastSize);
    m_block.append(QLatin1String(", "));
    addName(firstName, &entry.firstSize);
    m_table.push_back(entry);
}

void IndexTable::Filler::add(qint64 id, const FieldValue &lastName, const FieldValue &firstName)
{
    IndexEntry entry{id, nullptr, sizeOf(lastName), sizeOf(firstName)};
    m_starts.push_back(quint32(m_block.size()));
    m_block.append(lastName.value_or(QString()));
    m_block.append(QLatin1String(", "));
    m_block.append(firstName.value_or(QString()));
    m_table.push_back(entry);
}
