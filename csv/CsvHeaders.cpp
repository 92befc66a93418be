#include "csv/CsvHeaders.h"

#include <QRegularExpression>

#include <span>
#include <string_view>

namespace {

// Components of N, ADR, ORG and of a date split over three columns.
enum NamePart { Family, Given, Additional, Prefix, Suffix };
enum AddressPart { PoBox, Extended, Street, City, Region, PostalCode, Country };
enum OrganizationPart { OrganizationName, Unit };
enum DatePart { Year, Month, Day };

struct KnownColumn
{
    std::u16string_view header;
    CsvColumnUse use;
    std::string_view property;
    std::string_view parameter; // "TYPE=work,voice", "VALUE=uri", or none
    int component;
    bool severalValues = false;
};

constexpr KnownColumn whole(
    std::u16string_view header, std::string_view property, std::string_view parameter = {})
{
    return {header, CsvColumnUse::Property, property, parameter, -1};
}

constexpr KnownColumn part(
    std::u16string_view header, std::string_view property, int component, std::string_view parameter = {})
{
    return {header, CsvColumnUse::Property, property, parameter, component};
}

// Google joins a contact's labels in one cell: "* myContacts ::: Lavoro".
constexpr KnownColumn labels(std::u16string_view header)
{
    return {header, CsvColumnUse::Property, "CATEGORIES", {}, -1, true};
}

constexpr KnownColumn lines(std::u16string_view header)
{
    return {header, CsvColumnUse::VCardLines, {}, {}, -1};
}

constexpr std::string_view Work = "TYPE=work";
constexpr std::string_view Home = "TYPE=home";
constexpr std::string_view Other = "TYPE=other";

// Our own export, in the order of the card's fields. Its Italian names serve Outlook's and
// Thunderbird's Italian exports too, which use some of them with the same meaning.
constexpr KnownColumn ExportColumns[] = {
    part(u"Cognome", "N", Family),
    part(u"Nome", "N", Given),
    whole(u"Cellulare", "TEL", "TYPE=cell"),
    part(u"Azienda", "ORG", OrganizationName),
    whole(u"E-mail", "EMAIL"),
    whole(u"Sito web", "URL"),
    whole(u"Note", "NOTE"),
    part(u"Indirizzo lavoro", "ADR", Street, Work),
    part(u"Città lavoro", "ADR", City, Work),
    part(u"Provincia lavoro", "ADR", Region, Work),
    part(u"CAP lavoro", "ADR", PostalCode, Work),
    whole(u"Telefono lavoro", "TEL", "TYPE=work,voice"),
    whole(u"Fax lavoro", "TEL", "TYPE=work,fax"),
    part(u"Indirizzo casa", "ADR", Street, Home),
    part(u"Città casa", "ADR", City, Home),
    part(u"Provincia casa", "ADR", Region, Home),
    part(u"CAP casa", "ADR", PostalCode, Home),
    whole(u"Telefono casa", "TEL", "TYPE=home,voice"),
    whole(u"Fax casa", "TEL", "TYPE=home,fax"),
    lines(u"Altri dati"),
};

// Google's columns that are not numbered; the numbered ones are read by googleColumn.
constexpr KnownColumn GoogleColumns[] = {
    whole(u"Name", "FN"),
    part(u"Given Name", "N", Given),
    part(u"Additional Name", "N", Additional),
    part(u"Family Name", "N", Family),
    part(u"Name Prefix", "N", Prefix),
    part(u"Name Suffix", "N", Suffix),
    part(u"Middle Name", "N", Additional),
    whole(u"Nickname", "NICKNAME"),
    whole(u"Birthday", "BDAY"),
    whole(u"Notes", "NOTE"),
    whole(u"Photo", "PHOTO", "VALUE=uri"),
    labels(u"Group Membership"),
    labels(u"Labels"),
    whole(u"Organization Title", "TITLE"),
    part(u"Organization Name", "ORG", OrganizationName),
    part(u"Organization Department", "ORG", Unit),
};

constexpr KnownColumn OutlookColumns[] = {
    part(u"Title", "N", Prefix),
    part(u"First Name", "N", Given),
    part(u"Last Name", "N", Family),
    part(u"Suffix", "N", Suffix),
    part(u"Company", "ORG", OrganizationName),
    part(u"Department", "ORG", Unit),
    whole(u"Job Title", "TITLE"),
    part(u"Business Street", "ADR", Street, Work),
    part(u"Business Street 2", "ADR", Street, Work),
    part(u"Business Street 3", "ADR", Street, Work),
    part(u"Business City", "ADR", City, Work),
    part(u"Business State", "ADR", Region, Work),
    part(u"Business Postal Code", "ADR", PostalCode, Work),
    part(u"Business Country/Region", "ADR", Country, Work),
    part(u"Business Address PO Box", "ADR", PoBox, Work),
    part(u"Home Street", "ADR", Street, Home),
    part(u"Home Street 2", "ADR", Street, Home),
    part(u"Home Street 3", "ADR", Street, Home),
    part(u"Home City", "ADR", City, Home),
    part(u"Home State", "ADR", Region, Home),
    part(u"Home Postal Code", "ADR", PostalCode, Home),
    part(u"Home Country/Region", "ADR", Country, Home),
    part(u"Home Address PO Box", "ADR", PoBox, Home),
    part(u"Other Street", "ADR", Street, Other),
    part(u"Other Street 2", "ADR", Street, Other),
    part(u"Other Street 3", "ADR", Street, Other),
    part(u"Other City", "ADR", City, Other),
    part(u"Other State", "ADR", Region, Other),
    part(u"Other Postal Code", "ADR", PostalCode, Other),
    part(u"Other Country/Region", "ADR", Country, Other),
    part(u"Other Address PO Box", "ADR", PoBox, Other),
    whole(u"Business Phone", "TEL", "TYPE=work,voice"),
    whole(u"Business Phone 2", "TEL", "TYPE=work,voice"),
    whole(u"Business Fax", "TEL", "TYPE=work,fax"),
    whole(u"Home Phone", "TEL", "TYPE=home,voice"),
    whole(u"Home Phone 2", "TEL", "TYPE=home,voice"),
    whole(u"Home Fax", "TEL", "TYPE=home,fax"),
    whole(u"Mobile Phone", "TEL", "TYPE=cell"),
    whole(u"Other Phone", "TEL", "TYPE=voice"),
    whole(u"Other Fax", "TEL", "TYPE=fax"),
    whole(u"Pager", "TEL", "TYPE=pager"),
    whole(u"Car Phone", "TEL", "TYPE=car"),
    whole(u"ISDN", "TEL", "TYPE=isdn"),
    whole(u"Primary Phone", "TEL", "TYPE=pref"),
    whole(u"E-mail Address", "EMAIL"),
    whole(u"E-mail 2 Address", "EMAIL"),
    whole(u"E-mail 3 Address", "EMAIL"),
    whole(u"Web Page", "URL"),
    whole(u"Anniversary", "ANNIVERSARY"),
    whole(u"Categories", "CATEGORIES"),
};

// Outlook set to Italian; Nome, Cognome, Cellulare and Note are among our own.
constexpr KnownColumn ItalianOutlookColumns[] = {
    part(u"Titolo", "N", Prefix),
    part(u"Secondo nome", "N", Additional),
    part(u"Suffisso", "N", Suffix),
    part(u"Titolo straniero", "N", Suffix),
    part(u"Società", "ORG", OrganizationName),
    part(u"Reparto", "ORG", Unit),
    whole(u"Posizione", "TITLE"),
    part(u"Via (uff.)", "ADR", Street, Work),
    part(u"Via (uff.) 2", "ADR", Street, Work),
    part(u"Via (uff.) 3", "ADR", Street, Work),
    part(u"Città (uff.)", "ADR", City, Work),
    part(u"Provincia (uff.)", "ADR", Region, Work),
    part(u"CAP (uff.)", "ADR", PostalCode, Work),
    part(u"Paese/area geografica (uff.)", "ADR", Country, Work),
    part(u"Indirizzo (uff.) - Casella postale", "ADR", PoBox, Work),
    part(u"Via (ab.)", "ADR", Street, Home),
    part(u"Via (ab.) 2", "ADR", Street, Home),
    part(u"Via (ab.) 3", "ADR", Street, Home),
    part(u"Città (ab.)", "ADR", City, Home),
    part(u"Provincia (ab.)", "ADR", Region, Home),
    part(u"CAP (ab.)", "ADR", PostalCode, Home),
    part(u"Paese/area geografica (ab.)", "ADR", Country, Home),
    part(u"Indirizzo (ab.) - Casella postale", "ADR", PoBox, Home),
    whole(u"Ufficio", "TEL", "TYPE=work,voice"),
    whole(u"Ufficio 2", "TEL", "TYPE=work,voice"),
    whole(u"Telefono ufficio", "TEL", "TYPE=work,voice"),
    whole(u"Telefono (uff.)", "TEL", "TYPE=work,voice"),
    whole(u"Fax (uff.)", "TEL", "TYPE=work,fax"),
    whole(u"Fax ufficio", "TEL", "TYPE=work,fax"),
    whole(u"Abitazione", "TEL", "TYPE=home,voice"),
    whole(u"Abitazione 2", "TEL", "TYPE=home,voice"),
    whole(u"Telefono abitazione", "TEL", "TYPE=home,voice"),
    whole(u"Telefono (ab.)", "TEL", "TYPE=home,voice"),
    whole(u"Fax (ab.)", "TEL", "TYPE=home,fax"),
    whole(u"Fax abitazione", "TEL", "TYPE=home,fax"),
    whole(u"Altro telefono", "TEL", "TYPE=voice"),
    whole(u"Altro fax", "TEL", "TYPE=fax"),
    whole(u"Cercapersone", "TEL", "TYPE=pager"),
    whole(u"Telefono auto", "TEL", "TYPE=car"),
    whole(u"Telefono principale", "TEL", "TYPE=pref"),
    whole(u"Indirizzo posta elettronica", "EMAIL"),
    whole(u"Indirizzo di posta elettronica", "EMAIL"),
    whole(u"Indirizzo posta elettronica 2", "EMAIL"),
    whole(u"Indirizzo posta elettronica 3", "EMAIL"),
    whole(u"Pagina Web", "URL"),
    whole(u"Compleanno", "BDAY"),
    whole(u"Anniversario", "ANNIVERSARY"),
    whole(u"Categorie", "CATEGORIES"),
};

// Thunderbird keeps the birthday in three columns. Its other English names not listed here
// (First Name, Last Name, Home Phone, Job Title, Department, Notes) are Outlook's too.
constexpr KnownColumn ThunderbirdColumns[] = {
    whole(u"Display Name", "FN"),
    whole(u"Primary Email", "EMAIL"),
    whole(u"Secondary Email", "EMAIL"),
    whole(u"Work Phone", "TEL", "TYPE=work,voice"),
    whole(u"Fax Number", "TEL", "TYPE=fax"),
    whole(u"Pager Number", "TEL", "TYPE=pager"),
    whole(u"Mobile Number", "TEL", "TYPE=cell"),
    part(u"Home Address", "ADR", Street, Home),
    part(u"Home Address 2", "ADR", Street, Home),
    part(u"Home ZipCode", "ADR", PostalCode, Home),
    part(u"Home Country", "ADR", Country, Home),
    part(u"Work Address", "ADR", Street, Work),
    part(u"Work Address 2", "ADR", Street, Work),
    part(u"Work City", "ADR", City, Work),
    part(u"Work State", "ADR", Region, Work),
    part(u"Work ZipCode", "ADR", PostalCode, Work),
    part(u"Work Country", "ADR", Country, Work),
    part(u"Organization", "ORG", OrganizationName),
    whole(u"Web Page 1", "URL"),
    whole(u"Web Page 2", "URL"),
    part(u"Birth Year", "BDAY", Year),
    part(u"Birth Month", "BDAY", Month),
    part(u"Birth Day", "BDAY", Day),
    // Italian
    whole(u"Nome visualizzato", "FN"),
    whole(u"Soprannome", "NICKNAME"),
    whole(u"Email primaria", "EMAIL"),
    whole(u"Email secondaria", "EMAIL"),
    whole(u"Numero fax", "TEL", "TYPE=fax"),
    whole(u"Numero cercapersone", "TEL", "TYPE=pager"),
    whole(u"Numero cellulare", "TEL", "TYPE=cell"),
    part(u"Indirizzo di casa", "ADR", Street, Home),
    part(u"Indirizzo di casa 2", "ADR", Street, Home),
    part(u"Città di residenza", "ADR", City, Home),
    part(u"Provincia di residenza", "ADR", Region, Home),
    part(u"CAP di residenza", "ADR", PostalCode, Home),
    part(u"Nazione di residenza", "ADR", Country, Home),
    part(u"Indirizzo di lavoro", "ADR", Street, Work),
    part(u"Indirizzo di lavoro 2", "ADR", Street, Work),
    part(u"Città di lavoro", "ADR", City, Work),
    part(u"Provincia di lavoro", "ADR", Region, Work),
    part(u"CAP di lavoro", "ADR", PostalCode, Work),
    part(u"Nazione di lavoro", "ADR", Country, Work),
    whole(u"Qualifica", "TITLE"),
    part(u"Organizzazione", "ORG", OrganizationName),
    whole(u"Pagina web 1", "URL"),
    whole(u"Pagina web 2", "URL"),
    part(u"Anno di nascita", "BDAY", Year),
    part(u"Mese di nascita", "BDAY", Month),
    part(u"Giorno di nascita", "BDAY", Day),
};

QString text(std::string_view ascii)
{
    return QString::fromLatin1(ascii.data(), qsizetype(ascii.size()));
}

CsvColumn columnOf(const KnownColumn &known, const QString &header)
{
    CsvColumn column;
    column.header = header;
    column.use = known.use;
    column.property = text(known.property);
    if (!known.parameter.empty()) {
        const QString parameter = text(known.parameter);
        const qsizetype equals = parameter.indexOf(u'=');
        column.parameters.append({parameter.first(equals), parameter.sliced(equals + 1).split(u',')});
    }
    column.component = known.component;
    column.severalValues = known.severalValues;
    return column;
}

const KnownColumn *findKnown(QStringView header)
{
    for (const auto &table :
        {std::span<const KnownColumn>(ExportColumns), std::span<const KnownColumn>(GoogleColumns),
            std::span<const KnownColumn>(OutlookColumns), std::span<const KnownColumn>(ItalianOutlookColumns),
            std::span<const KnownColumn>(ThunderbirdColumns)}) {
        for (const KnownColumn &known : table) {
            if (header.compare(QStringView(known.header), Qt::CaseInsensitive) == 0)
                return &known;
        }
    }
    return nullptr;
}

// Google numbers the columns of each kind that a contact may have several of: "Phone 2 - Value",
// "Address 1 - City". Older exports call their type columns "Type", newer ones "Label".
std::optional<CsvColumn> googleColumn(const QString &header)
{
    static const QRegularExpression numbered(QStringLiteral("^(.*\\S)\\s+(\\d{1,4})\\s+-\\s+(.*)$"));
    const QRegularExpressionMatch match = numbered.match(header);
    if (!match.hasMatch())
        return std::nullopt;
    const QString kind = match.captured(1).toLower();
    const QString what = match.captured(3).toLower();
    CsvColumn column;
    column.header = header;
    column.use = CsvColumnUse::Property;
    column.slot = match.captured(2).toInt();
    const bool isType = what == u"type" || what == u"label";

    const auto valueOf = [&](const char *property) {
        column.property = QString::fromLatin1(property);
        if (isType) {
            column.use = CsvColumnUse::PropertyType;
            return true;
        }
        column.severalValues = true;
        return what == u"value";
    };
    bool known = false;
    if (kind == u"e-mail" || kind == u"email") {
        known = valueOf("EMAIL");
    } else if (kind == u"phone") {
        known = valueOf("TEL");
    } else if (kind == u"website") {
        known = valueOf("URL");
    } else if (kind == u"address") {
        column.property = QStringLiteral("ADR");
        static const std::pair<const char16_t *, AddressPart> parts[]
            = {{u"po box", PoBox}, {u"extended address", Extended}, {u"street", Street}, {u"city", City},
                {u"region", Region}, {u"postal code", PostalCode}, {u"country", Country}};
        if (isType) {
            column.use = CsvColumnUse::PropertyType;
            known = true;
        }
        for (const auto &[name, component] : parts) {
            if (what == name) {
                column.component = component;
                known = true;
            }
        }
    } else if (kind == u"organization") {
        if (what == u"name" || what == u"department") {
            column.property = QStringLiteral("ORG");
            column.component = what == u"name" ? OrganizationName : Unit;
            known = true;
        } else if (what == u"title") {
            column.property = QStringLiteral("TITLE");
            known = true;
        }
    }
    if (!known)
        return std::nullopt;
    return column;
}

} // namespace

CsvMapping recognizeCsvHeader(const QStringList &header)
{
    CsvMapping mapping;
    for (const QString &name : header) {
        const QString trimmed = name.trimmed();
        if (const KnownColumn *known = findKnown(trimmed)) {
            mapping.columns.append(columnOf(*known, name));
        } else if (std::optional<CsvColumn> google = googleColumn(trimmed)) {
            google->header = name;
            mapping.columns.append(*google);
        } else {
            CsvColumn extra;
            extra.header = name;
            mapping.columns.append(extra);
        }
    }
    return mapping;
}

QStringList csvExportHeader()
{
    QStringList header;
    for (const KnownColumn &known : ExportColumns)
        header.append(QString::fromUtf16(known.header.data(), qsizetype(known.header.size())));
    return header;
}

CsvMapping csvExportMapping()
{
    return recognizeCsvHeader(csvExportHeader());
}
