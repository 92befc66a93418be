// One instance per user: the first start answers, a later one (here in a thread of its own, as a second
// process would be) hands over and the first comes to the front; what a crash leaves behind, another
// user's planted lock and a flood of idle connections do not stop the next start, and strangers on
// the socket are turned away.
#include "app/SingleInstance.h"

#include <QApplication>
#include <QDialog>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

// A later start, made as a second process would make it: on its own, with blocking calls.
class LaterStart
{
public:
    explicit LaterStart(const InstanceAddress &address)
        : m_thread([this, address] {
            SingleInstance later(address);
            m_result = later.start(10s);
            m_done = true;
        })
    { }
    ~LaterStart() { m_thread.join(); }
    bool done() const { return m_done; }
    SingleInstance::Start result() const { return m_result; }

private:
    std::atomic<bool> m_done = false;
    std::atomic<SingleInstance::Start> m_result = SingleInstance::Start::First;
    std::thread m_thread;
};

sockaddr_un socketAddress(const QString &path)
{
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const QByteArray encoded = QFile::encodeName(path);
    std::copy_n(
        encoded.constData(), qMin<qsizetype>(encoded.size(), sizeof(address.sun_path) - 1), address.sun_path);
    return address;
}

// What a crashed instance leaves: a socket file that no one listens on.
bool leaveDeadSocket(const QString &path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    const sockaddr_un address = socketAddress(path);
    const bool bound = ::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof(address)) == 0;
    ::close(fd);
    return bound && QFileInfo::exists(path);
}

class ScopedVariable
{
public:
    ScopedVariable(const char *name, const QString &value)
        : m_name(name)
        , m_old(qgetenv(name))
        , m_wasSet(qEnvironmentVariableIsSet(name))
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, QFile::encodeName(value));
    }
    ~ScopedVariable() { m_wasSet ? qputenv(m_name, m_old) : qunsetenv(m_name); }

private:
    const char *m_name;
    QByteArray m_old;
    bool m_wasSet;
};

// The file handles this process may still open, as a desktop session bounds them (1024 by default).
class HandleLimit
{
public:
    explicit HandleLimit(int more)
    {
        ::getrlimit(RLIMIT_NOFILE, &m_old);
        const int free = ::open("/dev/null", O_RDONLY);
        ::close(free);
        rlimit limit = m_old;
        limit.rlim_cur = rlim_t(free + more);
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
    ~HandleLimit() { ::setrlimit(RLIMIT_NOFILE, &m_old); }

private:
    rlimit m_old {};
};

// Another process of the same user that opens many connections and never says a word.
class Flood
{
public:
    Flood(const QString &path, int connections)
    {
        int ready[2];
        if (::pipe(ready) != 0)
            return;
        m_child = ::fork();
        if (m_child == 0) {
            // Not even a copy of the program's listening socket may live on here.
            for (int fd = 3; fd < 1024; ++fd) {
                if (fd != ready[1])
                    ::close(fd);
            }
            rlimit limit{};
            ::getrlimit(RLIMIT_NOFILE, &limit);
            limit.rlim_cur = limit.rlim_max;
            ::setrlimit(RLIMIT_NOFILE, &limit);
            const sockaddr_un address = socketAddress(path);
            const timeval patience{1, 0};
            int made = 0;
            for (int i = 0; i < connections; ++i) {
                const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
                ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &patience, sizeof(patience));
                if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof(address)) == 0)
                    ++made;
                else
                    ::close(fd);
            }
            (void)!::write(ready[1], &made, sizeof(made));
            for (;;)
                ::pause(); // holding every connection until killed
        }
        ::close(ready[1]);
        m_ready = ready[0];
    }
    ~Flood()
    {
        if (m_child > 0 && ::kill(m_child, SIGKILL) == 0)
            ::waitpid(m_child, nullptr, 0);
        ::close(m_ready);
    }
    // The connections made, once all have been tried.
    std::optional<int> made()
    {
        pollfd ready{m_ready, POLLIN, 0};
        int made = 0;
        if (!m_made && ::poll(&ready, 1, 0) == 1 && ::read(m_ready, &made, sizeof(made)) == sizeof(made))
            m_made = made;
        return m_made;
    }

