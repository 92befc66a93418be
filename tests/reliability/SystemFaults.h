// Real faults of the system for tests run as root: a small file system of its own (to fill up),
// files made immutable (root ignores permissions but not this), another process holding the store.
// Each undoes itself when it goes out of scope.
#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>

#include <unistd.h>

inline bool runQuietly(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit
        && process.exitCode() == 0;
}

// A tmpfs of the given size mounted on a fresh directory.
class ScratchMount
{
public:
    explicit ScratchMount(const QString &size)
    {
        m_path = m_parent.filePath(QStringLiteral("mnt"));
        QDir().mkpath(m_path);
        m_mounted = geteuid() == 0
            && runQuietly(QStringLiteral("mount"),
                {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                    QStringLiteral("size=") + size, QStringLiteral("tmpfs"), m_path});
    }
    ~ScratchMount()
    {
        if (m_mounted)
            runQuietly(QStringLiteral("umount"), {QStringLiteral("-l"), m_path});
    }
    bool mounted() const { return m_mounted; }
    QString filePath(const QString &name) const { return m_path + u'/' + name; }

private:
    QTemporaryDir m_parent;
    QString m_path;
    bool m_mounted = false;
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
    const QByteArray one(1, 'x');
    while (file.write(one) == 1 && file.flush()) { }
    return true;
}

// Files marked immutable: even root, even through descriptors already open, cannot write them.
class Immutable
{
public:
    explicit Immutable(QStringList paths)
        : m_paths(std::move(paths))
    {
        m_set = !QStandardPaths::findExecutable(QStringLiteral("chattr")).isEmpty()
            && runQuietly(QStringLiteral("chattr"), QStringList {QStringLiteral("+i")} + m_paths);
    }
    ~Immutable() { release(); }
    bool set() const { return m_set; }
    void release()
    {
        if (m_set)
            runQuietly(QStringLiteral("chattr"), QStringList {QStringLiteral("-i")} + m_paths);
        m_set = false;
    }

private:
    QStringList m_paths;
    bool m_set = false;
};

// The sqlite3 shell holding a write transaction on the file until release().
class LockingProcess
{
public:
    explicit LockingProcess(const QString &path)
    {
        const QString shell = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
        if (shell.isEmpty())
            return;
        m_process.start(shell, {path});
        if (!m_process.waitForStarted())
            return;
        // The marker comes back only once the lock is held.
        m_process.write("BEGIN EXCLUSIVE;\nINSERT INTO PhoneList (LastName) VALUES ('altro programma');\n"
                        "SELECT 'locked';\n");
        while (!m_process.readAllStandardOutput().contains("locked") && m_process.waitForReadyRead(10000)) { }
        m_locked = m_process.state() == QProcess::Running;
    }
    ~LockingProcess() { release(); }
    bool locked() const { return m_locked; }
    // Lets the other program go without writing anything.
    void release()
    {
        if (m_process.state() == QProcess::Running) {
            m_process.write("ROLLBACK;\n.quit\n");
            m_process.closeWriteChannel();
            if (!m_process.waitForFinished(10000))
                m_process.kill();
        }
        m_locked = false;
    }

private:
    QProcess m_process;
    bool m_locked = false;
};
