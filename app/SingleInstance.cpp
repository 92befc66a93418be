#include "app/SingleInstance.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#ifdef Q_OS_UNIX
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

} // namespace

InstanceAddress instanceAddress(const QString &programDir)
{
    const QString runtimeDir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    QCryptographicHash hash(QCryptographicHash::Sha256);
    QString program = QFileInfo(programDir).canonicalFilePath();
    if (program.isEmpty())
        program = QDir(programDir).absolutePath();
    for (const QString &part : {userIdentity(), QDir::homePath(), runtimeDir, program}) {
        hash.addData(part.toUtf8());
        hash.addData(QByteArrayView("\0", 1));
    }
    const QString name = QStringLiteral("rubrello-") + QString::fromLatin1(hash.result().toHex().left(16));

    // The runtime directory is the user's own; the shared temporary one is the fallback.
    QString server = QDir(runtimeDir).filePath(name);
    if (runtimeDir.isEmpty() || !QFileInfo(runtimeDir).isDir()
        || server.toLocal8Bit().size() > LongestSocketPath)
        server = QDir(QDir::tempPath()).filePath(name);
    return {server, server + QStringLiteral(".lock")};
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
    // Holding the lock means no instance runs, so a socket left there is from one that crashed.
    QLocalServer::removeServer(m_address.serverName);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    if (!m_server->listen(m_address.serverName))
        qWarning("Rubrello: later starts cannot reach this one (%s)", qPrintable(m_server->errorString()));
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
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { answer(socket); });
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
