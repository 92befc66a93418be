// One instance per user: a later start hands over and the first comes to the front. What a crash
// leaves behind, a hung instance, strangers on the socket, running out of handles and another user's
// planted lock do not stop the next start.
#include "app/SingleInstance.h"

#include <QApplication>
#include <QDialog>
#include <QLocalSocket>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <future>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace std::chrono_literals;
using Start = SingleInstance::Start;

namespace {

// A later start, made as a second process would make it: on a thread of its own, with blocking calls,
// while this one's event loop answers.
Start startLater(const InstanceAddress &address)
{
    auto later = std::async(std::launch::async, [address] { return SingleInstance(address).start(10s); });
    while (later.wait_for(0s) != std::future_status::ready)
        QTest::qWait(10);
    return later.get();
}

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void laterStartHandsOverAfterACrash();
    void laterStartBringsTheRightWindowForward();
    void hungInstanceIsReported();
    void requestsAreChecked_data();
    void requestsAreChecked();
    void listenerComesBackAfterRunningOutOfHandles();
    void anotherUsersLockDoesNotStopTheStart_data();
    void anotherUsersLockDoesNotStopTheStart();
    void addressesKeepUsersHomesAndInstallationsApart();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    InstanceAddress m_address;
    QList<QPair<const char *, QByteArray>> m_environment;
};

void TestSingleInstance::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_address
        = {m_dir->filePath(QStringLiteral("instance")), m_dir->filePath(QStringLiteral("instance.lock"))};
    // The cases below change these; an empty value counts as unset for the program.
    m_environment.clear();
    for (const char *name : {"HOME", "TMPDIR", "XDG_RUNTIME_DIR", "XDG_CACHE_HOME"})
        m_environment.append({name, qgetenv(name)});
}

void TestSingleInstance::cleanup()
{
    for (const auto &[name, value] : std::as_const(m_environment))
        qputenv(name, value);
}

void TestSingleInstance::laterStartHandsOverAfterACrash()
{
    // The runtime directory is too deep for a socket path: the address goes elsewhere.
    const QString deep = m_dir->filePath(QString(120, u'r'));
    QVERIFY(QDir().mkpath(deep));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(deep));
    qputenv("TMPDIR", QFile::encodeName(m_dir->path()));
    const InstanceAddress address = instanceAddress(m_dir->path());

    // What a crash leaves: a file where the socket goes, that no one listens on, and a lock naming a
    // process that is not running.
    QFile socket(address.serverName);
    QVERIFY(socket.open(QIODevice::WriteOnly));
    QFile lock(address.lockFile);
    QVERIFY(lock.open(QIODevice::WriteOnly));
    lock.write("2147483647\nrubrello\n" + QSysInfo::machineHostName().toUtf8() + '\n');
    lock.close();

    SingleInstance first(address);
    QCOMPARE(first.start(), Start::First);
    QSignalSpy activations(&first, &SingleInstance::activationRequested);
    QCOMPARE(startLater(address), Start::HandedOver);
    QCOMPARE(startLater(address), Start::HandedOver);
    QCOMPARE(activations.size(), 2);
}

// The main window minimized under a modal dialog, another window active: the later start brings
// the window back and the dialog to the front (test_single_instance does it in a real X server).
void TestSingleInstance::laterStartBringsTheRightWindowForward()
{
    QWidget main;
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QDialog dialog(&main);
    // Modal to the main window only, so the other window can still take the focus, as another
    // program's window would.
    dialog.setWindowModality(Qt::WindowModal);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QWidget other;
    other.show();
    QVERIFY(QTest::qWaitForWindowExposed(&other));
    other.activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), &other);
    main.showMinimized();
    QTRY_VERIFY(main.isMinimized());

    SingleInstance first(m_address);
    first.setWindow(&main);
    QCOMPARE(first.start(), Start::First);
    QCOMPARE(startLater(m_address), Start::HandedOver);
    QTRY_COMPARE(QApplication::activeWindow(), &dialog);
    QVERIFY(!main.isMinimized());
}

void TestSingleInstance::hungInstanceIsReported()
{
    // An instance that has run for a day, holds the lock and never answers.
    QLockFile held(m_address.lockFile);
    QVERIFY(held.tryLock(0));
    QFile lock(m_address.lockFile);
    QVERIFY(lock.open(QIODevice::ReadWrite));
    QVERIFY(lock.setFileTime(QDateTime::currentDateTime().addDays(-1), QFileDevice::FileModificationTime));
    lock.close();
    QCOMPARE(SingleInstance(m_address).start(300ms), Start::Unanswered);
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
    QTest::newRow("line never ended") << QByteArray("activate") << false;
}

void TestSingleInstance::requestsAreChecked()
{
    QFETCH(QByteArray, request);
    QFETCH(bool, accepted);
    SingleInstance first(m_address);
    QCOMPARE(first.start(), Start::First);
    QSignalSpy activations(&first, &SingleInstance::activationRequested);
    QLocalSocket client;
    client.connectToServer(m_address.serverName);
    QVERIFY(client.waitForConnected(5000));
    client.write(request);
    QTRY_COMPARE(client.state(), QLocalSocket::UnconnectedState);
    QCOMPARE(client.readAll().trimmed(), accepted ? QByteArray("ok") : QByteArray());
    QCOMPARE(activations.size(), accepted ? 1 : 0);
}

