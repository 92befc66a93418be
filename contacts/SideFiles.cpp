#include "contacts/SideFiles.h"

#include <QFile>
#include <QFileInfo>

bool existsWithSideFiles(const QString &path)
{
    if (QFileInfo::exists(path))
        return true;
    for (const char *suffix : SideSuffixes) {
        if (QFileInfo::exists(path + QLatin1String(suffix)))
            return true;
    }
    return false;
}

bool removeWithSideFiles(const QString &path)
{
    for (const char *suffix : SideSuffixes)
        QFile::remove(path + QLatin1String(suffix));
    QFile::remove(path);
    return !existsWithSideFiles(path);
}
