#include "csv/CsvVCard.h"

#include "vcard/VCardLine.h"

#include <QHash>
#include <QMap>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

bool isDate(const QString &property)
{
    return property == u"BDAY" || property == u"ANNIVERSARY";
}

// Outlook writes "0/0/00" for a contact without a birthday.
bool isNoDate(QStringView text)
{
    bool zero = false;
    for (const QChar c : text) {
        if (c == u'0')
            zero = true;
        else if (c != u'/' && c != u'-' && c != u'.' && c != u' ')
            return false;
    }
    return zero;
}

bool isDigits(QStringView text)
{
    return !text.isEmpty()
        && std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// A year, month or day as Thunderbird writes it: blank or zero when there is none.
QString datePart(const QString &text, int width)
{
    const QString trimmed = text.trimmed();
    if (!isDigits(trimmed))
        return trimmed;
    if (std::all_of(trimmed.begin(), trimmed.end(), [](QChar c) { return c == u'0'; }))
        return {};
    return trimmed.rightJustified(width, u'0');
}

// The date of a year, a month and a day, in the forms of RFC 6350 for the parts there are.
QString dateOf(const QStringList &parts)
{
    const QString year = datePart(parts.value(0), 4);
    const QString month = datePart(parts.value(1), 2);
    const QString day = datePart(parts.value(2), 2);
    if (year.isEmpty() && month.isEmpty() && day.isEmpty())
        return {};
    if (!year.isEmpty() && !month.isEmpty() && !day.isEmpty())
        return year + u'-' + month + u'-' + day;
    if (!year.isEmpty() && day.isEmpty())
        return month.isEmpty() ? year : year + u'-' + month;
    if (year.isEmpty())
        return month.isEmpty() ? u"---"_s + day : u"--"_s + month + day;
    // No form has a year and a day without the month; both are kept all the same.
    return year + u"--"_s + day;
}

// The TYPE values of a type column's label. Google's words ("Mobile", "Work Fax"; a star marks
// the preferred one) become vCard types, and a telephone that is no fax, mobile or pager is a
// voice one; a label of other words, one the user typed, is kept as it is, a type for each part
// between commas (which a TYPE value cannot hold).
QStringList typesOfLabel(const QString &property, QString label)
{
    static const std::pair<QStringView, QStringView> words[]
        = {{u"home", u"home"}, {u"work", u"work"}, {u"other", u"other"}, {u"mobile", u"cell"},
            {u"cell", u"cell"}, {u"fax", u"fax"}, {u"pager", u"pager"}, {u"voice", u"voice"}};
    QStringList preferred;
    label = label.simplified();
    if (label.startsWith(u'*')) {
        preferred.append(u"pref"_s);
        label = label.sliced(1).trimmed();
    }
    if (label.isEmpty())
        return preferred;
    QStringList types;
    for (const QString &word : label.split(u' ')) {
        const auto known = std::find_if(std::begin(words), std::end(words),
            [&word](const auto &entry) { return word.compare(entry.first, Qt::CaseInsensitive) == 0; });
        if (known == std::end(words)) {
            QStringList parts;
            for (const QString &part : label.split(u',')) {
                if (!part.trimmed().isEmpty())
                    parts.append(part.trimmed());
            }
            return parts + preferred;
        }
        types.append(known->second.toString());
    }
    const bool voice = std::none_of(types.begin(), types.end(), [](const QString &type) {
        return type == u"fax" || type == u"cell" || type == u"pager" || type == u"voice";
    });
    if (property == u"TEL" && voice)
        types.append(u"voice"_s);
    return types + preferred;
}

QList<VCardParameter> withTypes(QList<VCardParameter> parameters, const QStringList &types)
{
    if (types.isEmpty())
        return parameters;
    for (VCardParameter &parameter : parameters) {
        if (parameter.name == u"TYPE") {
            parameter.values += types;
            return parameters;
        }
    }
    parameters.append({u"TYPE"_s, types});
    return parameters;
}

QString extraColumnName(const CsvMapping &mapping, qsizetype index)
{
    QString header = index < mapping.columns.size() ? mapping.columns[index].header : QString();
    if (header.trimmed().isEmpty())
        return u"Colonna %1"_s.arg(index + 1);
    // A parameter keeps a line break as a line feed alone.
    return header.replace(u"\r\n"_s, u"\n"_s).replace(u'\r', u'\n');
}

QList<VCardParameter> extraParameters(const QString &columnName)
{
    return {{QString::fromUtf16(ExtraColumnParameter), {columnName}}};
}

VCardProperty extraProperty(const QString &columnName, const QString &text)
{
    return {
        {}, QString::fromUtf16(ExtraPropertyName), extraParameters(columnName), escapeVCardText(text), {}};
}

// The values, escaped, of a column that makes whole properties; Google joins several in one cell
// with " ::: ".
QStringList wholeValues(const CsvColumn &column, const QString &text)
{
    if (text.isEmpty())
        return {};
    QStringList values;
    const QStringList texts = column.severalValues ? text.split(u" ::: "_s) : QStringList(text);
    for (const QString &one : texts) {
        if (!one.isEmpty() && !(isDate(column.property) && isNoDate(one)))
            values.append(escapeVCardText(one));
    }
    return values;
}

void addPart(QStringList &parts, int component, const QString &text)
{
    if (parts.size() <= component)
        parts.resize(component + 1);
    if (!text.isEmpty())
        parts[component] = parts[component].isEmpty() ? text : parts[component] + u'\n' + text;
}

// The value of a property made of components, or nothing when they are all empty.
std::optional<QString> compoundValue(const QString &property, const QStringList &parts)
{
    if (std::all_of(parts.begin(), parts.end(), [](const QString &part) { return part.isEmpty(); }))
        return std::nullopt;
    if (isDate(property)) {
        const QString date = dateOf(parts);
        return date.isEmpty() ? std::nullopt : std::optional(escapeVCardText(date));
    }
    // N and ADR have all their components always; others (ORG) end with the last one given.
    qsizetype count = parts.size();
    if (property == u"N" || property == u"ADR") {
        count = std::max<qsizetype>(count, property == u"N" ? 5 : 7);
    } else {
        while (parts[count - 1].isEmpty())
            --count;
    }
    QString value;
    for (qsizetype i = 0; i < count; ++i) {
        if (i > 0)
            value += u';';
        value += escapeVCardText(parts.value(i));
    }
    return value;
}

// The columns of one property made of components share this key.
QString compoundKey(const CsvColumn &column)
{
    return vCardPropertyKind(column.property, column.parameters) + u'#' + QString::number(column.slot);
}

bool isComponent(const CsvColumn &column)
{
    return column.use == CsvColumnUse::Property && column.component >= 0;
}

// A cell of vCard lines, unfolded; a line that is no property is kept as an extra text.
QList<VCardProperty> propertiesOfLines(const QString &text, const QString &columnName)
{
    QStringList lines;
    // Split by hand at CR LF, CR or LF: a regular expression costs more than the rest of the row.
    for (qsizetype from = 0; from < text.size();) {
        qsizetype end = from;
        while (end < text.size() && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        const QStringView line = QStringView(text).sliced(from, end - from);
        if (!line.isEmpty() && !lines.isEmpty() && (line.startsWith(u' ') || line.startsWith(u'\t')))
            lines.last() += line.sliced(1);
        else if (!line.isEmpty())
            lines.append(line.toString());
        from = end + (QStringView(text).sliced(end).startsWith(u"\r\n") ? 2 : 1);
    }
    QList<VCardProperty> properties;
    for (const QString &line : std::as_const(lines)) {
        std::optional<VCardProperty> property = parseVCardLine(line.toUtf8());
        if (!property) {
            properties.append(extraProperty(columnName, line));
            continue;
        }
        // These frame a card pasted whole; the card model holds none of them.
        if (property->name != u"BEGIN" && property->name != u"END" && property->name != u"VERSION")
            properties.append(*property);
    }
    return properties;
}

struct Compound
{
    QString property;
    qsizetype position; // of its property in the card
    QStringList parts;
};

} // namespace

CsvRowReader::CsvRowReader(CsvMapping mapping)
    : m_mapping(std::move(mapping))
{
    QHash<QString, qsizetype> compoundOfKey;
    for (qsizetype i = 0; i < m_mapping.columns.size(); ++i) {
        const CsvColumn &column = m_mapping.columns[i];
        m_columnNames.append(extraColumnName(m_mapping, i));
        if (!isComponent(column)) {
            m_compoundOf.append(-1);
            continue;
        }
        const QString key = compoundKey(column);
        if (!compoundOfKey.contains(key))
            compoundOfKey.insert(key, compoundOfKey.size());
        m_compoundOf.append(compoundOfKey.value(key));
    }
    m_compoundCount = compoundOfKey.size();
}

VCard csvRowToVCard(const CsvMapping &mapping, const QStringList &row)
{
    return CsvRowReader(mapping).card(row);
}

VCard CsvRowReader::card(const QStringList &row) const
{
    const QList<CsvColumn> &columns = m_mapping.columns;
    const auto cell = [&row](qsizetype i) { return i < row.size() ? row[i] : QString(); };
    QHash<std::pair<QString, int>, QStringList> slotTypes;
    for (qsizetype i = 0; i < columns.size(); ++i) {
        const CsvColumn &column = columns[i];
        if (column.use == CsvColumnUse::PropertyType && !cell(i).isEmpty())
            slotTypes[{column.property, column.slot}] += typesOfLabel(column.property, cell(i));
    }

    VCard card;
    QList<Compound> compounds;
    QList<qsizetype> compoundAt(m_compoundCount, -1); // in compounds, by the reader's numbering
    for (qsizetype i = 0; i < columns.size(); ++i) {
        const CsvColumn &column = columns[i];
        const QString text = cell(i);
        if (column.use == CsvColumnUse::Extra && !text.isEmpty()) {
            card.properties.append(extraProperty(m_columnNames[i], text));
        } else if (column.use == CsvColumnUse::VCardLines) {
            card.properties.append(propertiesOfLines(text, m_columnNames[i]));
        } else if (column.use == CsvColumnUse::Property) {
            const QList<VCardParameter> parameters = slotTypes.isEmpty()
                ? column.parameters
                : withTypes(column.parameters, slotTypes.value({column.property, column.slot}));
            if (column.component < 0) {
                for (const QString &value : wholeValues(column, text))
                    card.properties.append({{}, column.property, parameters, value, {}});
                continue;
            }
            qsizetype &at = compoundAt[m_compoundOf[i]];
            if (at < 0) {
                at = compounds.size();
                compounds.append({column.property, card.properties.size(), {}});
                card.properties.append({{}, column.property, parameters, {}, {}});
            }
            addPart(compounds[at].parts, column.component, text);
        }
    }
    // Backwards, so that dropping the property of empty columns moves none still to be filled.
    for (auto compound = compounds.crbegin(); compound != compounds.crend(); ++compound) {
        if (const std::optional<QString> value = compoundValue(compound->property, compound->parts))
            card.properties[compound->position].value = *value;
        else
            card.properties.removeAt(compound->position);
    }
    for (qsizetype i = columns.size(); i < row.size(); ++i) {
        if (!row[i].isEmpty())
            card.properties.append(extraProperty(extraColumnName(m_mapping, i), row[i]));
    }
    return card;
}

CsvRowWriter::CsvRowWriter(CsvMapping mapping)
    : m_mapping(std::move(mapping))
{
    const QList<CsvColumn> &columns = m_mapping.columns;
    QHash<QString, QList<qsizetype>> compoundColumns;
    for (qsizetype i = 0; i < columns.size(); ++i) {
        if (isComponent(columns[i]))
            compoundColumns[compoundKey(columns[i])].append(i);
    }
    m_keys.resize(columns.size());
    m_groups.resize(columns.size());
    for (qsizetype i = 0; i < columns.size(); ++i) {
        const CsvColumn &column = columns[i];
        if (column.use == CsvColumnUse::Extra) {
            m_keys[i] = vCardPropertyKind(
                QString::fromUtf16(ExtraPropertyName), extraParameters(extraColumnName(m_mapping, i)));
        } else if (column.use == CsvColumnUse::Property) {
            m_keys[i] = vCardPropertyKind(column.property, column.parameters);
            if (isComponent(column)) {
                const QList<qsizetype> group = compoundColumns.value(compoundKey(column));
                if (group.first() == i)
                    m_groups[i] = group;
            }
        }
    }
}

QStringList csvRowFromVCard(const CsvMapping &mapping, const VCard &card)
{
    return CsvRowWriter(mapping).row(card);
}

QStringList CsvRowWriter::row(const VCard &card, const QList<VCardProperty> &linesOnly) const
{
    const CsvMapping &mapping = m_mapping;
    const QList<CsvColumn> &columns = mapping.columns;
    // The properties a column may take, by name and parameters; a property with a group or binary
    // data goes to no column.
    struct Candidates
    {
        qsizetype firstFree = 0;
        QList<qsizetype> properties;
    };
    QHash<QString, Candidates> candidates;
    for (qsizetype k = 0; k < card.properties.size(); ++k) {
        const VCardProperty &property = card.properties[k];
        if (property.group.isEmpty() && property.data.isEmpty())
            candidates[vCardPropertyKind(property.name, property.parameters)].properties.append(k);
    }
    QList<bool> taken(card.properties.size(), false);
    const auto take = [&](const QString &key, const auto &fits) -> const VCardProperty * {
        const auto found = candidates.find(key);
        if (found == candidates.end())
            return nullptr;
        QList<qsizetype> &list = found->properties;
        while (found->firstFree < list.size() && taken[list[found->firstFree]])
            ++found->firstFree;
        for (qsizetype at = found->firstFree; at < list.size(); ++at) {
            const qsizetype k = list[at];
            if (!taken[k] && fits(card.properties[k])) {
                taken[k] = true;
                return &card.properties[k];
            }
        }
        return nullptr;
    };
    QStringList row(columns.size());
    qsizetype linesColumn = -1;
    for (qsizetype i = 0; i < columns.size(); ++i) {
        const CsvColumn &column = columns[i];
        if (column.use == CsvColumnUse::VCardLines && linesColumn < 0) {
            linesColumn = i;
        } else if (column.use == CsvColumnUse::Extra) {
            const VCardProperty *property = take(m_keys[i], [](const VCardProperty &p) {
                const QString text = unescapeVCardText(p.value);
                return !text.isEmpty() && escapeVCardText(text) == p.value;
            });
            if (property)
                row[i] = unescapeVCardText(property->value);
        } else if (column.use == CsvColumnUse::Property && column.component < 0) {
            const auto fits = [&column](const VCardProperty &p) {
                return wholeValues(column, unescapeVCardText(p.value)) == QStringList(p.value);
            };
            if (const VCardProperty *property = take(m_keys[i], fits))
                row[i] = unescapeVCardText(property->value);
        } else if (isComponent(column) && !isDate(column.property)) {
            const QList<qsizetype> &group = m_groups[i];
            if (group.isEmpty())
                continue;
            // The first column of each component takes its text, as csvRowToVCard would join them.
            const auto cellsOf = [&columns, &group](const VCardProperty &p) {
                const QStringList components = p.components();
                QStringList cells;
                QList<bool> given(components.size(), false);
                for (const qsizetype j : group) {
                    const int component = columns[j].component;
                    const bool first = component < components.size() && !given[component];
                    cells.append(first ? components[component] : QString());
                    if (first)
                        given[component] = true;
                }
                return cells;
            };
            const auto fits = [&](const VCardProperty &p) {
                const QStringList cells = cellsOf(p);
                QStringList parts;
                for (qsizetype k = 0; k < group.size(); ++k)
                    addPart(parts, columns[group[k]].component, cells[k]);
                return compoundValue(column.property, parts) == p.value;
            };
            if (const VCardProperty *property = take(m_keys[i], fits)) {
                const QStringList cells = cellsOf(*property);
                for (qsizetype k = 0; k < group.size(); ++k)
                    row[group[k]] = cells[k];
            }
        }
    }

    if (linesColumn >= 0) {
        QStringList lines;
        for (qsizetype k = 0; k < card.properties.size(); ++k) {
            if (!taken[k])
                lines.append(QString::fromUtf8(vCardLine(card.properties[k], VCardVersion::V3_0)));
        }
        for (const VCardProperty &property : linesOnly)
            lines.append(QString::fromUtf8(vCardLine(property, VCardVersion::V3_0)));
        row[linesColumn] = lines.join(u'\n');
    }
    return row;
}
