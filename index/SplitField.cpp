#include "index/SplitField.h"

#include "text/Blanks.h"

QString SplitField(QString &text, const QString &separator)
{
    // An empty separator would be found everywhere and cut nothing: the whole text is the field.
    const qsizetype quote = text.indexOf(u'"');
    qsizetype cut = separator.isEmpty() ? -1 : text.indexOf(separator);
    if (quote >= 0 && cut >= 0 && quote < cut) {
        // Without a closing quote the search starts again from the beginning of the text.
        const qsizetype closing = text.indexOf(u'"', quote + 1);
        cut = text.indexOf(separator, closing + 1);
    }

    QString field;
    if (cut >= 0) {
        field = trimBlanks(text.left(cut));
        text = text.mid(cut + separator.size());
    } else {
        field = trimBlanks(text);
        text.clear();
    }
    if (field.startsWith(u'"'))
        field.remove(0, 1);
    if (field.endsWith(u'"'))
        field.chop(1);
    return field;
}
