#include "exchange/CardMapping.h"

#include <array>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

struct RoleInfo
{
    CardRole role;
    const char *name;
    // The boxes the role fills, in the order of the parts it reads them from.
    std::array<std::optional<Field>, 4> fields;
};

constexpr RoleInfo Roles[] = {
    {CardRole::None, "", {}},
    {CardRole::Name, "N", {Field::LastName, Field::FirstName}},
    {CardRole::NameOnly, "FN", {Field::LastName}},
    {CardRole::Company, "ORG", {Field::Azienda}},
    {CardRole::Mobile, "TEL-CELL", {Field::Cellulare}},
    {CardRole::WorkPhone, "TEL-WORK", {Field::WorkPhone}},
    {CardRole::WorkFax, "TEL-WORK-FAX", {Field::WorkFax}},
    {CardRole::HomePhone, "TEL-HOME", {Field::HomePhone}},
    {CardRole::HomeFax, "TEL-HOME-FAX", {Field::HomeFax}},
    {CardRole::Email, "EMAIL", {Field::Internet}},
    {CardRole::Web, "URL", {Field::www}},
    {CardRole::Note, "NOTE", {Field::Note}},
    {CardRole::WorkAddress, "ADR-WORK",
        {Field::WorkAddress, Field::WorkCity, Field::WorkProv, Field::WorkPostalCode}},
    {CardRole::HomeAddress, "ADR-HOME",
        {Field::HomeAddress, Field::HomeCity, Field::HomeProv, Field::HomePostalCode}},
};

const RoleInfo &info(CardRole role)
{
    return Roles[static_cast<int>(role)];
}

// Where in the value each box of the role is: N family and given name; ADR street, locality,
// region and postal code; the whole value for the others.
std::array<int, 4> partsOf(CardRole role)
{
    switch (role) {
    case CardRole::Name:
        return {0, 1, -1, -1};
    case CardRole::WorkAddress:
    case CardRole::HomeAddress:
        return {2, 3, 4, 5};
    case CardRole::Company:
        return {0, -1, -1, -1};
    default:
        return {-2, -1, -1, -1}; // -2: the whole value
    }
}

// A telephone number may come as a tel: URI (4.0); the box shows the number alone.
constexpr QStringView TelScheme = u"tel:";

// The texts the role's property puts in its boxes, in the order of RoleInfo::fields.
std::array<QString, 4> boxTexts(CardRole role, const VCardProperty &property)
{
    std::array<QString, 4> texts;
    const std::array<int, 4> parts = partsOf(role);
    for (int i = 0; i < 4; ++i) {
        if (parts[i] == -2) {
            texts[i] = property.text();
            if (property.name == u"TEL" && texts[i].startsWith(TelScheme, Qt::CaseInsensitive))
                texts[i] = texts[i].mid(TelScheme.size());
        } else if (parts[i] >= 0) {
            texts[i] = property.component(parts[i]);
        }
    }
    // An address without a street may have it in the extended address.
    if ((role == CardRole::WorkAddress || role == CardRole::HomeAddress) && texts[0].isEmpty())
        texts[0] = property.component(1);
    // The agenda keeps a line break as CR LF, as the card's boxes write it; a file's break may be
    // any of the three.
    for (QString &text : texts) {
        if (text.contains(u'\n') || text.contains(u'\r'))
            text.replace(u"\r\n"_s, u"\n"_s).replace(u'\r', u'\n').replace(u"\n"_s, u"\r\n"_s);
    }
    return texts;
}

void fill(ContactRecord &record, CardRole role, const VCardProperty &property)
{
    const std::array<QString, 4> texts = boxTexts(role, property);
    for (int i = 0; i < 4; ++i) {
        if (info(role).fields[i] && !texts[i].isEmpty())
            record.setValue(*info(role).fields[i], texts[i]);
    }
}

bool boxesMatch(CardRole role, const VCardProperty &property, const ContactRecord &record)
{
    const std::array<QString, 4> texts = boxTexts(role, property);
    for (int i = 0; i < 4; ++i) {
        if (info(role).fields[i] && record.value(*info(role).fields[i]).value_or(QString()) != texts[i])
            return false;
    }
    return true;
}

bool boxesEmpty(CardRole role, const ContactRecord &record)
{
    for (const std::optional<Field> &field : info(role).fields) {
        if (field && !record.value(*field).value_or(QString()).isEmpty())
            return false;
    }
    return true;
}

