#include "app/SingleInstance.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QSysInfo>
#include <QThread>
#include <QTimer>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// One line each way: the later start's request (with its desktop activation token, if it has one) and
// the running instance's answer.
const QByteArray ActivateRequest = QByteArrayLiteral("activate");
const QByteArray Acknowledged = QByteArrayLiteral("ok");
constexpr qint64 LongestRequest = 512;

// A socket path must fit in sockaddr_un (108 bytes on Linux, 104 elsewhere).
constexpr qsizetype LongestSocketPath = 100;

// A later start connects and asks at once. Anything that keeps a connection open without asking is a
// stray or a flood, and every connection held costs a file handle: the running instance holds a few
// at a time and no one for long.
constexpr qsizetype MostConnections = 8;
constexpr std::chrono::milliseconds LongestSilence = std::chrono::seconds(2);

// Qt's server stops listening for good, without a word, when it cannot take a connection in (no file
// handle left): the running instance looks this often and listens again.
constexpr std::chrono::milliseconds ListenerCheck = std::chrono::seconds(1);

QString userIdentity()
{
#ifdef Q_OS_UNIX
    return QString::number(::getuid());
#else
    return qEnvironmentVariable("USERNAME");
#endif
}

int remainingMs(const QDeadlineTimer &deadline)
{
    return int(qMax<qint64>(10, deadline.remainingTime()));
}

// Only in a folder no one else can write to is the lock or the socket there surely ours: another user
// who planted them first would otherwise keep the program from starting. The folder itself is looked
// at, not what a link there points to.
bool isPrivateFolder(const QString &path)
{
#ifdef Q_OS_UNIX
    struct stat info = {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() && (info.st_mode & 077) == 0;
#else
    return QFileInfo(path).isDir();
#endif
}

// A folder found already made is taken only when it is private: whoever made it may not be this user.
bool makePrivateFolder(const QString &path)
{
#ifdef Q_OS_UNIX
    if (::mkdir(QFile::encodeName(path).constData(), 0700) != 0 && errno != EEXIST)
        return false;
#else
    QDir().mkpath(path);
#endif
    return isPrivateFolder(path);
}

} // namespace

InstanceAddress instanceAddress(const QString &programDir)
{
    const QString runtimeDir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    QCryptographicHash hash(QCryptographicHash::Sha256);
    QString program = QFileInfo(programDir).canonicalFilePath();
    if (program.isEmpty())
        program = QDir(programDir).absolutePath();
    // The host counts too: a home shared between machines must not share a lock whose owner the other
    // machine cannot see.
    for (const QString &part :
        {userIdentity(), QDir::homePath(), runtimeDir, program, QSysInfo::machineHostName()}) {
        hash.addData(part.toUtf8());
        hash.addData(QByteArrayView("\0", 1));
    }
    const QString name = QStringLiteral("rubrello-") + QString::fromLatin1(hash.result().toHex().left(16));

    // The runtime directory is the user's own, when it really is. Without one (su, ssh, cron) a folder
    // of our own in the temporary directory; when someone else took its name first, one in the
    // user's cache.
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    const struct
    {
        QString folder;
        bool ours;
    } candidates[] = {
        {QDir::isAbsolutePath(runtimeDir) ? runtimeDir : QString(), false},
        {QDir(QDir::tempPath()).filePath(QStringLiteral("rubrello-") + userIdentity()), true},
        {cache.isEmpty() ? QString() : QDir(cache).filePath(QStringLiteral("rubrello-instance")), true},
    };
    for (const auto &candidate : candidates) {
        if (candidate.folder.isEmpty())
            continue;
        const QString server = QDir(candidate.folder).filePath(name);
        if (QFile::encodeName(server).size() > LongestSocketPath)
            continue;
        if (candidate.ours)
            QDir().mkpath(QFileInfo(candidate.folder).absolutePath());
        if (candidate.ours ? makePrivateFolder(candidate.folder) : isPrivateFolder(candidate.folder))
            return {server, server + QStringLiteral(".lock")};
    }
    return {};
}

SingleInstance::SingleInstance(InstanceAddress address, QObject *parent)
    : QObject(parent)
    , m_address(std::move(address))
    , m_lock(m_address.lockFile)
{
    // Only a dead owner makes the lock stale: a program may run for weeks.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close();
}

