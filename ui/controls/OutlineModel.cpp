#include "ui/controls/OutlineModel.h"

#include <QSet>

#include <algorithm>

namespace {
// Top-row indexes carry no id; a child index carries its top row's id, which is never 0.
constexpr quintptr topRowMarker = 0;
} // namespace

OutlineModel::OutlineModel(QObject *parent)
    : QAbstractItemModel(parent)
{
}

QString OutlineModel::text(int line) const
{
    return isLine(line) ? m_lines[size_t(line)].text.toString() : QString();
}

int OutlineModel::level(int line) const
{
    return isLine(line) ? m_lines[size_t(line)].level : 0;
}

bool OutlineModel::isOpen(int line) const
{
    return isLine(line) && m_lines[size_t(line)].open;
}

bool OutlineModel::setOpen(int line, bool open)
{
    if (!isLine(line) || m_lines[size_t(line)].open == open)
        return false;
    m_lines[size_t(line)].open = open;
    return true;
}

bool OutlineModel::hasSubLines(int line) const
{
    if (!isLine(line))
        return false;
    ensureStructure();
    const TopRow &top = m_top[size_t(topRowOfLine(line))];
    return top.line == line && top.childCount > 0;
}

int OutlineModel::ownerLine(int line) const
{
    if (!isLine(line))
        return -1;
    ensureStructure();
    const TopRow &top = m_top[size_t(topRowOfLine(line))];
    return top.line == line ? -1 : top.line;
}

bool OutlineModel::isLineVisible(int line) const
{
    if (!isLine(line))
        return false;
    const int owner = ownerLine(line);
    return owner < 0 || isOpen(owner);
}

void OutlineModel::knowTextLines() const
{
    if (m_textLinesKnown)
        return;
    m_textLines.reserve(qsizetype(m_lines.size()));
    for (const Line &line : m_lines)
        knowTextOf(line);
    m_textLinesKnown = true;
}

void OutlineModel::knowTextOf(const Line &line) const
{
    // The tree keeps one line per contact even for equal names: the lookup must find the first.
    TextLines &entry = m_textLines[line.text];
    if (entry.count++ == 0 || line.serial < entry.firstSerial)
        entry.firstSerial = line.serial;
}

int OutlineModel::firstLineWithText(const QString &text) const
{
    knowTextLines();
    const auto found = m_textLines.constFind(text);
    return found == m_textLines.cend() ? -1 : lineOfSerial(found->firstSerial);
}

void OutlineModel::setLevel(int line, int level)
{
    if (!isLine(line))
        return;
    Line &changed = m_lines[size_t(line)];
    const bool wasTop = isTopLevel(changed.level);
    if (wasTop == isTopLevel(level) || inBatch()) {
        // Within a level-1 line's group, or inside a reset: the rows are worked out when needed.
        if (wasTop != isTopLevel(level))
            m_structureDirty = true;
        changed.level = level;
        return;
    }

    ensureStructure();
    // The tree is usually built line by line at its end; that move costs nothing.
    const bool lastLine = line == lineCount() - 1;
    if (lastLine && wasTop) {
        const int row = int(m_top.size()) - 1;
        const bool hasOwner = row > 0 && isTopLevel(m_lines[size_t(m_top[size_t(row - 1)].line)].level);
        if (!hasOwner) {
            changed.level = level;
            return;
        }
        beginRemoveRows(QModelIndex(), row, row);
        m_top.pop_back();
        endRemoveRows();
        changed.level = level;
        TopRow &owner = m_top.back();
        beginInsertRows(createIndex(row - 1, 0, topRowMarker), owner.childCount, owner.childCount);
        ++owner.childCount;
        endInsertRows();
        return;
    }
    if (lastLine && m_top.back().line == line) {
        // A level-2 line with no letter above was a top row already.
        changed.level = level;
        return;
    }
    if (lastLine) {
        const int row = int(m_top.size()) - 1;
        TopRow &owner = m_top.back();
        beginRemoveRows(createIndex(row, 0, topRowMarker), owner.childCount - 1, owner.childCount - 1);
        --owner.childCount;
        endRemoveRows();
        changed.level = level;
        beginInsertRows(QModelIndex(), row + 1, row + 1);
        m_top.push_back({m_nextId++, line, 0});
        endInsertRows();
        return;
    }

    emit layoutAboutToBeChanged();
    const QModelIndexList before = persistentIndexList();
    std::vector<int> lines;
    lines.reserve(size_t(before.size()));
    for (const QModelIndex &index : before)
        lines.push_back(lineOfIndex(index));
    changed.level = level;
    rebuildStructure();
    QModelIndexList after;
    after.reserve(before.size());
    for (int kept : lines)
        after.append(kept >= 0 ? indexOfLine(kept) : QModelIndex());
    changePersistentIndexList(before, after);
    emit layoutChanged();
}