// The property with the role's parts replaced by the boxes' values.
VCardProperty rewritten(CardRole role, VCardProperty property, const ContactRecord &record)
{
    const std::array<int, 4> parts = partsOf(role);
    const auto box
        = [&](int i) { return escapeVCardText(record.value(*info(role).fields[i]).value_or(QString())); };
    if (parts[0] == -2) {
        const bool uri = property.name == u"TEL" && property.value.startsWith(TelScheme, Qt::CaseInsensitive);
        property.value = (uri ? property.value.left(TelScheme.size()) : QString()) + box(0);
        return property;
    }
    QStringList raw;
    for (const QStringView part : splitVCardValue(property.value, u';'))
        raw.append(part.toString());
    const bool address = role == CardRole::WorkAddress || role == CardRole::HomeAddress;
    // The street came from the extended address: it goes back there.
    const bool streetInExtended = address && raw.value(2).isEmpty() && !raw.value(1).isEmpty();
    for (int i = 0; i < 4; ++i) {
        if (parts[i] < 0)
            continue;
        const int at = i == 0 && streetInExtended ? 1 : parts[i];
        while (raw.size() <= at)
            raw.append(QString());
        raw[at] = box(i);
    }
    property.value = raw.join(u';');
    return property;
}

VCardProperty newProperty(CardRole role, const ContactRecord &record)
{
    VCardProperty property;
    const auto typed = [&](const char *name, QStringList types) {
        property.name = QString::fromLatin1(name);
        if (!types.isEmpty())
            property.parameters.append({QStringLiteral("TYPE"), types});
    };
    switch (role) {
    case CardRole::Name:
    case CardRole::NameOnly:
        typed("N", {});
        property.value = QStringLiteral(";;;;");
        return rewritten(CardRole::Name, property, record);
    case CardRole::Company:
        typed("ORG", {});
        break;
    case CardRole::Mobile:
        typed("TEL", {QStringLiteral("cell")});
        break;
    case CardRole::WorkPhone:
        typed("TEL", {QStringLiteral("work"), QStringLiteral("voice")});
        break;
    case CardRole::WorkFax:
        typed("TEL", {QStringLiteral("work"), QStringLiteral("fax")});
        break;
    case CardRole::HomePhone:
        typed("TEL", {QStringLiteral("home"), QStringLiteral("voice")});
        break;
    case CardRole::HomeFax:
        typed("TEL", {QStringLiteral("home"), QStringLiteral("fax")});
        break;
    case CardRole::Email:
        typed("EMAIL", {});
        break;
    case CardRole::Web:
        typed("URL", {});
        break;
    case CardRole::Note:
        typed("NOTE", {});
        break;
    case CardRole::WorkAddress:
    case CardRole::HomeAddress:
        typed("ADR", {role == CardRole::WorkAddress ? QStringLiteral("work") : QStringLiteral("home")});
        property.value = QStringLiteral(";;;;;;");
        break;
    case CardRole::None:
        break;
    }
    return rewritten(role, property, record);
}

// The role a telephone number's types give it, None when they say neither cell, work, home nor fax.
CardRole telephoneRole(const VCardProperty &property)
{
    if (property.hasType(u"cell"))
        return CardRole::Mobile;
    const bool fax = property.hasType(u"fax");
    if (property.hasType(u"work"))
        return fax ? CardRole::WorkFax : CardRole::WorkPhone;
    if (property.hasType(u"home"))
        return fax ? CardRole::HomeFax : CardRole::HomePhone;
    return fax ? CardRole::WorkFax : CardRole::None;
}

} // namespace

QString cardRoleName(CardRole role)
{
    return QString::fromLatin1(info(role).name);
}

bool isPlainRoleProperty(CardRole role, const VCardProperty &property)
{
    if (role == CardRole::None)
        return false;
    struct Plain
    {
        QString name;
        QString kind;
    };
    static const std::array<Plain, std::size(Roles)> plainOnes = [] {
        std::array<Plain, std::size(Roles)> plain;
        for (const RoleInfo &info : Roles) {
            const VCardProperty property = newProperty(info.role, ContactRecord());
            plain[static_cast<int>(info.role)]
                = {property.name, vCardPropertyKind(property.name, property.parameters)};
        }
        return plain;
    }();
    const Plain &plain = plainOnes[static_cast<int>(role)];
    return property.name.compare(plain.name, Qt::CaseInsensitive) == 0
        && vCardPropertyKind(plain.name, property.parameters) == plain.kind;
}

CardRole cardRoleFromName(QStringView name)
{
    for (const RoleInfo &role : Roles) {
        if (role.role != CardRole::None && name == QLatin1String(role.name))
            return role.role;
    }
    return CardRole::None;
}

