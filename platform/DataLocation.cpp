#include "platform/DataLocation.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace {

// The existing entry of dir whose name equals fileName, or an empty string.
QString existingEntry(const QDir &dir, const QString &fileName, bool caseInsensitive)
{
    if (!caseInsensitive)
        return QFileInfo::exists(dir.filePath(fileName)) ? dir.filePath(fileName) : QString();
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &entry : entries) {
        if (entry.compare(fileName, Qt::CaseInsensitive) == 0)
            return dir.filePath(entry);
    }
    return {};
}

bool directoryWritable(const QString &path)
{
    const QFileInfo info(path);
    return info.isDir() && info.isWritable();
}

} // namespace

DataFileLocation locateDataFile(const QString &programDir, const QString &fileName, bool caseInsensitive)
{
    if (QString found = existingEntry(QDir(programDir), fileName, caseInsensitive); !found.isEmpty())
        return {found, {}};

    const QString dataDir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (dataDir.isEmpty() || !QDir().mkpath(dataDir) || !directoryWritable(dataDir)) {
        return {{},
            QStringLiteral("Non è possibile salvare il file %1: la cartella dei dati dell'utente (%2) "
                           "non è scrivibile.")
                .arg(fileName,
                    dataDir.isEmpty() ? QStringLiteral("non disponibile")
                                      : QDir::toNativeSeparators(dataDir))};
    }
    const QDir data(dataDir);
    if (QString found = existingEntry(data, fileName, caseInsensitive); !found.isEmpty())
        return {found, {}};
    return {data.filePath(fileName), {}};
}

QString resolveTypedPath(const QString &typed)
{
    QString path = typed;
    if (path == QLatin1String("~") || path.startsWith(QLatin1String("~/")))
        path.remove(0, 1).prepend(QDir::homePath());
    return QDir::cleanPath(QDir::home().absoluteFilePath(path));
}

QString shownPath(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

QString rememberedPath(const QString &key)
{
    const QString last = QSettings().value(key).toString();
    return last.isEmpty() ? QDir::toNativeSeparators(QDir::homePath() + QLatin1Char('/')) : last;
}
