#include "csv/CsvMapping.h"

#include "csv/CsvReader.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <array>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

// Bumped when the text changes meaning; an older program then refuses it rather than misread it.
constexpr int MappingVersion = 1;

// A property or parameter name: ASCII letters, digits, '-' and '_'.
bool isName(const QString &text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
        return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'-'
            || c == u'_';
    });
}

constexpr std::array<std::pair<CsvColumnUse, const char16_t *>, 5> UseNames = {{
    {CsvColumnUse::Ignored, u"ignored"},
    {CsvColumnUse::Property, u"property"},
    {CsvColumnUse::PropertyType, u"type"},
    {CsvColumnUse::Extra, u"extra"},
    {CsvColumnUse::VCardLines, u"vcard"},
}};

// A JSON string written by hand: QJsonValue drops a byte order mark at a string's start, which a
// header may have (a file whose mark was written twice), and the mapping would no longer match it.
QString jsonString(const QString &text)
{
    QString out = u"\""_s;
    for (const QChar c : text) {
        if (c == u'"' || c == u'\\')
            out += u'\\' + QString(c);
        else if (c.unicode() < 0x20 || c.unicode() == 0xFEFF)
            out += u"\\u%1"_s.arg(int(c.unicode()), 4, 16, QChar(u'0'));
        else
            out += c;
    }
    return out + u'"';
}

QString columnJson(const CsvColumn &column)
{
    QStringList members{u"\"header\":"_s + jsonString(column.header)};
    for (const auto &[use, name] : UseNames) {
        if (use == column.use)
            members.append(u"\"use\":"_s + jsonString(QString::fromUtf16(name)));
    }
    if (!column.property.isEmpty())
        members.append(u"\"property\":"_s + jsonString(column.property));
    if (!column.parameters.isEmpty()) {
        QStringList parameters;
        for (const VCardParameter &parameter : column.parameters) {
            QStringList texts{jsonString(parameter.name)};
            for (const QString &value : parameter.values)
                texts.append(jsonString(value));
            parameters.append(u'[' + texts.join(u',') + u']');
        }
        members.append(u"\"parameters\":["_s + parameters.join(u',') + u']');
    }
    if (column.component >= 0)
        members.append(u"\"component\":%1"_s.arg(column.component));
    if (column.slot != 0)
        members.append(u"\"slot\":%1"_s.arg(column.slot));
    if (column.severalValues)
        members.append(u"\"several\":true"_s);
    return u'{' + members.join(u',') + u'}';
}

std::optional<CsvColumn> columnFromObject(const QJsonObject &object)
{
    CsvColumn column;
    const QJsonValue header = object.value(u"header");
    if (!header.isString())
        return std::nullopt;
    column.header = header.toString();
    const QString use = object.value(u"use").toString();
    const auto named = std::find_if(
        UseNames.begin(), UseNames.end(), [&use](const auto &entry) { return use == entry.second; });
    if (named == UseNames.end())
        return std::nullopt;
    column.use = named->first;

    column.property = object.value(u"property").toString().toUpper();
    const bool buildsProperty
        = column.use == CsvColumnUse::Property || column.use == CsvColumnUse::PropertyType;
    if (column.property.isEmpty() ? buildsProperty : !isName(column.property))
        return std::nullopt;
    for (const QJsonValue &entry : object.value(u"parameters").toArray()) {
        const QJsonArray parts = entry.toArray();
        if (parts.isEmpty() || !std::all_of(parts.begin(), parts.end(), [](const QJsonValue &part) {
                return part.isString();
            })) {
            return std::nullopt;
        }
        VCardParameter parameter{parts.first().toString().toUpper(), {}};
        if (!isName(parameter.name))
            return std::nullopt;
        for (qsizetype i = 1; i < parts.size(); ++i)
            parameter.values.append(parts[i].toString());
        column.parameters.append(parameter);
    }
    // Bounds well past any real use, so that a damaged text cannot ask for huge components.
    column.component = object.value(u"component").toInt(-1);
    column.slot = object.value(u"slot").toInt(0);
    if (column.component < -1 || column.component > 99 || column.slot < 0 || column.slot > 9999)
        return std::nullopt;
    column.severalValues = object.value(u"several").toBool(false);
    return column;
}

} // namespace

QString csvMappingToString(const CsvMapping &mapping)
{
    QStringList columns;
    for (const CsvColumn &column : mapping.columns)
        columns.append(columnJson(column));
    return u"{\"version\":%1,\"columns\":["_s.arg(MappingVersion) + columns.join(u',') + u"]}"_s;
}

std::optional<CsvMapping> csvMappingFromString(const QString &text)
{
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8());
    const QJsonObject object = document.object();
    if (object.value(u"version").toInt() != MappingVersion)
        return std::nullopt;
    const QJsonArray columns = object.value(u"columns").toArray();
    if (columns.size() > CsvReader::MaxColumns)
        return std::nullopt;
    CsvMapping mapping;
    for (const QJsonValue &entry : columns) {
        std::optional<CsvColumn> column = columnFromObject(entry.toObject());
        if (!column)
            return std::nullopt;
        mapping.columns.append(*column);
    }
    return mapping;
}
