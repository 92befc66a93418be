// A real CardDAV server for the tests: Radicale on 127.0.0.1, on a free port, with its data and its
// users in a temporary folder of its own, stopped when the object goes. Each user has an empty
// address book "contatti". Nothing else on the network is contacted.
#pragma once

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSslCertificate>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>

#include <utility>

class RadicaleServer
{
public:
    // Tls serves HTTPS with a self-signed certificate made for the test (certificatePath()).
    enum class Transport { Http, Tls };
    explicit RadicaleServer(Transport transport = Transport::Http,
        const QList<std::pair<QString, QString>> &users
        = {{QStringLiteral("mario"), QStringLiteral("segreto")}})
        : m_tls(transport == Transport::Tls)
    {
        const QString program = QStandardPaths::findExecutable(QStringLiteral("radicale"));
        if (program.isEmpty()) {
            m_error = QStringLiteral("radicale is not installed");
            return;
        }
        QFile passwords(m_dir.filePath(QStringLiteral("users")));
        if (!passwords.open(QIODevice::WriteOnly)) {
            m_error = passwords.errorString();
            return;
        }
        for (const auto &[user, password] : users) {
            passwords.write((user + u':' + password + u'\n').toUtf8());
            const QString book
                = m_dir.filePath(QStringLiteral("collections/collection-root/%1/contatti").arg(user));
            QDir().mkpath(book);
            QFile props(book + QStringLiteral("/.Radicale.props"));
            if (!props.open(QIODevice::WriteOnly)
                || props.write(R"({"tag": "VADDRESSBOOK", "D:displayname": "Contatti"})") < 0) {
                m_error = props.errorString();
                return;
            }
        }
        passwords.close();
        m_port = freePort();
        QString tls;
        if (m_tls) {
            QProcess openssl;
            openssl.start(QStringLiteral("openssl"),
                {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                    QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-days"),
                    QStringLiteral("2"), QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"),
                    QStringLiteral("-keyout"), m_dir.filePath(QStringLiteral("key.pem")),
                    QStringLiteral("-out"), certificatePath()});
            if (!openssl.waitForFinished(30000) || openssl.exitCode() != 0) {
                m_error = QStringLiteral("openssl could not make a certificate");
                return;
            }
            tls = QStringLiteral("ssl = True\ncertificate = %1\nkey = %2\n")
                      .arg(certificatePath(), m_dir.filePath(QStringLiteral("key.pem")));
        }
        QFile config(m_dir.filePath(QStringLiteral("config")));
        if (!config.open(QIODevice::WriteOnly)) {
            m_error = config.errorString();
            return;
        }
        config.write(
            QStringLiteral("[server]\nhosts = 127.0.0.1:%1\n%4"
                           "[auth]\ntype = htpasswd\nhtpasswd_filename = %2\nhtpasswd_encryption = plain\n"
                           "[storage]\nfilesystem_folder = %3\n"
                           "[rights]\ntype = owner_only\n"
                           "[logging]\nlevel = warning\n")
                .arg(m_port)
                .arg(m_dir.filePath(QStringLiteral("users")), m_dir.filePath(QStringLiteral("collections")),
                    tls)
                .toUtf8());
        config.close();
        m_program = program;
        start();
    }
    ~RadicaleServer() { stop(); }
    RadicaleServer(const RadicaleServer &) = delete;
    RadicaleServer &operator=(const RadicaleServer &) = delete;

    // Empty when the server runs.
    QString error() const { return m_error; }
    QUrl baseUrl() const
    {
        return QUrl(QStringLiteral("%1://127.0.0.1:%2/").arg(m_tls ? "https" : "http").arg(m_port));
    }
    QString certificatePath() const { return m_dir.filePath(QStringLiteral("certificate.pem")); }
    // The SHA-256 fingerprint of that certificate, as the user is shown it: "AB:CD:...".
    QString certificateFingerprint() const
    {
        const QList<QSslCertificate> made = QSslCertificate::fromPath(certificatePath());
        return made.size() == 1
            ? QString::fromLatin1(made[0].digest(QCryptographicHash::Sha256).toHex(':').toUpper())
            : QString();
    }
    QUrl addressBook(const QString &user) const
    {
        return baseUrl().resolved(QUrl(user + QStringLiteral("/contatti/")));
    }
    // The folder Radicale keeps a user's address book in, one file a card.
    QString bookFolder(const QString &user) const
    {
        return m_dir.filePath(QStringLiteral("collections/collection-root/%1/contatti").arg(user));
    }
    // Starts the server again after stop(), on the same port with the same data.
    void start()
    {
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(m_program, {QStringLiteral("--config"), m_dir.filePath(QStringLiteral("config"))});
        if (!waitUntilListening())
            m_error
                = QStringLiteral("radicale did not start: %1").arg(QString::fromUtf8(m_process.readAll()));
    }
    // Gone at once, as a server that goes away in the middle of a sync.
    void stop()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

private:
    static int freePort()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        return probe.serverPort();
    }
    bool waitUntilListening()
    {
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 15000 && m_process.state() != QProcess::NotRunning) {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, quint16(m_port));
            if (socket.waitForConnected(200))
                return true;
            QThread::msleep(50);
        }
        return false;
    }

    QTemporaryDir m_dir;
    QProcess m_process;
    QString m_program;
    bool m_tls = false;
    int m_port = 0;
    QString m_error;
};
