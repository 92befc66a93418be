#include "vcard/VCard.h"

#include <QMap>

#include <algorithm>

namespace {

// The character an escape stands for: "\n" and "\N" a line break, any other the character itself.
QChar unescaped(QChar c)
{
    return c == u'n' || c == u'N' ? QChar(u'\n') : c;
}

} // namespace

bool VCardProperty::hasType(QStringView type) const
{
    for (const VCardParameter &parameter : parameters) {
        if (parameter.name != u"TYPE")
            continue;
        for (const QString &value : parameter.values) {
            if (value.compare(type, Qt::CaseInsensitive) == 0)
                return true;
        }
    }
    return false;
}

QList<QStringView> splitVCardValue(QStringView value, QChar separator)
{
    QList<QStringView> pieces;
    qsizetype from = 0;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == u'\\')
            ++i;
        else if (value[i] == separator) {
            pieces.append(value.sliced(from, i - from));
            from = i + 1;
        }
    }
    pieces.append(value.sliced(from));
    return pieces;
}

QStringList VCardProperty::components() const
{
    if (!value.contains(u'\\'))
        return value.split(u';');
    QStringList parts;
    for (const QStringView part : splitVCardValue(value, u';'))
        parts.append(unescapeVCardText(part.toString()));
    return parts;
}

QString VCardProperty::component(qsizetype index) const
{
    const QList<QStringView> parts = splitVCardValue(value, u';');
    return index < parts.size() ? unescapeVCardText(parts[index].toString()) : QString();
}

QString VCardProperty::text() const
{
    return unescapeVCardText(value);
}

QStringList VCardProperty::parameter(QStringView name) const
{
    for (const VCardParameter &parameter : parameters) {
        if (parameter.name.compare(name, Qt::CaseInsensitive) == 0)
            return parameter.values;
    }
    return {};
}

const VCardProperty *VCard::first(QStringView name) const
{
    for (const VCardProperty &property : properties) {
        if (property.name.compare(name, Qt::CaseInsensitive) == 0)
            return &property;
    }
    return nullptr;
}

bool holdsAnyOf(QStringView text, QStringView characters)
{
    // A plain loop: QStringView::contains costs a call for every character of a long value. Letters
    // of most alphabets come after every character asked about and are passed over at once.
    char16_t highest = 0;
    for (const QChar special : characters)
        highest = std::max(highest, special.unicode());
    for (const QChar c : text) {
        if (c.unicode() > highest)
            continue;
        for (const QChar special : characters) {
            if (c == special)
                return true;
        }
    }
    return false;
}

QString escapeVCardText(const QString &text)
{
    // Shared, not copied, when there is nothing to escape.
    if (!holdsAnyOf(text, u"\\,;\r\n"))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\\' || c == u',' || c == u';') {
            out += u'\\';
            out += c;
        } else if (c == u'\r' || c == u'\n') {
            // CR LF is one break, as is a CR or an LF alone.
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            out += u"\\n";
        } else {
            out += c;
        }
    }
    return out;
}

QString unescapeVCardText(const QString &value)
{
    if (!value.contains(u'\\'))
        return value;
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i)
        out += value[i] == u'\\' && i + 1 < value.size() ? unescaped(value[++i]) : value[i];
    return out;
}

QString vCardPropertyKind(const QString &name, const QList<VCardParameter> &parameters)
{
    QMap<QString, QStringList> normalized;
    for (const VCardParameter &parameter : parameters) {
        QStringList &values = normalized[parameter.name.toUpper()];
        for (const QString &value : parameter.values)
            values.append(value.toLower());
    }
    // Lengths before texts, so that no two different lists make the same key.
    QString key = QString::number(name.size()) + u':' + name;
    for (auto it = normalized.begin(); it != normalized.end(); ++it) {
        it->sort();
        key += u';' + QString::number(it.key().size()) + u':' + it.key();
        for (const QString &value : std::as_const(*it))
            key += u',' + QString::number(value.size()) + u':' + value;
    }
    return key;
}
