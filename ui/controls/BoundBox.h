// Text boxes bound to a field of the data control's current record. A refill by the program is
// never an edit: only the user's own typing, deleting, pasting, cutting or undoing marks a box
// changed and emits userEdited().
#pragma once

#include "contacts/ContactRecord.h"

#include <QLineEdit>
#include <QPlainTextEdit>

class BoundBox
{
public:
    virtual ~BoundBox() = default;

    // Shows a field value (Null as empty) without marking the box changed.
    virtual void fillFromField(const FieldValue &value) = 0;
    // The value to write back: Null for an empty box.
    virtual FieldValue fieldValue() const = 0;
    virtual QString boxText() const = 0;
    virtual void setBoxText(const QString &text) = 0;
    // The text as the box shows it (line breaks as one character), and a span of it selected and
    // scrolled into view, as a search shows what it found.
    virtual QString shownText() const = 0;
    virtual void selectShown(qsizetype start, qsizetype length) = 0;

    bool isDataChanged() const { return m_changed; }
    void setDataChanged(bool changed) { m_changed = changed; }

    // The longest text the user may type. A longer stored value is still shown and written back whole.
    int longestInput() const { return m_longestInput; }
    virtual void setLongestInput(int length) = 0;

    virtual QWidget *widget() = 0;

protected:
    bool m_changed = false;
    int m_longestInput = 0;
};

class BoundLineEdit : public QLineEdit, public BoundBox
{
    Q_OBJECT
public:
    explicit BoundLineEdit(QWidget *parent = nullptr);

    void fillFromField(const FieldValue &value) override;
    FieldValue fieldValue() const override;
    QString boxText() const override { return text(); }
    void setBoxText(const QString &text) override;
    QString shownText() const override { return text(); }
    void selectShown(qsizetype start, qsizetype length) override;
    void setLongestInput(int length) override;
    QWidget *widget() override { return this; }

signals:
    void userEdited();

private:
    void applyLimit(int currentLength);
};

// Multi-line box. Line breaks are stored as carriage return and line feed, as the records hold them.
class BoundTextEdit : public QPlainTextEdit, public BoundBox
{
    Q_OBJECT
public:
    explicit BoundTextEdit(QWidget *parent = nullptr);

    void fillFromField(const FieldValue &value) override;
    FieldValue fieldValue() const override;
    QString boxText() const override;
    void setBoxText(const QString &text) override;
    QString shownText() const override { return toPlainText(); }
    void selectShown(qsizetype start, qsizetype length) override;
    void setLongestInput(int length) override { m_longestInput = length; }
    QWidget *widget() override { return this; }

signals:
    void userEdited();

private:
    void contentsEdited(int position, int removed, int added);

    bool m_filling = false;
    int m_allowedLength = 0; // the longest input, or the length of a longer stored value
};