void OutlineModel::clear()
{
    if (!inBatch())
        beginResetModel();
    // The tree is nearly always filled again with about as many lines: room for them is kept.
    const size_t previous = m_lines.size();
    m_lines.clear();
    m_lines.reserve(previous);
    m_texts.clear();
    m_lastSerial = 0;
    m_top.clear();
    m_textLines.clear();
    m_textLinesKnown = false;
    m_structureDirty = false;
    if (!inBatch())
        endResetModel();
}

void OutlineModel::setLines(const std::vector<OutlineLine> &lines, std::vector<QString> blocks)
{
    if (!inBatch())
        beginResetModel();
    m_lines.clear();
    m_lines.reserve(lines.size());
    m_texts = std::move(blocks);
    // Numbers name lines only while they are there: a new set of lines starts again from the first.
    m_lastSerial = 0;
    for (const OutlineLine &line : lines)
        m_lines.push_back({line.text, line.level, false, m_lastSerial += SerialGap});
    m_top.clear();
    m_structureDirty = true;
    m_textLines.clear();
    m_textLinesKnown = false;
    if (!inBatch()) {
        ensureStructure();
        endResetModel();
    }
}

QStringView OutlineModel::keep(const QString &text)
{
    // A QString's text stays where it is while the string lives, also when the list of them grows.
    m_texts.push_back(text);
    return m_texts.back();
}

void OutlineModel::appendLine(const QString &text)
{
    const int line = lineCount();
    const quint64 serial = m_lastSerial += SerialGap;
    const QStringView kept = keep(text);
    if (m_textLinesKnown)
        knowTextOf({kept, 1, false, serial});
    if (inBatch()) {
        m_lines.push_back({kept, 1, false, serial});
        if (!m_structureDirty)
            m_top.push_back({m_nextId++, line, 0});
        return;
    }
    const int row = int(m_top.size());
    beginInsertRows(QModelIndex(), row, row);
    m_lines.push_back({kept, 1, false, serial});
    m_top.push_back({m_nextId++, line, 0});
    endInsertRows();
}

quint64 OutlineModel::serialBefore(int line)
{
    const quint64 before = line > 0 ? m_lines[size_t(line - 1)].serial : 0;
    const quint64 after = line < lineCount() ? m_lines[size_t(line)].serial : m_lastSerial + SerialGap;
    if (after - before >= 2)
        return before + (after - before) / 2;
    // Many lines were put in the same place: every line is numbered afresh, and the look-up by text,
    // which names lines by number, is made again when next needed.
    for (size_t i = 0; i < m_lines.size(); ++i)
        m_lines[i].serial = (i + 1) * SerialGap;
    m_lastSerial = m_lines.size() * SerialGap;
    m_textLines.clear();
    m_textLinesKnown = false;
    return serialBefore(line);
}

