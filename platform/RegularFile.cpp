#include "platform/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QLocale>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool openRegularFile(QFile &file, const QString &path, qint64 limit, QString *reason)
{
    const QString shown = QDir::toNativeSeparators(path);
    // Without O_NONBLOCK the opening of a pipe would wait for a writer, for ever.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *reason = QStringLiteral("Impossibile aprire %1: %2.")
                      .arg(shown, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    struct stat info
    {
    };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        *reason = QStringLiteral("%1 non è un file normale (è una cartella, una pipe o un dispositivo) e non "
                                 "viene letto.")
                      .arg(shown);
        return false;
    }
    if (info.st_size > limit) {
        ::close(fd);
        const QLocale italian(QLocale::Italian);
        *reason = QStringLiteral("Il file %1 è troppo grande (%2): ne vengono letti al massimo %3.")
                      .arg(shown, italian.formattedDataSize(info.st_size), italian.formattedDataSize(limit));
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        *reason = file.errorString();
        return false;
    }
    return true;
}
