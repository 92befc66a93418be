#include "ui/controls/BoundBox.h"

#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextCursor>

namespace {

QString toBoxLineEnds(const QString &stored)
{
    QString text = stored;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

QString toStoredLineEnds(const QString &shown)
{
    QString text = shown;
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

} // namespace

BoundLineEdit::BoundLineEdit(QWidget *parent)
    : QLineEdit(parent)
{
    // textEdited comes only from the user's edits, never from setText().
    connect(this, &QLineEdit::textEdited, this, [this] {
        m_changed = true;
        emit userEdited();
    });
}

void BoundLineEdit::applyLimit(int currentLength)
{
    // QLineEdit cuts a longer text to its maximum length: never let the limit be below the value shown.
    const int limit = m_longestInput > 0 ? std::max(m_longestInput, currentLength) : 32767;
    setMaxLength(limit);
}

void BoundLineEdit::fillFromField(const FieldValue &value)
{
    setBoxText(value.value_or(QString()));
}

void BoundLineEdit::setBoxText(const QString &text)
{
    applyLimit(static_cast<int>(text.size()));
    setText(text);
    setCursorPosition(0);
    m_changed = false;
}

FieldValue BoundLineEdit::fieldValue() const
{
    if (text().isEmpty())
        return std::nullopt;
    return text();
}

void BoundLineEdit::setLongestInput(int length)
{
    m_longestInput = length;
    applyLimit(static_cast<int>(text().size()));
}

BoundTextEdit::BoundTextEdit(QWidget *parent)
    : QPlainTextEdit(parent)
{
    connect(document(), &QTextDocument::contentsChange, this, &BoundTextEdit::contentsEdited);
}

void BoundTextEdit::contentsEdited(int position, int removed, int added)
{
    if (m_filling || (removed == 0 && added == 0))
        return;
    const int length = document()->characterCount() - 1;
    if (m_longestInput > 0 && added > 0 && length > m_allowedLength) {
        // Take back what went past the limit, from the end of the inserted text.
        const int excess = std::min(length - m_allowedLength, added);
        QTextCursor cursor(document());
        cursor.setPosition(position + added - excess);
        cursor.setPosition(position + added, QTextCursor::KeepAnchor);
        m_filling = true;
        cursor.removeSelectedText();
        m_filling = false;
        if (excess == added && removed == 0)
            return;
    }
    m_changed = true;
    emit userEdited();
}

void BoundTextEdit::fillFromField(const FieldValue &value)
{
    setBoxText(toBoxLineEnds(value.value_or(QString())));
}

void BoundTextEdit::setBoxText(const QString &text)
{
    m_filling = true;
    setPlainText(text);
    m_filling = false;
    m_allowedLength = std::max(m_longestInput, static_cast<int>(text.size()));
    m_changed = false;
}

QString BoundTextEdit::boxText() const
{
    return toStoredLineEnds(toPlainText());
}

FieldValue BoundTextEdit::fieldValue() const
{
    const QString text = boxText();
    if (text.isEmpty())
        return std::nullopt;
    return text;
}

void BoundLineEdit::selectShown(qsizetype start, qsizetype length)
{
    setSelection(int(start), int(length));
}

void BoundTextEdit::selectShown(qsizetype start, qsizetype length)
{
    QTextCursor cursor(document());
    cursor.setPosition(int(start));
    cursor.setPosition(int(start + length), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    ensureCursorVisible();
}
