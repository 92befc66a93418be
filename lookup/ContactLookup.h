// Who has a number, and which contacts hold a text, answered from the tables beside PhoneList:
// only the contacts they point to, and those written since they were brought up to date, are read
// and tested by the rule itself. Without the tables (a store this version has not yet written,
// one that can only be read) every contact is read: slower, with the same answers.
#pragma once

#include "contacts/ContactStore.h"
#include "search/SearchEngine.h"
#include "search/SearchSnapshot.h"

#include <QString>

#include <string>
#include <vector>

struct NumberMatch
{
    ContactName names;
    const char *label; // which number it is ("Cellulare")
};

struct NumberAnswer
{
    // In the agenda's order; a contact's numbers in the card's order.
    std::vector<NumberMatch> matches;
    // Why the contacts could not be read; empty when they were.
    QString failure;
};

// The contacts with a number whose key (numberKey()) is key.
NumberAnswer findByNumber(const ContactStore &store, const std::string &key);

struct TextAnswer
{
    // The searched fields of every hit, and maybe of other contacts.
    SearchSnapshot rows;
    // The rows of the hits, in the agenda's order.
    std::vector<int> hits;
    QString failure;
};

// The contacts holding text by the search's rule (case ignored or not, fields of scope), and those
// otherHits names (SearchEngine::setOtherTextHits); "*" or nothing finds the whole agenda.
TextAnswer findByText(const ContactStore &store, const QString &text, bool ignoreCase, int scope,
    const OtherTextHits &otherHits = {});