void OutlineModel::insertLine(int line, const QString &text, int level)
{
    if (line < 0 || line > lineCount())
        return;
    const Line inserted{keep(text), level, false, serialBefore(line)};
    if (line == lineCount())
        m_lastSerial = inserted.serial;
    if (m_textLinesKnown)
        knowTextOf(inserted);
    ensureStructure();
    // A line of level 2 after a level-1 line's group or inside it joins that group: one row more
    // there. Anything else changes the rows above it, and the view learns of it as a reset.
    const int row = line > 0 ? topRowOfLine(line - 1) : -1;
    const bool joinsGroup
        = !isTopLevel(level) && row >= 0 && isTopLevel(m_lines[size_t(m_top[size_t(row)].line)].level);
    if (!joinsGroup || inBatch()) {
        if (!inBatch())
            beginResetModel();
        m_lines.insert(m_lines.begin() + line, inserted);
        m_structureDirty = true;
        if (!inBatch()) {
            ensureStructure();
            endResetModel();
        }
        return;
    }
    TopRow &owner = m_top[size_t(row)];
    const int childRow = line - owner.line - 1;
    beginInsertRows(createIndex(row, 0, topRowMarker), childRow, childRow);
    m_lines.insert(m_lines.begin() + line, inserted);
    ++owner.childCount;
    for (size_t later = size_t(row) + 1; later < m_top.size(); ++later)
        ++m_top[later].line;
    endInsertRows();
}

void OutlineModel::removeLine(int line)
{
    if (!isLine(line))
        return;
    ensureStructure();
    const int row = topRowOfLine(line);
    const bool topLine = m_top[size_t(row)].line == line;
    const int count = topLine ? 1 + m_top[size_t(row)].childCount : 1;
    const bool announce = !inBatch();
    if (announce) {
        if (topLine)
            beginRemoveRows(QModelIndex(), row, row);
        else {
            const int childRow = line - m_top[size_t(row)].line - 1;
            beginRemoveRows(createIndex(row, 0, topRowMarker), childRow, childRow);
        }
    }
    if (m_textLinesKnown)
        forgetTextsOfLines(line, line + count);
    m_lines.erase(m_lines.begin() + line, m_lines.begin() + line + count);
    if (topLine)
        m_top.erase(m_top.begin() + row);
    else
        --m_top[size_t(row)].childCount;
    for (size_t later = topLine ? size_t(row) : size_t(row) + 1; later < m_top.size(); ++later)
        m_top[later].line -= count;
    if (announce)
        endRemoveRows();
}

void OutlineModel::forgetTextsOfLines(int first, int end)
{
    // A text whose first line goes away is now first found further down, exactly where a scan
    // from the top would stop; the lines are still in place.
    QSet<QStringView> movedDown;
    for (int i = first; i < end; ++i) {
        const Line &gone = m_lines[size_t(i)];
        const auto entry = m_textLines.find(gone.text);
        if (--entry->count == 0) {
            m_textLines.erase(entry);
            movedDown.remove(gone.text);
        } else if (entry->firstSerial == gone.serial) {
            movedDown.insert(gone.text);
        }
    }
    // Equal names lie close together, so the scan is short.
    for (int i = end; i < lineCount() && !movedDown.isEmpty(); ++i) {
        const Line &below = m_lines[size_t(i)];
        if (movedDown.remove(below.text))
            m_textLines[below.text].firstSerial = below.serial;
    }
}

int OutlineModel::lineOfSerial(quint64 serial) const
{
    const auto found = std::lower_bound(m_lines.begin(), m_lines.end(), serial,
        [](const Line &line, quint64 wanted) { return line.serial < wanted; });
    return found != m_lines.end() && found->serial == serial ? int(found - m_lines.begin()) : -1;
}

void OutlineModel::beginBatch()
{
    if (m_batchDepth++ == 0)
        beginResetModel();
}

void OutlineModel::endBatch()
{
    if (m_batchDepth == 0 || --m_batchDepth > 0)
        return;
    ensureStructure();
    endResetModel();
}