private:
    pid_t m_child = -1;
    int m_ready = -1;
    std::optional<int> m_made;
};

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void laterStartHandsOver_data();
    void laterStartHandsOver();
    void laterStartBringsTheRightWindowForward_data();
    void laterStartBringsTheRightWindowForward();
    void runningButSilentInstanceIsReported_data();
    void runningButSilentInstanceIsReported();
    void requestsAreChecked_data();
    void requestsAreChecked();
    void floodOfIdleConnectionsDoesNotStopTheNextStart();
    void listenerComesBackAfterRunningOutOfHandles();
    void anotherUsersLockDoesNotStopTheStart_data();
    void anotherUsersLockDoesNotStopTheStart();
    void addressesKeepUsersHomesAndInstallationsApart_data();
    void addressesKeepUsersHomesAndInstallationsApart();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    InstanceAddress m_address;
};

void TestSingleInstance::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_address
        = {m_dir->filePath(QStringLiteral("instance")), m_dir->filePath(QStringLiteral("instance.lock"))};
}

void TestSingleInstance::laterStartHandsOver_data()
{
    QTest::addColumn<bool>("deadSocket"); // a crash left the socket file behind
    QTest::addColumn<bool>("deadLock");   // the lock names a process that has ended
    QTest::addColumn<bool>("deepRuntime"); // a runtime directory too deep for a socket path
    QTest::newRow("clean start") << false << false << false;
    QTest::newRow("socket left behind") << true << false << false;
    QTest::newRow("lock of a process that has ended") << false << true << false;
    QTest::newRow("both left behind") << true << true << false;
    QTest::newRow("deep runtime directory") << false << false << true;
}

void TestSingleInstance::laterStartHandsOver()
{
    QFETCH(bool, deadSocket);
    QFETCH(bool, deadLock);
    QFETCH(bool, deepRuntime);
    InstanceAddress address = m_address;
    if (deepRuntime) {
        const QString deep = m_dir->filePath(QString(120, u'r'));
        QVERIFY(QDir().mkpath(deep));
        const ScopedVariable runtime("XDG_RUNTIME_DIR", deep);
        address = instanceAddress(m_dir->path());
        QVERIFY2(QFile::encodeName(address.serverName).size() < int(sizeof(sockaddr_un::sun_path)),
                 qPrintable(address.serverName));
    }
    if (deadSocket)
        QVERIFY(leaveDeadSocket(address.serverName));
    if (deadLock) {
        const pid_t child = ::fork();
        if (child == 0)
            ::_exit(0);
        QVERIFY(child > 0 && ::waitpid(child, nullptr, 0) == child);
        QFile lock(address.lockFile);
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write(QByteArray::number(child) + "\nrubrello\n" + QSysInfo::machineHostName().toUtf8() + '\n');
    }
    SingleInstance first(address);
    QCOMPARE(first.start(), SingleInstance::Start::First);
    QSignalSpy activations(&first, &SingleInstance::activationRequested);
    for (int start = 1; start <= 2; ++start) {
        LaterStart later(address);
        QTRY_VERIFY(later.done());
        QCOMPARE(later.result(), SingleInstance::Start::HandedOver);
        QTRY_COMPARE(activations.size(), start);
    }
}

void TestSingleInstance::laterStartBringsTheRightWindowForward_data()
{
    QTest::addColumn<bool>("modalDialog");
    QTest::addColumn<bool>("minimized");
    QTest::newRow("main window behind another") << false << false;
    QTest::newRow("modal dialog open over it") << true << false;
    QTest::newRow("main window minimized") << false << true;
    QTest::newRow("minimized under a modal dialog") << true << true;
}

