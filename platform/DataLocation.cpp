#include "platform/DataLocation.h"

#include "platform/InstalledFiles.h"

#include <QDir>
#include <QFileInfo>
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
    const QDir program(programDir);
    if (QString found = existingEntry(program, fileName, caseInsensitive); !found.isEmpty())
        return {found, {}};
    // An installed program's directory stays free of user data even when it can be written (by root).
    if (directoryWritable(programDir) && !isInstalledProgram(programDir))
        return {program.filePath(fileName), {}};

    const QString dataDir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (dataDir.isEmpty() || !QDir().mkpath(dataDir) || !directoryWritable(dataDir)) {
        return {{},
                QStringLiteral("Non è possibile salvare il file %1: né la cartella del programma (%2) né la "
                               "cartella dei dati dell'utente (%3) sono scrivibili.")
                    .arg(fileName, QDir::toNativeSeparators(programDir),
                         dataDir.isEmpty() ? QStringLiteral("non disponibile") : QDir::toNativeSeparators(dataDir))};
    }
    const QDir data(dataDir);
    if (QString found = existingEntry(data, fileName, caseInsensitive); !found.isEmpty())
        return {found, {}};
    return {data.filePath(fileName), {}};
}
