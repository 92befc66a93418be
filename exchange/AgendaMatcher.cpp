#include "exchange/AgendaMatcher.h"

#include "contacts/ContactStore.h"
#include "contacts/SqliteRows.h"
#include "dial/NumberKey.h"
#include "exchange/CardProperties.h"
#include "text/MatchKeys.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::array<Field, 5> NumberFields
    = {Field::Cellulare, Field::WorkPhone, Field::HomePhone, Field::WorkFax, Field::HomeFax};

std::vector<std::string> numberKeys(const std::vector<std::string> &numbers)
{
    std::vector<std::string> keys;
    for (const std::string &number : numbers) {
        std::string key = numberKey(QByteArrayView(number.data(), qsizetype(number.size())));
        if (!key.empty())
            keys.push_back(std::move(key));
    }
    return keys;
}

} // namespace

QString contactUid(const CardContact &contact)
{
    for (const KeptProperty &kept : contact.properties) {
        if (kept.property.name == u"UID")
            return kept.property.text();
    }
    return {};
}

bool AgendaMatcher::load(const ContactStore &store, QString *error)
{
    constexpr std::array<Field, 8> Read = {Field::LastName, Field::FirstName, Field::Internet,
        Field::Cellulare, Field::WorkPhone, Field::HomePhone, Field::WorkFax, Field::HomeFax};
    const bool read = store.scanTexts(
        Read, [&](qint64 id, std::span<const std::optional<QByteArrayView>> values) {
            const auto text = [&](size_t i) { return values[i] ? QString::fromUtf8(*values[i]) : QString(); };
            Known known{id, {}, emailKey(text(2)), std::nullopt};
            for (size_t i = 3; i < Read.size(); ++i) {
                if (values[i] && !values[i]->isEmpty())
                    known.numbers.emplace_back(values[i]->data(), size_t(values[i]->size()));
            }
            m_byName[nameKey(text(0), text(1))].push_back(std::move(known));
        });
    if (!read) {
        *error = store.lastError();
        return false;
    }
    if (sqlite3 *db = store.connection()) {
        for (const auto &[id, properties] : readAllCardProperties(db, error, "UID").asKeyValueRange()) {
            for (const KeptProperty &kept : properties) {
                if (kept.property.name == u"UID" && !kept.property.text().isEmpty())
                    m_byUid.insert(kept.property.text(), id);
            }
        }
    }
    return true;
}

std::optional<qint64> AgendaMatcher::find(const CardContact &contact) const
{
    // An empty agenda, the one an agenda's own export is brought back into, knows nobody.
    if (m_byName.empty() && m_byUid.isEmpty())
        return std::nullopt;
    const QString uid = contactUid(contact);
    if (!uid.isEmpty()) {
        if (const auto known = m_byUid.constFind(uid); known != m_byUid.cend())
            return *known;
    }
    const auto sameName
        = m_byName.find(nameKey(contact.record.text(Field::LastName), contact.record.text(Field::FirstName)));
    if (sameName == m_byName.end())
        return std::nullopt;
    std::vector<std::string> numbers;
    for (const Field field : NumberFields) {
        const FieldValue &value = contact.record.value(field);
        if (value && std::any_of(value->begin(), value->end(), [](QChar c) { return c.isDigit(); }))
            numbers.push_back(value->toStdString());
    }
    // A number written alike is the same without asking libphonenumber: a file brought in again
    // is known at once.
    const std::string email = emailKey(contact.record.text(Field::Internet));
    for (const Known &known : sameName->second) {
        const bool writtenAlike = std::any_of(numbers.begin(), numbers.end(), [&](const std::string &number) {
            return std::find(known.numbers.begin(), known.numbers.end(), number) != known.numbers.end();
        });
        if (writtenAlike || (!email.empty() && email == known.email))
            return known.id;
    }
    const std::vector<std::string> keys = numberKeys(numbers);
    if (keys.empty())
        return std::nullopt;
    for (const Known &known : sameName->second) {
        if (!known.numberKeys)
            known.numberKeys = numberKeys(known.numbers);
        const bool sameNumber = std::any_of(keys.begin(), keys.end(), [&](const std::string &key) {
            return std::find(known.numberKeys->begin(), known.numberKeys->end(), key)
                != known.numberKeys->end();
        });
        if (sameNumber)
            return known.id;
    }
    return std::nullopt;
}