CardContact contactFromVCard(const VCard &card)
{
    CardContact contact;
    std::array<bool, std::size(Roles)> taken{};
    const auto take = [&](KeptProperty &kept, CardRole role) {
        if (role == CardRole::None || taken[static_cast<int>(role)])
            return false;
        taken[static_cast<int>(role)] = true;
        kept.role = role;
        fill(contact.record, role, kept.property);
        return true;
    };
    for (const VCardProperty &property : card.properties)
        contact.properties.append({CardRole::None, property});

    // First what the properties say of themselves, then the numbers and addresses that say
    // nothing go to the boxes still free.
    for (KeptProperty &kept : contact.properties) {
        const QString &name = kept.property.name;
        if (name == u"N") {
            if (!kept.property.component(0).isEmpty() || !kept.property.component(1).isEmpty())
                take(kept, CardRole::Name);
        } else if (name == u"ORG") {
            take(kept, CardRole::Company);
        } else if (name == u"TEL") {
            take(kept, telephoneRole(kept.property));
        } else if (name == u"EMAIL") {
            take(kept, CardRole::Email);
        } else if (name == u"URL") {
            take(kept, CardRole::Web);
        } else if (name == u"NOTE") {
            take(kept, CardRole::Note);
        } else if (name == u"ADR") {
            if (kept.property.hasType(u"work"))
                take(kept, CardRole::WorkAddress);
            else if (kept.property.hasType(u"home"))
                take(kept, CardRole::HomeAddress);
        }
    }
    for (KeptProperty &kept : contact.properties) {
        if (kept.role != CardRole::None)
            continue;
        if (kept.property.name == u"TEL" && !kept.property.hasType(u"fax"))
            take(kept, CardRole::HomePhone) || take(kept, CardRole::WorkPhone);
        else if (kept.property.name == u"TEL")
            take(kept, CardRole::HomeFax);
        else if (kept.property.name == u"ADR")
            take(kept, CardRole::HomeAddress) || take(kept, CardRole::WorkAddress);
    }
    // A card without names, as companies often are, is filed under its display name.
    if (!taken[static_cast<int>(CardRole::Name)]) {
        for (KeptProperty &kept : contact.properties) {
            if (kept.property.name == u"FN" && !kept.property.text().isEmpty()
                && take(kept, CardRole::NameOnly))
                break;
        }
        // Without any name, the company, the e-mail or the number stand for it: the contact must
        // have a line in the index to be found at all.
        for (const Field stand :
            {Field::Azienda, Field::Internet, Field::Cellulare, Field::HomePhone, Field::WorkPhone}) {
            if (taken[static_cast<int>(CardRole::NameOnly)] || contact.record.value(Field::LastName))
                break;
            if (contact.record.value(stand))
                contact.record.setValue(Field::LastName, *contact.record.value(stand));
        }
    }
    return contact;
}

QList<KeptProperty> exportedProperties(const CardContact &contact)
{
    QList<KeptProperty> out;
    std::array<bool, std::size(Roles)> present{};
    for (const KeptProperty &kept : contact.properties) {
        present[static_cast<int>(kept.role)] = true;
        if (kept.role == CardRole::None || boxesMatch(kept.role, kept.property, contact.record))
            out.append(kept);
        else if (!boxesEmpty(kept.role, contact.record))
            out.append({kept.role, rewritten(kept.role, kept.property, contact.record)});
    }
    // A contact filed under its FN or ORG gets an N too: 3.0 asks every card for one.
    for (const RoleInfo &role : Roles) {
        if (role.role != CardRole::None && role.role != CardRole::NameOnly
            && !present[static_cast<int>(role.role)] && !boxesEmpty(role.role, contact.record))
            out.append({role.role, newProperty(role.role, contact.record)});
    }
    if (std::none_of(
            out.begin(), out.end(), [](const KeptProperty &kept) { return kept.property.name == u"FN"; })) {
        // Every vCard has a display name: the names as the card shows them.
        const QString shown = (contact.record.value(Field::FirstName).value_or(QString()) + u' '
            + contact.record.value(Field::LastName).value_or(QString()))
                                  .trimmed();
        out.prepend({CardRole::None, {QString(), QStringLiteral("FN"), {}, escapeVCardText(shown), {}}});
    }
    return out;
}

VCard vCardFromContact(const CardContact &contact)
{
    VCard card;
    for (const KeptProperty &kept : exportedProperties(contact))
        card.properties.append(kept.property);
    return card;
}
