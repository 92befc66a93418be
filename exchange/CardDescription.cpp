#include "exchange/CardDescription.h"

#include "csv/CsvVCard.h"

#include <QDate>

using namespace Qt::StringLiterals;

namespace {

// How a property's value reads.
enum class Shape {
    Text, // the value unescaped
    Number, // TEL and EMAIL: a "tel:" or "mailto:" in front is dropped
    List, // values and components, separated by commas or semicolons (CATEGORIES; ORG's department)
    Name, // N, in the order a name is said
    Address, // ADR, as written on an envelope
    Date, // BDAY, ANNIVERSARY
    Position, // GEO
};

struct Wording
{
    QStringView name;
    QStringView label;
    Shape shape;
};

constexpr Wording Wordings[] = {
    {u"TEL", u"Telefono", Shape::Number},
    {u"EMAIL", u"E-mail", Shape::Number},
    {u"URL", u"Sito", Shape::Text},
    {u"IMPP", u"Messaggistica", Shape::Text},
    {u"ADR", u"Indirizzo", Shape::Address},
    {u"LABEL", u"Indirizzo", Shape::Text},
    {u"BDAY", u"Compleanno", Shape::Date},
    {u"ANNIVERSARY", u"Anniversario", Shape::Date},
    {u"N", u"Nome", Shape::Name},
    {u"FN", u"Nome", Shape::Text},
    {u"NICKNAME", u"Soprannome", Shape::List},
    {u"ORG", u"Azienda", Shape::List},
    {u"TITLE", u"Titolo", Shape::Text},
    {u"ROLE", u"Ruolo", Shape::Text},
    {u"NOTE", u"Note", Shape::Text},
    {u"CATEGORIES", u"Categorie", Shape::List},
    {u"PHOTO", u"Foto", Shape::Text},
    {u"LOGO", u"Logo", Shape::Text},
    {u"SOUND", u"Suono", Shape::Text},
    {u"KEY", u"Chiave", Shape::Text},
    {u"UID", u"Identificativo", Shape::Text},
    {u"GEO", u"Posizione", Shape::Position},
    {u"TZ", u"Fuso orario", Shape::Text},
    {u"LANG", u"Lingua", Shape::Text},
    {u"GENDER", u"Genere", Shape::List},
};

// TYPE values in Italian; one not here is shown as it is, in lower case.
constexpr std::pair<QStringView, QStringView> TypeWords[] = {
    {u"work", u"lavoro"},
    {u"home", u"casa"},
    {u"cell", u"cellulare"},
    {u"pager", u"cercapersone"},
    {u"text", u"SMS"},
    {u"msg", u"messaggi"},
    {u"car", u"auto"},
    {u"main", u"principale"},
    {u"other", u"altro"},
    {u"pref", u"preferito"},
    {u"postal", u"postale"},
    {u"parcel", u"pacchi"},
    {u"dom", u"nazionale"},
    {u"intl", u"estero"},
    // Said of nearly every number and address: no word worth reading.
    {u"voice", u""},
    {u"internet", u""},
};

// A note can be long; the list shows the start of it.
constexpr qsizetype LongestValue = 300;

// The components of a compound value, each with its comma-separated values, unescaped and trimmed;
// blank values are left out.
QList<QStringList> components(const VCardProperty &property)
{
    QList<QStringList> parts;
    for (QStringView component : splitVCardValue(property.value, u';')) {
        QStringList values;
        for (QStringView value : splitVCardValue(component, u',')) {
            const QString text = unescapeVCardText(value.toString()).trimmed();
            if (!text.isEmpty())
                values.append(text);
        }
        parts.append(values);
    }
    return parts;
}

QString joinFilled(const QStringList &texts, QStringView separator)
{
    QStringList filled;
    for (const QString &text : texts) {
        if (!text.trimmed().isEmpty())
            filled.append(text.trimmed());
    }
    return filled.join(separator);
}

QString nameText(const VCardProperty &property)
{
    // Family; given; additional; prefixes; suffixes.
    const QList<QStringList> parts = components(property);
    QStringList said;
    for (int i : {3, 1, 2, 0, 4})
        said.append(parts.value(i).join(u' '));
    return joinFilled(said, u" ");
}

QString addressText(const VCardProperty &property)
{
    // Post office box; extended address; street; locality; region; postal code; country.
    const QList<QStringList> parts = components(property);
    const auto part = [&](int i) { return parts.value(i).join(QStringLiteral(", ")); };
    QString place = joinFilled({part(5), part(3)}, u" ");
    if (!part(4).isEmpty())
        place = joinFilled({place, u'(' + part(4) + u')'}, u" ");
    // Outlook's street runs over several lines; the list shows an address on one.
    return joinFilled({part(0), part(1), part(2), place, part(6)}, u", ")
        .replace(u'\n', QStringLiteral(", "));
}

// 1980-05-03 and 19800503 as 03/05/1980, --0503 and --05-03 (no year) as 03/05; a time is left out.
// Anything else (a text date of 4.0, a year alone) is shown as it is.
QString dateText(const QString &text)
{
    const QString date = text.section(u'T', 0, 0);
    QString digits = date;
    digits.remove(u'-');
    if (date.startsWith(u"--") && digits.size() == 4) {
        const QDate day = QDate::fromString(u"2000"_s + digits, u"yyyyMMdd"); // a leap year: --0229 is a day
        if (day.isValid())
            return day.toString(u"dd/MM");
    } else if (!date.startsWith(u'-') && digits.size() == 8) {
        const QDate day = QDate::fromString(digits, u"yyyyMMdd");
        if (day.isValid())
            return day.toString(u"dd/MM/yyyy");
    }
    return text;
}

QString dropScheme(const QString &text, std::initializer_list<QStringView> schemes)
{
    for (QStringView scheme : schemes) {
        if (text.startsWith(scheme, Qt::CaseInsensitive))
            return text.mid(scheme.size());
    }
    return text;
}

// The values of every TYPE parameter: 3.0 and 2.1 write one for each ("TYPE=WORK;TYPE=FAX").
QStringList allTypes(const VCardProperty &property)
{
    QStringList types;
    for (const VCardParameter &parameter : property.parameters) {
        if (parameter.name == u"TYPE")
            types += parameter.values;
    }
    return types;
}

QString sizeText(qsizetype bytes)
{
    if (bytes < 1024)
        return QString::number(bytes) + u" byte"_s;
    if (bytes < 1024 * 1024)
        return QString::number((bytes + 512) / 1024) + u" kB"_s;
    return QString::number(double(bytes) / (1024 * 1024), 'f', 1).replace(u'.', u',') + u" MB"_s;
}

// What kind of file a binary value is and how big, never its bytes: "immagine JPEG, 12 kB".
QString binaryText(const VCardProperty &property)
{
    QString kind;
    if (property.name == u"PHOTO" || property.name == u"LOGO")
        kind = QStringLiteral("immagine");
    else if (property.name == u"SOUND")
        kind = QStringLiteral("audio");
    // 4.0 names the format in MEDIATYPE ("image/jpeg"), 3.0 in TYPE ("JPEG").
    QString format = property.parameter(u"MEDIATYPE").value(0).section(u'/', 1);
    const QStringList notFormats{u"pref"_s, u"work"_s, u"home"_s};
    for (const QString &type : allTypes(property)) {
        if (format.isEmpty() && !notFormats.contains(type, Qt::CaseInsensitive))
            format = type;
    }
    return joinFilled({joinFilled({kind, format.toUpper()}, u" "), sizeText(property.data.size())}, u", ");
}

// "lavoro, fax" of TYPE=WORK,FAX; a 4.0 PREF=1 reads as TYPE=pref.
QString typeText(const VCardProperty &property)
{
    QStringList types = allTypes(property);
    if (property.parameter(u"PREF").value(0) == u"1")
        types.append(QStringLiteral("pref"));
    QStringList words;
    for (const QString &type : types) {
        QString word = type.toLower();
        for (const auto &[name, italian] : TypeWords) {
            if (word == name)
                word = italian.toString();
        }
        if (!word.isEmpty() && !words.contains(word))
            words.append(word);
    }
    return words.join(QStringLiteral(", "));
}

QString shortened(QString text)
{
    if (text.size() <= LongestValue)
        return text;
    qsizetype keep = LongestValue - 1;
    if (text[keep - 1].isHighSurrogate())
        --keep;
    return text.left(keep) + u'…';
}

OtherDataLine describe(const VCardProperty &property)
{
    if (property.name == ExtraPropertyName) {
        const QString column = property.parameter(ExtraColumnParameter).value(0);
        return {column.isEmpty() ? property.name : column, shortened(property.text())};
    }
    const Wording *wording = nullptr;
    for (const Wording &candidate : Wordings) {
        if (property.name == candidate.name)
            wording = &candidate;
    }
    OtherDataLine line{wording ? wording->label.toString() : property.name, {}};
    if (!property.data.isEmpty()) {
        // A binary value's TYPE is its format, said in the value.
        line.value = binaryText(property);
        return line;
    }
    if (const QString types = typeText(property); !types.isEmpty())
        line.label += QStringLiteral(" (") + types + u')';
    switch (wording ? wording->shape : Shape::Text) {
    case Shape::Text:
        line.value = property.text();
        break;
    case Shape::Number:
        line.value = dropScheme(property.text(), {u"tel:", u"mailto:"});
        break;
    case Shape::List: {
        QStringList values;
        for (const QStringList &part : components(property))
            values += part;
        line.value = values.join(QStringLiteral(", "));
        break;
    }
    case Shape::Name:
        line.value = nameText(property);
        break;
    case Shape::Address:
        line.value = addressText(property);
        break;
    case Shape::Date:
        line.value = dateText(property.text());
        break;
    case Shape::Position: {
        // geo:46.77,-71.28 in 4.0, 46.77;-71.28 in 3.0.
        const QString where = dropScheme(property.text(), {u"geo:"}).replace(u';', u',');
        line.value = joinFilled(where.split(u','), u", ");
        break;
    }
    }
    line.value = shortened(line.value);
    return line;
}

} // namespace

QList<OtherDataLine> otherDataLines(const QList<KeptProperty> &properties)
{
    QList<OtherDataLine> lines;
    for (const KeptProperty &kept : properties) {
        if (kept.role == CardRole::None)
            lines.append(describe(kept.property));
    }
    return lines;
}

QString searchableText(const VCardProperty &property)
{
    if (!property.data.isEmpty())
        return {};
    QString text = joinFilled(property.components(), u" ");
    return text.replace(u'\n', u' ');
}