SingleInstance::Start SingleInstance::start(std::chrono::milliseconds patience)
{
    if (m_address.lockFile.isEmpty()) {
        qWarning("Rubrello: no folder of this user's own for the lock; this start runs on its own");
        return Start::First;
    }
    const QDeadlineTimer deadline(patience);
    for (;;) {
        if (m_lock.tryLock(0)) {
            listen();
            return Start::First;
        }
        // Where no lock can be made at all (an unwritable directory) the program runs on its own.
        if (m_lock.error() != QLockFile::LockFailedError)
            return Start::First;
        if (askRunningInstance(std::chrono::milliseconds(remainingMs(deadline))))
            return Start::HandedOver;
        if (deadline.hasExpired())
            return Start::Unanswered;
        // The running one may have taken the lock and not be listening yet, or may just have ended.
        QThread::msleep(50);
    }
}

void SingleInstance::setWindow(QWidget *window)
{
    m_window = window;
}

QString SingleInstance::unansweredMessage()
{
    return QStringLiteral("Rubrello è già aperto, ma non risponde.\n\n"
                          "Chiudere il programma già aperto e avviarlo di nuovo.");
}

void SingleInstance::listen()
{
    if (!m_server) {
        m_server = new QLocalServer(this);
        m_server->setSocketOptions(QLocalServer::UserAccessOption);
        connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
        auto *check = new QTimer(this);
        connect(check, &QTimer::timeout, this, [this] {
            if (!m_server->isListening())
                listen();
        });
        check->start(ListenerCheck);
    }
    // Holding the lock means no other instance runs, so a socket there is from one that crashed or
    // from this one's listener that stopped.
    QLocalServer::removeServer(m_address.serverName);
    if (m_server->listen(m_address.serverName)) {
        m_listenFailureReported = false;
        return;
    }
    if (!m_listenFailureReported)
        qWarning("Rubrello: later starts cannot reach this one (%s)", qPrintable(m_server->errorString()));
    m_listenFailureReported = true;
}

bool SingleInstance::askRunningInstance(std::chrono::milliseconds patience)
{
    const QDeadlineTimer deadline(patience);
    QLocalSocket socket;
    socket.connectToServer(m_address.serverName);
    if (!socket.waitForConnected(remainingMs(deadline)))
        return false;
    QByteArray request = ActivateRequest;
    if (const QByteArray token = qgetenv("XDG_ACTIVATION_TOKEN").trimmed(); !token.isEmpty())
        request += ' ' + token.left(LongestRequest - ActivateRequest.size() - 2);
    socket.write(request + '\n');
    if (!socket.waitForBytesWritten(remainingMs(deadline)))
        return false;
    while (!socket.canReadLine()) {
        if (deadline.hasExpired() || !socket.waitForReadyRead(remainingMs(deadline)))
            return false;
    }
    return socket.readLine().trimmed() == Acknowledged;
}

void SingleInstance::acceptConnections()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        // The one that has waited longest gives way: a later start arriving in a flood is among the
        // newest and asks at once.
        if (m_connections.size() >= MostConnections)
            m_connections.takeFirst()->abort();
        m_connections.append(socket);
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
            m_connections.removeOne(socket);
            socket->deleteLater();
        });
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { answer(socket); });
        QTimer::singleShot(LongestSilence, socket, &QLocalSocket::abort);
        if (socket->bytesAvailable() > 0)
            answer(socket);
    }
}

void SingleInstance::answer(QLocalSocket *socket)
{
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > LongestRequest)
            socket->abort();
        return;
    }
    const QByteArray line = socket->readLine(LongestRequest).trimmed();
    const QByteArray token = line.mid(ActivateRequest.size()).trimmed();
    if (!line.startsWith(ActivateRequest)
        || (line.size() > ActivateRequest.size() && line[ActivateRequest.size()] != ' ')) {
        socket->abort();
        return;
    }
    socket->write(Acknowledged + '\n');
    socket->flush();
    socket->disconnectFromServer();

    // On Wayland only a token from the later start lets the window take the focus.
    if (!token.isEmpty() && QGuiApplication::platformName() == QLatin1String("wayland"))
        qputenv("XDG_ACTIVATION_TOKEN", token);
    bringToFront(m_window);
    emit activationRequested();
}

void bringToFront(QWidget *window)
{
    if (window && window->isMinimized())
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    QWidget *target = QApplication::activeModalWidget();
    if (!target)
        target = window;
    if (!target || !target->isVisible())
        return;
    if (target->isMinimized())
        target->setWindowState(target->windowState() & ~Qt::WindowMinimized);
    target->raise();
    target->activateWindow();
}