void TestSingleInstance::laterStartBringsTheRightWindowForward()
{
    QFETCH(bool, modalDialog);
    QFETCH(bool, minimized);

    QWidget main;
    main.setWindowTitle(QStringLiteral("main"));
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QDialog dialog(&main);
    if (modalDialog) {
        // Modal to the main window only, so the other window below can still take the focus, as
        // another program's window would.
        dialog.setWindowModality(Qt::WindowModal);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    }
    QWidget other;
    other.show();
    QVERIFY(QTest::qWaitForWindowExposed(&other));
    other.activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), &other);
    if (minimized) {
        main.showMinimized();
        QTRY_VERIFY(main.isMinimized());
    }

    SingleInstance first(m_address);
    first.setWindow(&main);
    QCOMPARE(first.start(), SingleInstance::Start::First);
    LaterStart later(m_address);
    QTRY_VERIFY(later.done());
    QCOMPARE(later.result(), SingleInstance::Start::HandedOver);

    QWidget *const expected = modalDialog ? static_cast<QWidget *>(&dialog) : &main;
    QTRY_COMPARE(QApplication::activeWindow(), expected);
    QVERIFY(!main.isMinimized());
}

void TestSingleInstance::runningButSilentInstanceIsReported_data()
{
    QTest::addColumn<int>("lockAgeHours");
    QTest::newRow("just started") << 0;
    QTest::newRow("running for a day") << 24;
}

void TestSingleInstance::runningButSilentInstanceIsReported()
{
    QFETCH(int, lockAgeHours);

    // An instance that holds the lock and never answers, as a hung one would.
    QLockFile held(m_address.lockFile);
    QVERIFY(held.tryLock(0));
    QFile lock(m_address.lockFile);
    QVERIFY(lock.open(QIODevice::ReadWrite));
    QVERIFY(lock.setFileTime(
        QDateTime::currentDateTime().addSecs(-3600 * lockAgeHours), QFileDevice::FileModificationTime));
    lock.close();

    SingleInstance later(m_address);
    QCOMPARE(later.start(300ms), SingleInstance::Start::Unanswered);
    QVERIFY(!SingleInstance::unansweredMessage().isEmpty());
}

void TestSingleInstance::requestsAreChecked_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("activate") << QByteArray("activate\n") << true;
    QTest::newRow("activate with a token") << QByteArray("activate 1234_abcd\n") << true;
    QTest::newRow("other word") << QByteArray("quit\n") << false;
    QTest::newRow("word that only begins alike") << QByteArray("activateall\n") << false;
    QTest::newRow("endless line") << QByteArray(4096, 'a') << false;
    QTest::newRow("silence") << QByteArray() << false;
    QTest::newRow("line never ended") << QByteArray("activate") << false;
}

void TestSingleInstance::requestsAreChecked()
{
    QFETCH(QByteArray, request);
    QFETCH(bool, accepted);

    SingleInstance first(m_address);
    QCOMPARE(first.start(), SingleInstance::Start::First);
    QSignalSpy activations(&first, &SingleInstance::activationRequested);

    QLocalSocket client;
    client.connectToServer(m_address.serverName);
    QVERIFY(client.waitForConnected(5000));
    client.write(request);
    QTRY_COMPARE(client.state(), QLocalSocket::UnconnectedState);
    QCOMPARE(client.readAll().trimmed(), accepted ? QByteArray("ok") : QByteArray());
    QCOMPARE(activations.size(), accepted ? 1 : 0);
}