QModelIndex OutlineModel::indexOfLine(int line) const
{
    if (!isLine(line))
        return {};
    ensureStructure();
    const int row = topRowOfLine(line);
    const TopRow &top = m_top[size_t(row)];
    if (top.line == line)
        return createIndex(row, 0, topRowMarker);
    return createIndex(line - top.line - 1, 0, top.id);
}

int OutlineModel::lineOfIndex(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != this)
        return -1;
    ensureStructure();
    if (index.internalId() == topRowMarker)
        return index.row() < int(m_top.size()) ? m_top[size_t(index.row())].line : -1;
    const int row = topRowOfId(index.internalId());
    if (row < 0 || index.row() >= m_top[size_t(row)].childCount)
        return -1;
    return m_top[size_t(row)].line + 1 + index.row();
}

std::vector<int> OutlineModel::topLinesWithSubLines() const
{
    ensureStructure();
    std::vector<int> lines;
    for (const TopRow &top : m_top) {
        if (top.childCount > 0)
            lines.push_back(top.line);
    }
    return lines;
}

QModelIndex OutlineModel::index(int row, int column, const QModelIndex &parent) const
{
    if (column != 0 || row < 0)
        return {};
    ensureStructure();
    if (!parent.isValid())
        return row < int(m_top.size()) ? createIndex(row, 0, topRowMarker) : QModelIndex();
    if (parent.internalId() != topRowMarker || parent.row() >= int(m_top.size()))
        return {};
    const TopRow &top = m_top[size_t(parent.row())];
    return row < top.childCount ? createIndex(row, 0, top.id) : QModelIndex();
}

QModelIndex OutlineModel::parent(const QModelIndex &child) const
{
    if (!child.isValid() || child.internalId() == topRowMarker)
        return {};
    ensureStructure();
    const int row = topRowOfId(child.internalId());
    return row < 0 ? QModelIndex() : createIndex(row, 0, topRowMarker);
}

int OutlineModel::rowCount(const QModelIndex &parent) const
{
    ensureStructure();
    if (!parent.isValid())
        return int(m_top.size());
    if (parent.column() != 0 || parent.internalId() != topRowMarker || parent.row() >= int(m_top.size()))
        return 0;
    return m_top[size_t(parent.row())].childCount;
}

int OutlineModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() && parent.column() != 0 ? 0 : 1;
}

bool OutlineModel::hasChildren(const QModelIndex &parent) const
{
    return rowCount(parent) > 0;
}

QVariant OutlineModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    const int line = lineOfIndex(index);
    return line < 0 ? QVariant() : QVariant(m_lines[size_t(line)].text.toString());
}

Qt::ItemFlags OutlineModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.internalId() != topRowMarker)
        flags |= Qt::ItemNeverHasChildren;
    return flags;
}

int OutlineModel::topRowOfLine(int line) const
{
    const auto after = std::upper_bound(
        m_top.begin(), m_top.end(), line, [](int wanted, const TopRow &top) { return wanted < top.line; });
    return int(after - m_top.begin()) - 1;
}

int OutlineModel::topRowOfId(quintptr id) const
{
    const auto found = std::lower_bound(
        m_top.begin(), m_top.end(), id, [](const TopRow &top, quintptr wanted) { return top.id < wanted; });
    return found != m_top.end() && found->id == id ? int(found - m_top.begin()) : -1;
}

void OutlineModel::ensureStructure() const
{
    if (m_structureDirty)
        rebuildStructure();
}

void OutlineModel::rebuildStructure() const
{
    // Fresh ids, still growing along the rows, so a stale child index can never name a new row.
    m_top.clear();
    bool levelOneSeen = false;
    for (int line = 0; line < lineCount(); ++line) {
        const bool top = isTopLevel(m_lines[size_t(line)].level);
        if (!top && levelOneSeen) {
            ++m_top.back().childCount;
            continue;
        }
        levelOneSeen = levelOneSeen || top;
        m_top.push_back({m_nextId++, line, 0});
    }
    m_structureDirty = false;
}
