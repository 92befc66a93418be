#include "vcard/VCardBinary.h"
#include "vcard/VCardLimits.h"
#include "vcard/VCardLine.h"
#include "vcard/VCardText.h"

#include <algorithm>

namespace {

bool isNameByte(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArrayView trimmedBlanks(QByteArrayView text)
{
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    return text;
}

QString trimmedBlanks(const QString &text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && (text[start] == u' ' || text[start] == u'\t'))
        ++start;
    while (end > start && (text[end - 1] == u' ' || text[end - 1] == u'\t'))
        --end;
    return text.sliced(start, end - start);
}

qsizetype indexOutsideQuotes(QByteArrayView text, char wanted)
{
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '"')
            quoted = !quoted;
        else if (text[i] == wanted && !quoted)
            return i;
    }
    return -1;
}

QList<QByteArrayView> splitOutsideQuotes(QByteArrayView text, char separator)
{
    QList<QByteArrayView> pieces;
    for (qsizetype at = indexOutsideQuotes(text, separator); at >= 0;
         at = indexOutsideQuotes(text, separator)) {
        pieces.append(text.first(at));
        text = text.sliced(at + 1);
    }
    pieces.append(text);
    return pieces;
}

// Only the ASCII letters: Unicode's upper case could change the length of a name's other characters.
QString upperAscii(QString text)
{
    for (QChar &c : text) {
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - u'a' + u'A');
    }
    return text;
}

// 3.0 and 4.0 write a line break, a double quote and a caret in a parameter as ^n, ^' and ^^
// (RFC 6868); 2.1 has no such escapes.
QByteArray parameterBytes(QByteArrayView raw, VCardVersion version)
{
    QByteArray bytes;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '"')
            continue;
        const char next = i + 1 < raw.size() ? raw[i + 1] : '\0';
        if (c == '^' && version != VCardVersion::V2_1 && (next == 'n' || next == '\'' || next == '^')) {
            bytes += next == 'n' ? '\n' : next == '\'' ? '"' : '^';
            ++i;
        } else {
            bytes += c;
        }
    }
    return bytes;
}

QStringList parameterValues(QByteArrayView raw, bool isType, VCardVersion version)
{
    QStringList values;
    for (const QByteArrayView piece : splitOutsideQuotes(raw, ',')) {
        const QString value = decodeUnlabelledText(parameterBytes(trimmedBlanks(piece), version));
        if (!isType) {
            values.append(value);
            continue;
        }
        // 4.0 quotes a list of types as one value: TYPE="work,voice".
        for (const QString &type : value.split(u','))
            values.append(trimmedBlanks(type));
    }
    return values;
}

