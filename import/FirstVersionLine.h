// One line of the first version's text file: the name in characters 1 to 53 (last name, first
// name, then the address), character 54 unused, the telephone from character 55.
#pragma once

#include <QString>

#include <optional>

struct FirstVersionContact
{
    QString lastName;
    QString firstName;
    QString workAddress;
    QString workPhone;

    bool operator==(const FirstVersionContact &) const = default;
};

// Drops the leading characters that, upper-cased, are not a letter A to Z; the rest stays as it is,
// case and apostrophes included ("D'Amico"). Every name it returns passes the first-character
// check of a save.
QString CleanImportName(const QString &name);

// The contact a line stands for, or nothing when its name part is blank or cleans down to nothing.
// Columns are counted in characters of the decoded line. Values longer than their field are cut
// to it, so one overlong word does not stop a long import.
std::optional<FirstVersionContact> parseFirstVersionLine(const QString &line);
