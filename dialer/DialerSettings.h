// The dialer remembers the port chosen last time in its own settings, apart from the phone book's.
#pragma once

#include <QString>

#include <optional>

// The port chosen last time: empty for "no modem", nullopt when nothing was ever chosen.
std::optional<QString> rememberedPort();
void rememberPort(const QString &port);
