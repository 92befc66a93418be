#include "duplicates/ContactMerge.h"

#include "contacts/ContactStore.h"
#include "dial/NumberKey.h"
#include "exchange/CardProperties.h"
#include "history/HistoryRecording.h"

#include <QSet>

#include <algorithm>

namespace {

constexpr std::array<Field, 4> WorkAddressBlock
    = {Field::WorkAddress, Field::WorkCity, Field::WorkProv, Field::WorkPostalCode};
constexpr std::array<Field, 4> HomeAddressBlock
    = {Field::HomeAddress, Field::HomeCity, Field::HomeProv, Field::HomePostalCode};

bool filled(const ContactRecord &record, Field field)
{
    return !record.text(field).trimmed().isEmpty();
}

int filledCount(const ContactRecord &record)
{
    int count = 0;
    for (const FieldInfo &info : Fields)
        count += info.field != Field::ID && filled(record, info.field);
    return count;
}

// Properties that a card holds once, or that name the card itself: the merged contact keeps its own.
bool identifiesTheCard(const VCardProperty &property)
{
    static const QSet<QString> names = {QStringLiteral("N"), QStringLiteral("FN"), QStringLiteral("UID"),
        QStringLiteral("REV"), QStringLiteral("PRODID"), QStringLiteral("VERSION"), QStringLiteral("KIND")};
    return names.contains(property.name);
}

// What a property says, for telling whether the merged contact says it already.
QString sayingOf(const VCardProperty &property)
{
    const QString text = property.text();
    const QString value = property.name == u"TEL" ? QString::fromStdString(numberKey(text.toUtf8()))
                                                  : text.simplified().toCaseFolded();
    return property.name + u'\x1f' + value + u'\x1f' + QString::fromLatin1(property.data.toBase64());
}

// The properties of the merged contact: the first contact's own, then whatever the contacts held
// (their properties and their boxes' values) that the merged contact does not show, as other data.
QList<KeptProperty> mergedProperties(ContactStore &store, std::span<const ContactRecord> contacts,
    const ContactRecord &merged, bool *anyToWrite, QString *error)
{
    sqlite3 *db = store.connection();
    std::vector<QList<KeptProperty>> kept;
    for (const ContactRecord &contact : contacts) {
        kept.push_back(readCardProperties(db, contact.id, error));
        if (!error->isEmpty())
            return {};
    }
    QList<KeptProperty> properties = kept.front();
    QSet<QString> said;
    for (const KeptProperty &property : exportedProperties(CardContact{merged, properties}))
        said.insert(sayingOf(property.property));
    // A note the merged notes hold whole is said already, joined with the others.
    const QString mergedNote = merged.text(Field::Note).simplified().toCaseFolded();
    const auto inMergedNote = [&](const VCardProperty &property) {
        return property.name == u"NOTE" && mergedNote.contains(property.text().simplified().toCaseFolded());
    };
    bool added = false;
    for (size_t i = 0; i < contacts.size(); ++i) {
        for (KeptProperty property : exportedProperties(CardContact{contacts[i], kept[i]})) {
            if (identifiesTheCard(property.property) || said.contains(sayingOf(property.property))
                || inMergedNote(property.property))
                continue;
            said.insert(sayingOf(property.property));
            // A group ties a label to its property ("item1.X-ABLabel"): each contact's stay apart.
            if (!property.property.group.isEmpty())
                property.property.group = QStringLiteral("m%1%2").arg(i).arg(property.property.group);
            property.role = CardRole::None;
            properties.append(property);
            added = true;
        }
    }
    *anyToWrite = added || !kept.front().isEmpty();
    return properties;
}

} // namespace

void orderForMerge(std::vector<ContactRecord> &contacts)
{
    std::stable_sort(contacts.begin(), contacts.end(), [](const ContactRecord &a, const ContactRecord &b) {
        const int filledA = filledCount(a);
        const int filledB = filledCount(b);
        return filledA != filledB ? filledA > filledB : a.id < b.id;
    });
}

