#include "vcard/VCardBinary.h"
#include "vcard/VCardLine.h"
#include "vcard/VCardText.h"

namespace {

// A parameter value with the escapes of RFC 6868, quoted when its characters would otherwise end it
// or be taken off it.
QString parameterText(const QString &value)
{
    if (!holdsAnyOf(value, u"^\"\r\n,;: \t"))
        return value;
    QString text;
    bool quoted = !value.isEmpty()
        && (value.front() == u' ' || value.front() == u'\t' || value.back() == u' ' || value.back() == u'\t');
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == u'^') {
            text += u"^^";
        } else if (c == u'"') {
            text += u"^'";
        } else if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < value.size() && value[i + 1] == u'\n')
                ++i;
            text += u"^n";
        } else {
            quoted = quoted || c == u',' || c == u';' || c == u':';
            text += c;
        }
    }
    return quoted ? u'"' + text + u'"' : text;
}

// The media type a data: URI can carry: it ends at the first comma and must stay on the line.
QByteArray dataUriMediaType(const QList<VCardParameter> &parameters)
{
    const QString mediaType = impliedMediaType(parameters);
    for (const QChar c : mediaType) {
        if (c.unicode() <= u' ' || c.unicode() >= 0x7F || c == u',')
            return {};
    }
    return mediaType.toLatin1();
}

// Appends text as UTF-8 without a buffer of its own for the ASCII most lines are made of.
void appendUtf8(QByteArray &out, QStringView text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x80) {
            out += text.toUtf8();
            return;
        }
    }
    const qsizetype at = out.size();
    out.resize(at + text.size());
    char *bytes = out.data() + at;
    for (const QChar c : text)
        *bytes++ = char(c.unicode());
}

} // namespace

QByteArray vCardLine(const VCardProperty &property, VCardVersion version)
{
    // Bytes without text are written as text, the empty value they cannot be told from.
    const bool binary = !property.data.isEmpty();
    // 4.0 has data: URIs for the properties whose value can be a URI; bytes anywhere else (2.1 phones
    // put some in X- properties) keep the one form that reads back.
    const bool dataUri = binary && version == VCardVersion::V4_0 && canHoldVCardBinary(property.name);
    // Built as bytes: an import writes a line for every property it keeps.
    QByteArray line;
    line.reserve(property.name.size() + property.value.size() + 32);
    if (!property.group.isEmpty()) {
        appendUtf8(line, property.group);
        line += '.';
    }
    appendUtf8(line, property.name);
    for (const VCardParameter &parameter : property.parameters) {
        // The line is UTF-8 and says itself how its value is written.
        if (parameter.name == u"ENCODING" || parameter.name == u"CHARSET")
            continue;
        line += ';';
        appendUtf8(line, parameter.name);
        line += '=';
        for (qsizetype i = 0; i < parameter.values.size(); ++i) {
            if (i > 0)
                line += ',';
            appendUtf8(line, parameterText(parameter.values[i]));
        }
    }
    if (binary && !dataUri)
        line += ";ENCODING=b";
    line += ':';
    if (dataUri)
        line += "data:" + dataUriMediaType(property.parameters) + ";base64,";
    if (binary)
        line += property.data.toBase64();
    else
        appendUtf8(line, escapedVCardValue(property.value, VCardVersion::V3_0));
    return line;
}
