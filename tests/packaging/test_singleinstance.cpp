// One instance per user, home and installation: a later start hands over to the running one. What a
// crash leaves behind, strangers on the socket and running out of handles do not stop it; a hung
// instance is reported.
#include "app/SingleInstance.h"

#include <QApplication>
#include <QLocalSocket>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <future>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
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
    void laterStartHandsOverAfterACrash();
    void hungInstanceIsReported();
    void requestsAreChecked_data();
    void requestsAreChecked();
    void listenerComesBackAfterRunningOutOfHandles();
    void addressesKeepUsersHomesAndInstallationsApart();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    InstanceAddress m_address;
};

void TestSingleInstance::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_address = {m_dir->filePath(u"instance"_s), m_dir->filePath(u"instance.lock"_s)};
}

void TestSingleInstance::laterStartHandsOverAfterACrash()
{
    // The runtime directory is too deep for a socket path: the address goes elsewhere.
    const QString deep = m_dir->filePath(QString(120, u'r'));
    QVERIFY(QDir().mkpath(deep));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(deep));
    const auto restore = qScopeGuard([tmp = qgetenv("TMPDIR")] { qputenv("TMPDIR", tmp); });
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
    QCOMPARE(QFileInfo(reference).absolutePath(), m_dir->filePath(u"run-a"_s));
    QCOMPARE(addressFor("home-a", "run-a", "bin-a"), reference);
    QVERIFY(addressFor("home-b", "run-a", "bin-a") != reference);
    QVERIFY(addressFor("home-a", "run-b", "bin-a") != reference);
    QVERIFY(addressFor("home-a", "run-a", "bin-b") != reference);
}

QTEST_MAIN(TestSingleInstance)
#include "test_singleinstance.moc"