bool isOneOf(const QString &word, std::initializer_list<const char16_t *> words)
{
    for (const char16_t *candidate : words) {
        if (word.compare(QStringView(candidate), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

struct Parameters
{
    QList<VCardParameter> kept;
    QString encoding; // upper-case
    QString charset;
};

// The parameters of a line's head (its part before the value, name included).
std::optional<Parameters> parseParameters(QByteArrayView head, VCardVersion version, QString *error)
{
    Parameters parameters;
    const QList<QByteArrayView> segments = splitOutsideQuotes(head, ';');
    for (qsizetype i = 1; i < segments.size(); ++i) {
        const QByteArrayView segment = segments[i];
        if (trimmedBlanks(segment).isEmpty())
            continue;
        const qsizetype equals = indexOutsideQuotes(segment, '=');
        VCardParameter parameter;
        if (equals < 0) {
            // 2.1 leaves out the name where the value tells it: CELL is a TYPE, BASE64 an ENCODING.
            const QString word = decodeUnlabelledText(parameterBytes(trimmedBlanks(segment), version));
            if (isOneOf(word, {u"QUOTED-PRINTABLE", u"BASE64", u"8BIT", u"7BIT"})) {
                parameters.encoding = word.toUpper();
                continue;
            }
            parameter.name = isOneOf(word, {u"INLINE", u"URL", u"URI", u"CONTENT-ID", u"CID"})
                ? QStringLiteral("VALUE")
                : QStringLiteral("TYPE");
            parameter.values = parameterValues(segment, parameter.name == u"TYPE", version);
        } else {
            parameter.name = upperAscii(decodeUnlabelledText(trimmedBlanks(segment.first(equals))));
            if (parameter.name.isEmpty()) {
                if (error)
                    *error = QStringLiteral("un parametro non ha nome prima di «=»");
                return std::nullopt;
            }
            parameter.values
                = parameterValues(segment.sliced(equals + 1), parameter.name == u"TYPE", version);
            if (parameter.name == u"ENCODING") {
                parameters.encoding = parameter.values.first().toUpper();
                continue;
            }
            if (parameter.name == u"CHARSET") {
                parameters.charset = parameter.values.first();
                continue;
            }
        }
        parameters.kept.append(parameter);
    }
    return parameters;
}

QString shown(QByteArrayView bytes)
{
    const QString text = decodeUnlabelledText(bytes);
    return text.size() > 40 ? text.first(40) + u'…' : text;
}

} // namespace

qsizetype vCardValueStart(QByteArrayView line)
{
    return indexOutsideQuotes(line, ':');
}

bool declaresQuotedPrintable(QByteArrayView head, VCardVersion version)
{
    // Most heads say nothing of it: those are not parsed twice.
    if (!QLatin1StringView(head).contains(QLatin1StringView("QUOTED-PRINTABLE"), Qt::CaseInsensitive))
        return false;
    const std::optional<Parameters> parameters = parseParameters(head, version, nullptr);
    return parameters && parameters->encoding == u"QUOTED-PRINTABLE";
}

QString vCardPropertyName(QByteArrayView line)
{
    qsizetype end = 0;
    while (end < line.size() && line[end] != ';' && line[end] != ':')
        ++end;
    const QByteArrayView name = line.first(end);
    return upperAscii(shown(name.sliced(name.lastIndexOf('.') + 1)));
}

std::optional<VCardProperty> parseVCardContentLine(QByteArrayView line, VCardVersion version, QString *error)
{
    auto failure = [error](const QString &message) {
        if (error)
            *error = message;
        return std::optional<VCardProperty>();
    };
    const qsizetype colon = vCardValueStart(line);
    if (colon < 0) {
        return failure(line.contains(':')
                ? QStringLiteral("le virgolette aperte nei parametri non si chiudono")
                : QStringLiteral("manca il «:» tra il nome e il valore"));
    }
    const QByteArrayView head = line.first(colon);
    const qsizetype semicolon = indexOutsideQuotes(head, ';');
    const QByteArrayView fullName = semicolon < 0 ? head : head.first(semicolon);
    const qsizetype dot = fullName.lastIndexOf('.');
    const QByteArrayView group = fullName.first(qMax(dot, qsizetype(0)));
    const QByteArrayView name = fullName.sliced(dot + 1);
    const bool validGroup = dot < 0
        || (!group.isEmpty()
            && std::all_of(group.begin(), group.end(), [](char c) { return isNameByte(c) || c == '.'; }));
    if (name.isEmpty() || !validGroup || !std::all_of(name.begin(), name.end(), isNameByte))
        return failure(QStringLiteral("nome di proprietà non valido: «%1»").arg(shown(fullName)));

    VCardProperty property;
    property.group = QString::fromLatin1(group);
    property.name = QString::fromLatin1(name).toUpper();
    std::optional<Parameters> parameters = parseParameters(head, version, error);
    if (!parameters)
        return std::nullopt;
    property.parameters = std::move(parameters->kept);

    const QByteArrayView raw = line.sliced(colon + 1);
    const auto badBase64
        = [&property] { return QStringLiteral("il contenuto di %1 non è base64 valido").arg(property.name); };
    if (parameters->encoding == u"BASE64" || parameters->encoding == u"B") {
        std::optional<QByteArray> data = decodeVCardBase64(raw);
        if (!data)
            return failure(badBase64());
        property.data = std::move(*data);
        dropBinaryValueType(property.parameters);
    } else {
        const bool quotedPrintable = parameters->encoding == u"QUOTED-PRINTABLE";
        const QByteArray decoded = quotedPrintable ? decodeQuotedPrintable(raw) : QByteArray();
        const std::optional<QString> text = decodeVCardText(
            quotedPrintable ? QByteArrayView(decoded) : raw, parameters->charset, version, quotedPrintable);
        if (!text) {
            return failure(QStringLiteral("il testo di %1 non è UTF-8 valido, come invece dichiarato")
                               .arg(property.name));
        }
        VCardDataUri uri;
        const DataUriOutcome outcome
            = canHoldVCardBinary(property.name) ? parseDataUri(*text, &uri) : DataUriOutcome::NotDataUri;
        if (outcome == DataUriOutcome::BadBase64)
            return failure(badBase64());
        if (outcome == DataUriOutcome::Decoded) {
            property.data = std::move(uri.data);
            dropBinaryValueType(property.parameters);
            keepMediaType(property.parameters, uri.mediaType);
        } else {
            property.value = escapedVCardValue(*text, version);
        }
    }
    if (property.data.size() > MaxVCardValueBytes)
        return failure(QStringLiteral("la proprietà %1 supera i 20 MB").arg(property.name));
    return property;
}

std::optional<VCardProperty> parseVCardLine(QByteArrayView line)
{
    // vCardLine writes 3.0 and 4.0 the same but for binary values, which are read in either form.
    return parseVCardContentLine(line, VCardVersion::V3_0, nullptr);
}
