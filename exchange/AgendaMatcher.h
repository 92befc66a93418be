// Tells whether a contact coming in is one the agenda already holds: the same UID, or the same
// names (without regard to case and accents) and at least one same number or e-mail address.
#pragma once

#include "exchange/CardMapping.h"

#include <QHash>
#include <QString>

#include <optional>
#include <string>
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
        std::vector<std::string> numbers; // comparable digits
        QString email; // case folded
    };
    static QString nameKey(const FieldValue &lastName, const FieldValue &firstName);
    void remember(qint64 id, const FieldValue &lastName, const FieldValue &firstName,
        std::vector<std::string> numbers, QString email);

    QHash<QString, std::vector<Known>> m_byName;
    QHash<QString, qint64> m_byUid;
};

// The UID a contact came with, empty without one.
QString contactUid(const CardContact &contact);
