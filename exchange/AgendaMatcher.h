// Tells whether a contact coming in is one the agenda already holds: the same UID, or the same
// names (folded and in any order, as the duplicates compare them) and at least one same number (in
// E.164) or e-mail address.
#pragma once

#include "exchange/CardMapping.h"

#include <QHash>
#include <QString>

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

class ContactStore;

class AgendaMatcher
{
public:
    // Reads the names, numbers and addresses of every contact, and the UIDs kept for them.
    bool load(const ContactStore &store, QString *error);

    // The contact of the agenda that contact is, if any. Only what the agenda held before the
    // import counts: two look-alikes of one file (an agenda's own export, say) both come in.
    std::optional<qint64> find(const CardContact &contact) const;

private:
    struct Known
    {
        qint64 id;
        std::vector<std::string> numbers; // as the boxes hold them, in UTF-8
        std::string email; // emailKey()
        // The numbers' keys, made the first time a contact of the same name comes in: parsing
        // every number of the agenda would cost more than the import.
        mutable std::optional<std::vector<std::string>> numberKeys;
    };

    std::unordered_map<std::string, std::vector<Known>> m_byName;
    QHash<QString, qint64> m_byUid;
};

// The UID a contact came with, empty without one.
QString contactUid(const CardContact &contact);