MergeChoice defaultMergeChoice(std::span<const ContactRecord> contacts)
{
    MergeChoice choice;
    const auto firstFilled = [&](std::span<const Field> fields) {
        for (size_t i = 0; i < contacts.size(); ++i) {
            if (std::any_of(
                    fields.begin(), fields.end(), [&](Field field) { return filled(contacts[i], field); }))
                return int(i);
        }
        return 0;
    };
    for (const FieldInfo &info : Fields) {
        const Field field = info.field;
        choice.from[fieldIndex(field)] = firstFilled(std::span<const Field>(&field, 1));
    }
    for (const auto &block : {WorkAddressBlock, HomeAddressBlock}) {
        const int from = firstFilled(block);
        for (const Field field : block)
            choice.from[fieldIndex(field)] = from;
    }
    const auto withNotes = std::count_if(
        contacts.begin(), contacts.end(), [](const ContactRecord &c) { return filled(c, Field::Note); });
    if (withNotes > 1
        && joinedNotes(contacts) != contacts[size_t(choice.from[fieldIndex(Field::Note)])].text(Field::Note))
        choice.from[fieldIndex(Field::Note)] = MergeChoice::JoinedNotes;
    return choice;
}

QString joinedNotes(std::span<const ContactRecord> contacts)
{
    QStringList notes;
    for (const ContactRecord &contact : contacts) {
        const QString note = contact.text(Field::Note).trimmed();
        if (!note.isEmpty() && !notes.contains(note))
            notes.append(note);
    }
    QStringList kept;
    for (const QString &note : notes) {
        const bool heldByAnother = std::any_of(notes.begin(), notes.end(),
            [&](const QString &other) { return other != note && other.contains(note); });
        if (!heldByAnother)
            kept.append(note);
    }
    return kept.join(QStringLiteral("\n"));
}

ContactRecord mergedRecord(std::span<const ContactRecord> contacts, const MergeChoice &choice)
{
    ContactRecord merged = contacts.front();
    for (const FieldInfo &info : Fields) {
        if (info.field == Field::ID)
            continue;
        const int from = choice.from[fieldIndex(info.field)];
        if (from == MergeChoice::JoinedNotes) {
            const QString notes = joinedNotes(contacts);
            merged.setValue(info.field, notes.isEmpty() ? FieldValue() : FieldValue(notes));
        } else {
            merged.setValue(info.field, contacts[size_t(from)].value(info.field));
        }
    }
    return merged;
}

bool mergeContacts(
    ContactStore &store, std::span<const ContactRecord> contacts, const ContactRecord &merged, QString *error)
{
    error->clear();
    ContactStore::Batch batch(store);
    sqlite3 *db = store.connection();
    if (!batch.ok() || !db) {
        *error = store.lastError();
        return false;
    }
    if (!ensureCardPropertiesTable(db, error))
        return false;
    bool anyToWrite = false;
    const QList<KeptProperty> properties = mergedProperties(store, contacts, merged, &anyToWrite, error);
    if (!error->isEmpty())
        return false;
    const HistoryRecording recording(
        store, mergeLabel(merged.displayName()), HistoryRecording::Removal::ToTrash);
    ContactRecord stays = merged;
    stays.id = contacts.front().id;
    // Each write fails when the contact is no longer as it was read: the batch then takes all back.
    if (!store.update(stays, &contacts.front())) {
        *error = store.lastError();
        return false;
    }
    if (anyToWrite) {
        CardPropertiesWriter writer(db);
        if (!writer.write(stays.id, preparedContact(CardContact{stays, properties}), error))
            return false;
    }
    for (const ContactRecord &goes : contacts.subspan(1)) {
        bool read = false;
        const std::optional<ContactRecord> now = store.read(goes.id, &read);
        if (!read) {
            *error = store.lastError();
            return false;
        }
        if (!now || now->values != goes.values) {
            *error = QStringLiteral("%1 è stato modificato o cancellato da un altro programma dopo che è "
                                    "stato letto.")
                         .arg(goes.displayName());
            return false;
        }
        if (!store.remove(goes.id)) {
            *error = store.lastError();
            return false;
        }
    }
    if (!batch.commit()) {
        *error = store.lastError();
        return false;
    }
    return true;
}

QString mergeLabel(const QString &name)
{
    return QStringLiteral("l'unione di %1").arg(name);
}
