// Groups of contacts that may be one person: contacts sharing a number or an e-mail address, or
// whose names are the same or very close (one edit apart on names of five letters or more, or the
// words of one name beginning the other's, two words at least: "Rossi Giovanni" and "Rossi Giovanni
// Battista"). A group is every contact linked to another by one of these, pairs the user said are
// not duplicates aside. Found through keys, without comparing every pair.
#pragma once

#include "duplicates/ContactKeys.h"

#include <QString>

#include <span>
#include <string>
#include <unordered_map>
#include <vector>

enum class DuplicateReason { SameNumber, SameEmail, SameName, SimilarName };

struct DuplicateEvidence
{
    DuplicateReason reason;
    std::string key; // the number or the address; empty for the names

    bool operator==(const DuplicateEvidence &) const = default;
};

struct DuplicateGroup
{
    std::vector<qint64> ids; // in the order of contacts given
    std::vector<DuplicateEvidence> evidence; // each once, by reason
};

// The pairs the user said are not duplicates, each way.
class NotDuplicatePairs
{
public:
    void add(qint64 a, qint64 b);
    bool contains(qint64 a, qint64 b) const;
    bool involves(qint64 id) const { return m_partners.contains(id); }
    bool empty() const { return m_partners.empty(); }

private:
    std::unordered_map<qint64, std::vector<qint64>> m_partners;
};

// The groups among contacts, in the order of their first contact.
std::vector<DuplicateGroup> findDuplicateGroups(
    std::span<const ContactKeys> contacts, const NotDuplicatePairs &notDuplicates = {});

// Why a group was proposed, in words: "Stesso numero +39 02 123 4567; nome simile".
QString evidenceText(const std::vector<DuplicateEvidence> &evidence);

// Whether two names' keys are one edit apart (a character added, removed or replaced).
bool oneEditApart(std::u32string_view a, std::u32string_view b);
