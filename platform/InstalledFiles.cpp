#include "platform/InstalledFiles.h"

#include <QDir>
#include <QFileInfo>

namespace {

// Relative to the program's directory; the installation is moved as a whole (another prefix, dpkg -x).
const QString SharedDataFromProgram = QStringLiteral("../share/rubrello");
const QString HelpPageName = QStringLiteral("Rubrello.html");

QString sharedDataDir(const QString &programDir)
{
    return QDir::cleanPath(QDir(programDir).filePath(SharedDataFromProgram));
}

bool isSystemDirectory(const QString &absoluteDir)
{
#ifdef Q_OS_WIN
    Q_UNUSED(absoluteDir);
    return false;
#else
    return absoluteDir == QLatin1String("/bin") || absoluteDir.startsWith(QLatin1String("/usr/"))
        || absoluteDir.startsWith(QLatin1String("/opt/"));
#endif
}

} // namespace

bool isInstalledProgram(const QString &programDir)
{
    const QString dir = QDir::cleanPath(QFileInfo(programDir).absoluteFilePath());
    if (QFileInfo(dir).fileName() != QLatin1String("bin"))
        return false;
    return QFileInfo(sharedDataDir(dir)).isDir() || isSystemDirectory(dir);
}

QString helpPageFile(const QString &programDir)
{
    const QString beside = QDir(programDir).filePath(HelpPageName);
    if (QFileInfo::exists(beside))
        return beside;
    const QString shared = QDir(sharedDataDir(programDir)).filePath(HelpPageName);
    if (QFileInfo::exists(shared) || isInstalledProgram(programDir))
        return shared;
    return beside;
}

QString dialerProgramFile(const QString &programDir)
{
#ifdef Q_OS_WIN
    return QDir(programDir).filePath(QStringLiteral("rubrello-dialer.exe"));
#else
    return QDir(programDir).filePath(QStringLiteral("rubrello-dialer"));
#endif
}
