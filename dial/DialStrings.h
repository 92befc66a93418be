// The five strings of the last dial dialog, one per number of the shown contact, kept for the whole run.
#pragma once

#include <QString>

#include <array>

// Entry order: work phone, home phone, work fax, home fax, mobile.
enum DialEntry { WorkPhoneEntry, HomePhoneEntry, WorkFaxEntry, HomeFaxEntry, MobileEntry, DialEntryCount };

using DialStringArray = std::array<QString, DialEntryCount>;

DialStringArray &DialStrings();
