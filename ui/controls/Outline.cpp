#include "ui/controls/Outline.h"

#include "ui/controls/OutlineModel.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScopedValueRollback>

#include <utility>

Outline::Outline(QWidget *parent)
    : QTreeView(parent)
    , m_model(new OutlineModel(this))
{
    setModel(m_model);
    setHeaderHidden(true);
    setRootIsDecorated(true);
    setUniformRowHeights(true);
    setSelectionMode(SingleSelection);
    setSelectionBehavior(SelectRows);
    setEditTriggers(NoEditTriggers);
    // The owner decides what a double click does (the letter opens or closes there).
    setExpandsOnDoubleClick(false);
    connect(this, &QTreeView::expanded, this,
        [this](const QModelIndex &index) { viewChangedOpenState(index, true); });
    connect(this, &QTreeView::collapsed, this,
        [this](const QModelIndex &index) { viewChangedOpenState(index, false); });
    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex &index) {
        if (index.isValid())
            emit lineClicked();
    });
}

Outline::~Outline() = default;

int Outline::ListCount() const
{
    return m_model->lineCount();
}

QString Outline::List(int line) const
{
    return m_model->text(line);
}

int Outline::Indent(int line) const
{
    return m_model->level(line);
}

void Outline::setIndent(int line, int level)
{
    ++m_revision;
    m_model->setLevel(line, level);
    if (m_model->inBatch())
        return;
    // A line that joins an open letter shows at once; a line that gathers lines shows its own flag.
    const int owner = m_model->ownerLine(line);
    if (owner >= 0)
        showOpenFlag(owner);
    showOpenFlag(line);
}

bool Outline::Expand(int line) const
{
    return m_model->isOpen(line);
}

void Outline::setExpand(int line, bool open)
{
    if (!m_model->setOpen(line, open))
        return;
    showOpenFlag(line);
    if (open)
        emit lineExpanded(line);
    else
        emit lineCollapsed(line);
}

bool Outline::HasSubItems(int line) const
{
    return m_model->hasSubLines(line);
}

std::vector<int> Outline::linesWithSubItems() const
{
    return m_model->topLinesWithSubLines();
}

bool Outline::IsItemVisible(int line) const
{
    return m_model->isLineVisible(line);
}

QString Outline::FullPath(int line) const
{
    if (!m_model->isLine(line))
        return {};
    const int owner = m_model->ownerLine(line);
    if (owner < 0)
        return m_model->text(line);
    return m_model->text(owner) + PathSeparator() + m_model->text(line);
}

int Outline::ListIndex() const
{
    if (m_model->inBatch())
        return m_pendingLine;
    return m_model->lineOfIndex(currentIndex());
}

bool Outline::setListIndex(int line)
{
    if (!m_model->isLine(line))
        return false;
    if (m_model->inBatch()) {
        m_pendingLine = line;
        return true;
    }
    selectionModel()->setCurrentIndex(m_model->indexOfLine(line), QItemSelectionModel::ClearAndSelect);
    return true;
}

void Outline::deselect()
{
    if (m_model->inBatch())
        m_pendingLine = -1;
    else
        selectionModel()->clear();
}

void Outline::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    const int line = m_model->lineOfIndex(index);
    if (line >= 0 && !m_model->isLineVisible(line))
        return;
    QTreeView::scrollTo(index, hint);
}

void Outline::Clear()
{
    ++m_revision;
    m_pendingLine = -1;
    m_model->clear();
}

void Outline::setLines(const std::vector<OutlineLine> &lines, std::vector<QString> blocks)
{
    Batch batch(*this);
    ++m_revision;
    m_pendingLine = -1;
    m_model->setLines(lines, std::move(blocks));
}

void Outline::AddItem(const QString &text)
{
    ++m_revision;
    m_model->appendLine(text);
}

void Outline::InsertItem(int line, const QString &text, int level)
{
    if (line < 0 || line > m_model->lineCount())
        return;
    ++m_revision;
    m_model->insertLine(line, text, level);
    if (m_pendingLine >= line)
        ++m_pendingLine;
    if (m_model->inBatch())
        return;
    const int owner = m_model->ownerLine(line);
    if (owner >= 0)
        showOpenFlag(owner);
}