void TestSingleInstance::floodOfIdleConnectionsDoesNotStopTheNextStart()
{
    SingleInstance first(m_address);
    QCOMPARE(first.start(), SingleInstance::Start::First);
    QSignalSpy activations(&first, &SingleInstance::activationRequested);
    {
        const int connections = 1000;
        Flood flood(m_address.serverName, connections);
        // Far fewer handles than the flood's connections, and yet enough for the program's own work.
        HandleLimit limit(200);
        QTRY_VERIFY_WITH_TIMEOUT(flood.made().has_value(), 30000);

        LaterStart later(m_address);
        QTRY_VERIFY_WITH_TIMEOUT(later.done(), 15000);
        QCOMPARE(later.result(), SingleInstance::Start::HandedOver);
        QCOMPARE(*flood.made(), connections);
    }
    QTRY_COMPARE(activations.size(), 1);
}

void TestSingleInstance::listenerComesBackAfterRunningOutOfHandles()
{
    SingleInstance first(m_address);
    QCOMPARE(first.start(), SingleInstance::Start::First);
    QSignalSpy activations(&first, &SingleInstance::activationRequested);
    {
        QLocalSocket client;
        client.connectToServer(m_address.serverName);
        QVERIFY(client.waitForConnected(5000));
        // No handle left to take the connection in: Qt's server gives up listening.
        HandleLimit none(0);
        QTRY_COMPARE(client.state(), QLocalSocket::UnconnectedState);
    }
    LaterStart later(m_address);
    QTRY_VERIFY_WITH_TIMEOUT(later.done(), 15000);
    QCOMPARE(later.result(), SingleInstance::Start::HandedOver);
    QTRY_COMPARE(activations.size(), 1);
}

void TestSingleInstance::anotherUsersLockDoesNotStopTheStart_data()
{
    QTest::addColumn<bool>("runtimeDir"); // else the start has no runtime directory (su, ssh, cron)
    QTest::addColumn<bool>("stranger"); // the folder is another user's, else ours
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("link");

    QTest::newRow("no runtime directory, folder a stranger's") << false << true << 01777 << false;
    QTest::newRow("no runtime directory, folder a stranger's private one") << false << true << 0700 << false;
    QTest::newRow("no runtime directory, folder ours but open to others") << false << false << 0777 << false;
    QTest::newRow("no runtime directory, folder a stranger's link") << false << true << 0700 << true;
    QTest::newRow("runtime directory a stranger's") << true << true << 0700 << false;
    QTest::newRow("runtime directory open to others") << true << false << 0777 << false;
}

// Another user plants the lock where this user's start will look for it, in the folder it lies in or
// in one made in its place, as if they had been first.
void TestSingleInstance::anotherUsersLockDoesNotStopTheStart()
{
    QFETCH(bool, runtimeDir);
    QFETCH(bool, stranger);
    QFETCH(int, mode);
    QFETCH(bool, link);
    const passwd *nobody = ::getpwnam("nobody");
    if (stranger && (::geteuid() != 0 || !nobody))
        QSKIP("making files another user's needs root and the user nobody");

    const QDir dir(m_dir->path());
    for (const char *name : {"shared", "home", "run", "elsewhere"})
        QVERIFY(dir.mkpath(QString::fromLatin1(name)));
    QVERIFY(::chmod(QFile::encodeName(dir.filePath(QStringLiteral("shared"))), 01777) == 0);
    QVERIFY(::chmod(QFile::encodeName(dir.filePath(QStringLiteral("run"))), 0700) == 0);
    QVERIFY(::chmod(QFile::encodeName(dir.filePath(QStringLiteral("elsewhere"))), 0700) == 0);
    const ScopedVariable tmp("TMPDIR", dir.filePath(QStringLiteral("shared")));
    const ScopedVariable home("HOME", dir.filePath(QStringLiteral("home")));
    const ScopedVariable cache("XDG_CACHE_HOME", QString());
    const ScopedVariable runtime(
        "XDG_RUNTIME_DIR", runtimeDir ? dir.filePath(QStringLiteral("run")) : QString());
    const QString program = dir.filePath(QStringLiteral("home"));

    const InstanceAddress planned = instanceAddress(program);
    QVERIFY(!planned.lockFile.isEmpty());
    const QByteArray folder = QFile::encodeName(QFileInfo(planned.lockFile).absolutePath());
    QVERIFY(QDir(QFile::decodeName(folder)).removeRecursively());
    if (link) {
        QVERIFY(::symlink(QFile::encodeName(dir.filePath(QStringLiteral("elsewhere"))), folder) == 0);
    } else {
        QVERIFY(::mkdir(folder, 0700) == 0);
        QVERIFY(::chmod(folder, mode_t(mode)) == 0);
    }
    // An instance of theirs that holds the lock and never answers.
    QLockFile planted(planned.lockFile);
    QVERIFY(planted.tryLock(0));
    if (stranger) {
        QVERIFY(::lchown(folder, nobody->pw_uid, nobody->pw_gid) == 0);
        QVERIFY(::chown(QFile::encodeName(planned.lockFile), nobody->pw_uid, nobody->pw_gid) == 0);
    }

    const InstanceAddress address = instanceAddress(program);
    QVERIFY(!address.lockFile.isEmpty());
    SingleInstance first(address);
    QCOMPARE(first.start(1s), SingleInstance::Start::First);
    LaterStart later(address);
    QTRY_VERIFY(later.done());
    QCOMPARE(later.result(), SingleInstance::Start::HandedOver);
    struct stat settled = {};
    QCOMPARE(::lstat(QFile::encodeName(QFileInfo(address.lockFile).absolutePath()), &settled), 0);
    QVERIFY(S_ISDIR(settled.st_mode));
    QCOMPARE(settled.st_uid, ::geteuid());
    QCOMPARE(settled.st_mode & 077, 0u);
}

