#include "exchange/AgendaMatcher.h"

#include "contacts/ContactOrder.h"
#include "contacts/ContactStore.h"
#include "contacts/SqliteRows.h"
#include "dial/NumberRules.h"
#include "exchange/CardProperties.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::array<Field, 5> NumberFields
    = {Field::Cellulare, Field::WorkPhone, Field::HomePhone, Field::WorkFax, Field::HomeFax};

std::vector<std::string> numbersOf(const ContactRecord &record)
{
    std::vector<std::string> numbers;
    std::string digits;
    for (const Field field : NumberFields) {
        if (const FieldValue &value = record.value(field)) {
            comparableDigits(value->toUtf8(), digits);
            if (!digits.empty())
                numbers.push_back(digits);
        }
    }
    return numbers;
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

QString AgendaMatcher::nameKey(const FieldValue &lastName, const FieldValue &firstName)
{
    return nameSortKey(lastName) + u'\x1f' + nameSortKey(firstName);
}

void AgendaMatcher::remember(qint64 id, const FieldValue &lastName, const FieldValue &firstName,
    std::vector<std::string> numbers, QString email)
{
    m_byName[nameKey(lastName, firstName)].push_back({id, std::move(numbers), std::move(email)});
}

bool AgendaMatcher::load(const ContactStore &store, QString *error)
{
    constexpr std::array<Field, 8> Read = {Field::LastName, Field::FirstName, Field::Cellulare,
        Field::WorkPhone, Field::HomePhone, Field::WorkFax, Field::HomeFax, Field::Internet};
    std::string digits;
    const bool read
        = store.scanTexts(Read, [&](qint64 id, std::span<const std::optional<QByteArrayView>> values) {
              const auto text = [&](size_t i) {
                  return values[i] ? FieldValue(QString::fromUtf8(*values[i])) : FieldValue();
              };
              std::vector<std::string> numbers;
              for (size_t i = 2; i < 7; ++i) {
                  if (!values[i])
                      continue;
                  comparableDigits(*values[i], digits);
                  if (!digits.empty())
                      numbers.push_back(digits);
              }
              remember(id, text(0), text(1), std::move(numbers), text(7).value_or(QString()).toCaseFolded());
          });
    if (!read) {
        *error = store.lastError();
        return false;
    }
    if (sqlite3 *db = store.connection()) {
        {
            for (const auto &[id, properties] : readAllCardProperties(db, error, "UID").asKeyValueRange()) {
                for (const KeptProperty &kept : properties) {
                    if (kept.property.name == u"UID" && !kept.property.text().isEmpty())
                        m_byUid.insert(kept.property.text(), id);
                }
            }
        }
    }
    return true;
}

std::optional<qint64> AgendaMatcher::find(const CardContact &contact) const
{
    // An empty agenda, the one an agenda's own export is brought back into, knows nobody.
    if (m_byName.isEmpty() && m_byUid.isEmpty())
        return std::nullopt;
    const QString uid = contactUid(contact);
    if (!uid.isEmpty()) {
        if (const auto known = m_byUid.constFind(uid); known != m_byUid.cend())
            return *known;
    }
    const auto sameName = m_byName.constFind(
        nameKey(contact.record.value(Field::LastName), contact.record.value(Field::FirstName)));
    if (sameName == m_byName.cend())
        return std::nullopt;
    const std::vector<std::string> numbers = numbersOf(contact.record);
    const QString email = contact.record.value(Field::Internet).value_or(QString()).toCaseFolded();
    for (const Known &known : *sameName) {
        const bool sameEmail = !email.isEmpty() && email == known.email;
        const bool sameNumber = std::any_of(numbers.begin(), numbers.end(), [&](const std::string &number) {
            return std::find(known.numbers.begin(), known.numbers.end(), number) != known.numbers.end();
        });
        if (sameEmail || sameNumber)
            return known.id;
    }
    return std::nullopt;
}