void Outline::RemoveItem(int line)
{
    if (!m_model->isLine(line))
        return;
    ++m_revision;
    const int countBefore = m_model->lineCount();
    {
        // The view may drop the open state of a letter that loses its last line: not the user's doing.
        const QScopedValueRollback<bool> showing(m_showingFlags, true);
        m_model->removeLine(line);
    }
    const int removed = countBefore - m_model->lineCount();
    if (m_pendingLine >= line + removed)
        m_pendingLine -= removed;
    else if (m_pendingLine >= line)
        m_pendingLine = -1;
}

int Outline::findLine(const QString &text) const
{
    return m_model->firstLineWithText(text);
}

Outline::Batch::Batch(Outline &outline)
    : m_outline(outline)
{
    m_outline.beginBatch();
}

Outline::Batch::~Batch()
{
    m_outline.endBatch();
}

void Outline::beginBatch()
{
    if (!m_model->inBatch())
        m_pendingLine = -1;
    m_model->beginBatch();
}

void Outline::endBatch()
{
    m_model->endBatch();
    if (m_model->inBatch())
        return;
    // The reset forgot which letters were open and what was selected.
    showAllOpenFlags();
    const int pending = std::exchange(m_pendingLine, -1);
    if (pending >= 0)
        setListIndex(pending);
}

void Outline::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // Enter belongs to the owner alone (it opens or closes the selected letter there).
        emit keyPressed(13);
        event->accept();
        return;
    }
    const QString text = event->text();
    if (!text.isEmpty() && text.at(0) != QChar(0x7f))
        emit keyPressed(int(text.toUcs4().value(0)));
    const int before = ListIndex();
    QTreeView::keyPressEvent(event);
    const int after = ListIndex();
    if (after >= 0 && after != before)
        emit lineClicked();
}

void Outline::mousePressEvent(QMouseEvent *event)
{
    QTreeView::mousePressEvent(event);
    m_selectedAtPress = ListIndex();
}

void Outline::mouseReleaseEvent(QMouseEvent *event)
{
    const std::optional<int> selectedAtPress = std::exchange(m_selectedAtPress, std::nullopt);
    QTreeView::mouseReleaseEvent(event);
    // Pressed on one line and released on another, the view has moved the selection while the
    // button was down but reports no click: the line the user ended on is chosen all the same.
    const int selected = ListIndex();
    if (event->button() == Qt::LeftButton && selectedAtPress && selected >= 0 && selected != *selectedAtPress)
        emit lineClicked();
}

void Outline::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    const QModelIndex index = indexAt(pos);
    // A quick second click on a marker is one more marker click, as the view takes it.
    const bool onLine = event->button() == Qt::LeftButton && index.isValid() && !onBranchMarker(index, pos);
    QTreeView::mouseDoubleClickEvent(event);
    if (onLine)
        emit lineDoubleClicked();
}

void Outline::viewChangedOpenState(const QModelIndex &index, bool open)
{
    if (m_showingFlags)
        return;
    const int line = m_model->lineOfIndex(index);
    if (line < 0 || !m_model->setOpen(line, open))
        return;
    if (open)
        emit lineExpanded(line);
    else
        emit lineCollapsed(line);
}

void Outline::showOpenFlag(int line)
{
    if (m_model->inBatch() || !m_model->hasSubLines(line))
        return;
    const QModelIndex index = m_model->indexOfLine(line);
    const bool open = m_model->isOpen(line);
    if (isExpanded(index) == open)
        return;
    const QScopedValueRollback<bool> showing(m_showingFlags, true);
    setExpanded(index, open);
}

void Outline::showAllOpenFlags()
{
    for (int line : m_model->topLinesWithSubLines())
        showOpenFlag(line);
}

bool Outline::onBranchMarker(const QModelIndex &index, const QPoint &pos) const
{
    if (!m_model->hasChildren(index))
        return false;
    const QRect item = visualRect(index);
    if (isRightToLeft())
        return pos.x() > item.right() && pos.x() <= item.right() + indentation();
    return pos.x() < item.left() && pos.x() >= item.left() - indentation();
}
