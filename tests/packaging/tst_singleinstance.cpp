// One instance per user: the first start answers, a later one (here in a thread of its own, as a second
// process would be) hands over and the first comes to the front; what a crash leaves behind does not
// stop the next start, and strangers on the socket are turned away.
#include "app/SingleInstance.h"

#include <QApplication>
#include <QDialog>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <sys/socket.h>
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

// What a crashed instance leaves: a socket file that no one listens on.
bool leaveDeadSocket(const QString &path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const QByteArray encoded = QFile::encodeName(path);
    std::copy_n(
        encoded.constData(), qMin<qsizetype>(encoded.size(), sizeof(address.sun_path) - 1), address.sun_path);
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) == 0;
    ::close(fd);
    return bound && QFileInfo::exists(path);
}

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void laterStartHandsOverAndEnds();
    void laterStartBringsTheRightWindowForward_data();
    void laterStartBringsTheRightWindowForward();
    void leftoversOfACrashDoNotStopTheNextStart_data();
    void leftoversOfACrashDoNotStopTheNextStart();
    void runningButSilentInstanceIsReported_data();
    void runningButSilentInstanceIsReported();
    void requestsAreChecked_data();
    void requestsAreChecked();
    void addressesKeepUsersHomesAndInstallationsApart_data();
    void addressesKeepUsersHomesAndInstallationsApart();
    void addressFitsASocketPath();

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

void TestSingleInstance::laterStartHandsOverAndEnds()
{
    SingleInstance first(m_address);
    QCOMPARE(first.start(), SingleInstance::Start::First);
    QSignalSpy activations(&first, &SingleInstance::activationRequested);

    for (int start = 1; start <= 2; ++start) {
        LaterStart later(m_address);
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

void TestSingleInstance::leftoversOfACrashDoNotStopTheNextStart_data()
{
    QTest::addColumn<bool>("deadSocket");
    QTest::addColumn<bool>("deadLock");

    QTest::newRow("socket left behind") << true << false;
    QTest::newRow("lock of a process that has ended") << false << true;
    QTest::newRow("both") << true << true;
}

void TestSingleInstance::leftoversOfACrashDoNotStopTheNextStart()
{
    QFETCH(bool, deadSocket);
    QFETCH(bool, deadLock);

    if (deadSocket)
        QVERIFY(leaveDeadSocket(m_address.serverName));
    if (deadLock) {
        // The lock names a process that has ended: a child that ran and was waited for.
        const pid_t child = ::fork();
        if (child == 0)
            ::_exit(0);
        QVERIFY(child > 0);
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QFile lock(m_address.lockFile);
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write(QByteArray::number(child) + "\nrubrello\n" + QSysInfo::machineHostName().toUtf8() + '\n');
    }

    SingleInstance first(m_address);
    QCOMPARE(first.start(), SingleInstance::Start::First);
    QSignalSpy activations(&first, &SingleInstance::activationRequested);
    LaterStart later(m_address);
    QTRY_VERIFY(later.done());
    QCOMPARE(later.result(), SingleInstance::Start::HandedOver);
    QTRY_COMPARE(activations.size(), 1);
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

void TestSingleInstance::addressesKeepUsersHomesAndInstallationsApart_data()
{
    QTest::addColumn<QString>("home");
    QTest::addColumn<QString>("runtime");
    QTest::addColumn<QString>("program");
    QTest::addColumn<bool>("same");

    QTest::newRow("same user, home and program") << "home-a"
                                                 << "run-a"
                                                 << "bin-a" << true;
    QTest::newRow("other home") << "home-b"
                                << "run-a"
                                << "bin-a" << false;
    QTest::newRow("other runtime directory") << "home-a"
                                             << "run-b"
                                             << "bin-a" << false;
    QTest::newRow("other installation") << "home-a"
                                        << "run-a"
                                        << "bin-b" << false;
}

void TestSingleInstance::addressesKeepUsersHomesAndInstallationsApart()
{
    QFETCH(QString, home);
    QFETCH(QString, runtime);
    QFETCH(QString, program);
    QFETCH(bool, same);

    for (const char *name : {"home-a", "home-b", "run-a", "run-b", "bin-a", "bin-b"})
        QVERIFY(QDir(m_dir->path()).mkpath(QString::fromLatin1(name)));
    const QByteArray oldHome = qgetenv("HOME");
    const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR");
    auto addressFor = [this](const QString &h, const QString &r, const QString &p) {
        qputenv("HOME", QFile::encodeName(m_dir->filePath(h)));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_dir->filePath(r)));
        return instanceAddress(m_dir->filePath(p));
    };
    const InstanceAddress reference
        = addressFor(QStringLiteral("home-a"), QStringLiteral("run-a"), QStringLiteral("bin-a"));
    const InstanceAddress other = addressFor(home, runtime, program);
    qputenv("HOME", oldHome);
    qputenv("XDG_RUNTIME_DIR", oldRuntime);

    QCOMPARE(other.serverName == reference.serverName, same);
    QCOMPARE(other.lockFile == reference.lockFile, same);
    // The user's own runtime directory holds both.
    QCOMPARE(QFileInfo(other.serverName).absolutePath(), m_dir->filePath(runtime));
    QCOMPARE(QFileInfo(other.lockFile).absolutePath(), m_dir->filePath(runtime));
}

void TestSingleInstance::addressFitsASocketPath()
{
    const QString deep = m_dir->filePath(QString(120, u'r'));
    QVERIFY(QDir().mkpath(deep));
    const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(deep));
    const InstanceAddress address = instanceAddress(m_dir->path());
    qputenv("XDG_RUNTIME_DIR", oldRuntime);

    QVERIFY2(QFile::encodeName(address.serverName).size() < int(sizeof(sockaddr_un::sun_path)),
        qPrintable(address.serverName));
    SingleInstance first(address);
    QCOMPARE(first.start(), SingleInstance::Start::First);
    LaterStart later(address);
    QTRY_VERIFY(later.done());
    QCOMPARE(later.result(), SingleInstance::Start::HandedOver);
}

QTEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
