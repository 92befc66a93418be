// The rules a contact's names follow when the user saves them.
#pragma once

#include <QString>

// True when the first character, upper-cased, is one of the letters A to Z.
bool nameStartAccepted(const QString &name);
