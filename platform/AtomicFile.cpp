#include "platform/AtomicFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

QString writeFileAtomically(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    // Unbuffered, a full disk fails the write itself: a buffered write reports success and the
    // failure of the later flush does not keep the save file from taking the old file's place.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return file.errorString();
    if (file.write(bytes) != bytes.size() || file.error() != QFileDevice::NoError) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason;
    }
    // The disk may still refuse blocks it only promised: ask before the rename, not after.
    if (::fsync(file.handle()) != 0) {
        const QString reason = QString::fromLocal8Bit(strerror(errno));
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return file.errorString();
    syncDirectoryOf(path);
    return {};
}

void syncDirectoryOf(const QString &filePath)
{
    const int fd
        = ::open(QFile::encodeName(QFileInfo(filePath).absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}
