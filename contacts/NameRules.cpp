#include "contacts/NameRules.h"

bool nameStartAccepted(const QString &name)
{
    if (name.isEmpty())
        return false;
    const QString first = name.left(1).toUpper();
    return first.size() == 1 && first.at(0) >= QLatin1Char('A') && first.at(0) <= QLatin1Char('Z');
}
