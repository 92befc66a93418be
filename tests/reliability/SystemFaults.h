// Real faults of the system for tests run as root: a small file system of its own (to fill up) and
// files made immutable (root ignores permissions but not this). Each undoes itself when it goes.
#pragma once

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <unistd.h>

// A tmpfs of the given size mounted on a fresh directory.
class ScratchMount
{
public:
    explicit ScratchMount(const QString &size)
        : m_mounted(geteuid() == 0
            && QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=" + size, "tmpfs", m_dir.path()}) == 0)
    {
    }
    ~ScratchMount()
    {
        if (m_mounted)
            QProcess::execute("umount", {"-l", m_dir.path()});
    }
    bool mounted() const { return m_mounted; }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    bool m_mounted;
};

// Writes into a file until the file system has no room left; removing the file gives it back.
inline bool fillUp(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray block(64 * 1024, 'x');
    while (file.write(block) == block.size() && file.flush()) { }
    // Then byte by byte, so not even a small page fits.
    while (file.write("x", 1) == 1 && file.flush()) { }
    return true;
}

// Files marked immutable: even root, even through descriptors already open, cannot write them.
class Immutable
{
public:
    explicit Immutable(const QStringList &paths)
        : m_paths(paths)
        , m_set(QProcess::execute(QStringLiteral("chattr"), QStringList{QStringLiteral("+i")} + paths) == 0)
    {
    }
    ~Immutable()
    {
        if (m_set)
            QProcess::execute(QStringLiteral("chattr"), QStringList{QStringLiteral("-i")} + m_paths);
    }
    bool set() const { return m_set; }

private:
    QStringList m_paths;
    bool m_set;
};
