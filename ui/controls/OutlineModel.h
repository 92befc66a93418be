// The lines of the index tree as plain records, shown to a tree view as two levels: lines of
// level 1 (or lower) are top rows, a line of level 2 or more is a child of the level-1 line above it.
#pragma once

#include "index/OutlineLine.h"

#include <QAbstractItemModel>
#include <QHash>
#include <QString>

#include <vector>

class OutlineModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    explicit OutlineModel(QObject *parent = nullptr);

    int lineCount() const { return int(m_lines.size()); }
    bool isLine(int line) const { return line >= 0 && line < lineCount(); }
    QString text(int line) const;
    int level(int line) const;
    void setLevel(int line, int level);
    bool isOpen(int line) const;
    // False when the flag already had that value.
    bool setOpen(int line, bool open);
    bool hasSubLines(int line) const;
    bool isLineVisible(int line) const;
    // The level-1 line a line belongs to, -1 for a top line.
    int ownerLine(int line) const;
    int firstLineWithText(const QString &text) const;

    void clear();
    void appendLine(const QString &text);
    // All the lines at once, in place of those there were: a reset of the model.
    // The lines' texts lie in blocks, which the model keeps for as long as it shows them.
    void setLines(const std::vector<OutlineLine> &lines, std::vector<QString> blocks);
    // Puts a line before the line now at that place (at the end when line is lineCount()).
    void insertLine(int line, const QString &text, int level);
    // Removes the line together with the lines that belong to it.
    void removeLine(int line);

    // While a batch is open the model is inside a reset: changes are not announced one by one.
    void beginBatch();
    void endBatch();
    bool inBatch() const { return m_batchDepth > 0; }

    QModelIndex indexOfLine(int line) const;
    int lineOfIndex(const QModelIndex &index) const;
    // Top lines that have lines under them, for the view's open state.
    std::vector<int> topLinesWithSubLines() const;

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    struct Line
    {
        // Into one of m_texts.
        QStringView text;
        int level = 1;
        bool open = false;
        // Grows from line to line: it names a line however many go above it. Lines are numbered
        // SerialGap apart, so a line put between two takes a number between theirs; only when
        // none is left are they all numbered again.
        quint64 serial = 0;
    };
    struct TextLines
    {
        quint64 firstSerial = 0;
        int count = 0;
    };
    // A top row. Its id never changes while it lives, so child indexes (which carry it) stay valid
    // when rows above them come and go.
    struct TopRow
    {
        quintptr id;
        int line;
        int childCount;
    };

    static bool isTopLevel(int level) { return level <= 1; }
    // Position in m_top of the top row that holds line (as itself or as a child).
    int topRowOfLine(int line) const;
    int topRowOfId(quintptr id) const;
    void ensureStructure() const;
    void rebuildStructure() const;
    int lineOfSerial(quint64 serial) const;
    quint64 serialBefore(int line);
    void knowTextOf(const Line &line) const;
    // Keeps a text of the model's own for a line it adds.
    QStringView keep(const QString &text);
    void forgetTextsOfLines(int first, int end);

    std::vector<Line> m_lines;
    // Ordered by line and, as ids only grow, by id as well.
    mutable std::vector<TopRow> m_top;
    mutable quintptr m_nextId = 1;
    mutable bool m_structureDirty = false;
    static constexpr quint64 SerialGap = quint64(1) << 32;
    quint64 m_lastSerial = 0;
    // By serial rather than line number, so removing a line leaves the other entries as they are.
    // Made on the first look-up after the tree was filled, which then costs nothing more.
    mutable QHash<QStringView, TextLines> m_textLines;
    // What the lines' texts lie in: a block shared with whoever filled the tree, or a text of its own
    // for a line added by itself.
    std::vector<QString> m_texts;
    mutable bool m_textLinesKnown = false;
    void knowTextLines() const;
    int m_batchDepth = 0;
};