void TestSingleInstance::listenerComesBackAfterRunningOutOfHandles()
{
    SingleInstance first(m_address);
    QCOMPARE(first.start(), Start::First);
    {
        QLocalSocket client;
        client.connectToServer(m_address.serverName);
        QVERIFY(client.waitForConnected(5000));
        // No handle left to take the connection in: Qt's server gives up listening.
        rlimit old{};
        ::getrlimit(RLIMIT_NOFILE, &old);
        rlimit none = old;
        none.rlim_cur = rlim_t(::open("/dev/null", O_RDONLY));
        ::close(int(none.rlim_cur));
        ::setrlimit(RLIMIT_NOFILE, &none);
        const auto restore = qScopeGuard([old] { ::setrlimit(RLIMIT_NOFILE, &old); });
        QTRY_COMPARE(client.state(), QLocalSocket::UnconnectedState);
    }
    QCOMPARE(startLater(m_address), Start::HandedOver);
}

void TestSingleInstance::anotherUsersLockDoesNotStopTheStart_data()
{
    QTest::addColumn<bool>("stranger"); // the folder is another user's, else ours
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("link");
    QTest::newRow("folder a stranger's") << true << 0700 << false;
    QTest::newRow("folder ours but open to others") << false << 0777 << false;
    QTest::newRow("folder a stranger's link") << true << 0700 << true;
}

// Another user plants the lock where this user's start looks for it, in the folder it lies in or in
// one made in its place, as if they had been first.
void TestSingleInstance::anotherUsersLockDoesNotStopTheStart()
{
    QFETCH(bool, stranger);
    QFETCH(int, mode);
    QFETCH(bool, link);
    const passwd *nobody = ::getpwnam("nobody");
    if (stranger && (::geteuid() != 0 || !nobody))
        QSKIP("making files another user's needs root and the user nobody");
    const auto folder
        = [this](const char *name) { return QFile::encodeName(m_dir->filePath(QString::fromLatin1(name))); };
    for (const auto &[name, folderMode] : {std::pair{"shared", 01777}, {"home", 0700}})
        QVERIFY(::mkdir(folder(name), 0700) == 0 && ::chmod(folder(name), mode_t(folderMode)) == 0);
    qputenv("TMPDIR", folder("shared"));
    qputenv("HOME", folder("home"));
    qputenv("XDG_CACHE_HOME", "");
    qputenv("XDG_RUNTIME_DIR", ""); // as under su, ssh or cron
    const QString program = QFile::decodeName(folder("home"));

    const InstanceAddress planned = instanceAddress(program);
    QVERIFY(!planned.lockFile.isEmpty());
    const QByteArray planted = QFile::encodeName(QFileInfo(planned.lockFile).absolutePath());
    QVERIFY(QDir(QFile::decodeName(planted)).removeRecursively());
    if (link)
        QVERIFY(::symlink(folder("home"), planted) == 0);
    else
        QVERIFY(::mkdir(planted, 0700) == 0 && ::chmod(planted, mode_t(mode)) == 0);
    // An instance of theirs that holds the lock and never answers.
    QLockFile theirs(planned.lockFile);
    QVERIFY(theirs.tryLock(0));
    if (stranger) {
        QVERIFY(::lchown(planted, nobody->pw_uid, nobody->pw_gid) == 0);
        QVERIFY(::chown(QFile::encodeName(planned.lockFile), nobody->pw_uid, nobody->pw_gid) == 0);
    }

    const InstanceAddress address = instanceAddress(program);
    QVERIFY(!address.lockFile.isEmpty());
    SingleInstance first(address);
    QCOMPARE(first.start(1s), Start::First);
    QCOMPARE(startLater(address), Start::HandedOver);
}

void TestSingleInstance::addressesKeepUsersHomesAndInstallationsApart()
{
    const auto addressFor = [this](const char *home, const char *runtime, const char *program) {
        for (const char *name : {home, runtime, program})
            QDir(m_dir->path()).mkpath(QString::fromLatin1(name));
        // Runtime directories are their user's alone.
        ::chmod(QFile::encodeName(m_dir->filePath(QString::fromLatin1(runtime))), 0700);
        qputenv("HOME", QFile::encodeName(m_dir->filePath(QString::fromLatin1(home))));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_dir->filePath(QString::fromLatin1(runtime))));
        return instanceAddress(m_dir->filePath(QString::fromLatin1(program))).serverName;
    };
    const QString reference = addressFor("home-a", "run-a", "bin-a");
    QCOMPARE(QFileInfo(reference).absolutePath(), m_dir->filePath(QStringLiteral("run-a")));
    QCOMPARE(addressFor("home-a", "run-a", "bin-a"), reference);
    QVERIFY(addressFor("home-b", "run-a", "bin-a") != reference);
    QVERIFY(addressFor("home-a", "run-b", "bin-a") != reference);
    QVERIFY(addressFor("home-a", "run-a", "bin-b") != reference);
}

QTEST_MAIN(TestSingleInstance)
#include "test_singleinstance.moc"
