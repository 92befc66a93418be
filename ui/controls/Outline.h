// Outline1's control: a list of lines, each with a text, a level and an open flag, drawn as a tree.
// Lines are numbered from 0; a line of level 2 belongs to the level-1 line above it.
#pragma once

#include "index/OutlineLine.h"

#include <QTreeView>

#include <optional>
#include <vector>

class OutlineModel;

class Outline : public QTreeView
{
    Q_OBJECT
public:
    explicit Outline(QWidget *parent = nullptr);
    ~Outline() override;

    int ListCount() const;
    QString List(int line) const;
    int Indent(int line) const;
    void setIndent(int line, int level);
    bool Expand(int line) const;
    // Opens or closes a line; a change raises lineExpanded() or lineCollapsed(), as the user's would.
    void setExpand(int line, bool open);
    bool HasSubItems(int line) const;
    // The lines that have lines under them, in order: the letters of a long tree without a walk
    // over every contact.
    std::vector<int> linesWithSubItems() const;
    // False when a line above it, of a lower level, is closed.
    bool IsItemVisible(int line) const;
    // The texts of the line's ancestors and of the line, joined by PathSeparator.
    QString FullPath(int line) const;
    static QString PathSeparator() { return QStringLiteral("\\"); }

    // The selected line, -1 when none.
    int ListIndex() const;
    // Selects a line; false (nothing changes) when line is not a line of the tree.
    bool setListIndex(int line);
    // Leaves no line selected, as after Clear().
    void deselect();

    // Selecting a line under a closed letter must not open the letter, as the plain view would.
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;

    void Clear();
    // Every line at once, in place of those there were, and none selected: the quick way to fill
    // a long tree. The lines' texts lie in blocks, which the tree keeps for as long as it shows them.
    void setLines(const std::vector<OutlineLine> &lines, std::vector<QString> blocks);
    // Adds a line of level 1 at the end.
    void AddItem(const QString &text);
    // Puts a line of that level before the line now at that place, or at the end.
    void InsertItem(int line, const QString &text, int level);
    void RemoveItem(int line);

    // The first line whose text equals text exactly, -1 when none. Kept as lines come and go,
    // so finding a contact's line costs nothing however long the tree is.
    int findLine(const QString &text) const;
    // Changes whenever a line is added, removed or given another level, so the owner can tell
    // whether the tree still holds what it put there.
    quint64 revision() const { return m_revision; }

    // Many AddItem/setIndent calls in a row: the view is told once, at the end.
    class Batch
    {
    public:
        explicit Batch(Outline &outline);
        ~Batch();

    private:
        Outline &m_outline;
    };

signals:
    // The user chose a line with the mouse or the keyboard.
    void lineClicked();
    void lineDoubleClicked();
    // A character key (its character code) pressed in the tree; Enter is 13.
    void keyPressed(int keyAscii);
    void lineCollapsed(int line);
    void lineExpanded(int line);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void beginBatch();
    void endBatch();
    void viewChangedOpenState(const QModelIndex &index, bool open);
    void showOpenFlag(int line);
    void showAllOpenFlags();
    bool onBranchMarker(const QModelIndex &index, const QPoint &pos) const;

    OutlineModel *m_model;
    // Set while the view is brought into line with the open flags, so that is not taken for the user.
    bool m_showingFlags = false;
    // Inside a batch the view is being reset: the line to select once it is told.
    int m_pendingLine = -1;
    // The line selected once the mouse button went down (-1: none); empty outside a press.
    std::optional<int> m_selectedAtPress;
    quint64 m_revision = 0;
};