void TestSingleInstance::addressesKeepUsersHomesAndInstallationsApart_data()
{
    QTest::addColumn<QString>("home");
    QTest::addColumn<QString>("runtime");
    QTest::addColumn<QString>("program");
    QTest::newRow("same user, home and program") << "home-a" << "run-a" << "bin-a";
    QTest::newRow("other home") << "home-b" << "run-a" << "bin-a";
    QTest::newRow("other runtime directory") << "home-a" << "run-b" << "bin-a";
    QTest::newRow("other installation") << "home-a" << "run-a" << "bin-b";
}

void TestSingleInstance::addressesKeepUsersHomesAndInstallationsApart()
{
    QFETCH(QString, home);
    QFETCH(QString, runtime);
    QFETCH(QString, program);
    for (const char *name : {"home-a", "home-b", "run-a", "run-b", "bin-a", "bin-b"})
        QVERIFY(QDir(m_dir->path()).mkpath(QString::fromLatin1(name)));
    // Runtime directories are their user's alone.
    for (const char *name : {"run-a", "run-b"})
        QVERIFY(::chmod(QFile::encodeName(m_dir->filePath(QString::fromLatin1(name))), 0700) == 0);
    auto addressFor = [this](const QString &h, const QString &r, const QString &p) {
        const ScopedVariable homeVariable("HOME", m_dir->filePath(h));
        const ScopedVariable runtimeVariable("XDG_RUNTIME_DIR", m_dir->filePath(r));
        return instanceAddress(m_dir->filePath(p));
    };
    const InstanceAddress reference = addressFor("home-a", "run-a", "bin-a");
    const InstanceAddress other = addressFor(home, runtime, program);
    const bool same = QTest::currentDataTag() == QByteArray("same user, home and program");
    QCOMPARE(other.serverName == reference.serverName, same);
    QCOMPARE(other.lockFile == reference.lockFile, same);
    // The user's own runtime directory holds both.
    QCOMPARE(QFileInfo(other.serverName).absolutePath(), m_dir->filePath(runtime));
    QCOMPARE(QFileInfo(other.lockFile).absolutePath(), m_dir->filePath(runtime));
}

QTEST_MAIN(TestSingleInstance)
#include "test_singleinstance.moc"
