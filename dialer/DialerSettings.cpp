#include "dialer/DialerSettings.h"

#include <QSettings>

namespace {

const QString portKey = QStringLiteral("porta");

} // namespace

std::optional<QString> rememberedPort()
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Rubrello"),
        QStringLiteral("rubrello-dialer"));
    if (!settings.contains(portKey))
        return std::nullopt;
    return settings.value(portKey).toString();
}

void rememberPort(const QString &port)
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Rubrello"),
        QStringLiteral("rubrello-dialer"));
    settings.setValue(portKey, port);
}
