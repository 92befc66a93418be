#include "carddav/DavClient.h"

#include <QCryptographicHash>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSslCertificate>
#include <QSslError>
#include <QTimer>

#include <deque>

namespace {

// A server that says nothing for this long is taken as gone.
constexpr int TransferTimeout = 60'000;

QString fingerprintOf(const QSslCertificate &certificate)
{
    return QString::fromLatin1(certificate.digest(QCryptographicHash::Sha256).toHex(':').toUpper());
}

QString networkFailure(QNetworkReply::NetworkError error, const QUrl &url)
{
    const QString host = url.host();
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::RemoteHostClosedError:
        return QStringLiteral("Il server %1 non risponde: è spento o l'indirizzo non è giusto.").arg(host);
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral("Il server %1 non si trova: controllare l'indirizzo e la connessione.")
            .arg(host);
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError:
        return QStringLiteral("Il server %1 non ha risposto in tempo.").arg(host);
    case QNetworkReply::SslHandshakeFailedError:
        return QStringLiteral("La connessione sicura con %1 non è riuscita.").arg(host);
    case QNetworkReply::TooManyRedirectsError:
    case QNetworkReply::InsecureRedirectError:
        return QStringLiteral("Il server %1 rimanda ad altri indirizzi senza fine o fuori dal sito.")
            .arg(host);
    default:
        return QStringLiteral("Il server %1 non è raggiungibile.").arg(host);
    }
}

} // namespace

DavClient::DavClient(DavCredentials credentials, const std::atomic<bool> *cancel)
    : m_network(std::make_unique<QNetworkAccessManager>())
    , m_credentials(std::move(credentials))
    , m_cancel(cancel)
{
    // A redirect may move within the server, never to another one: the password goes with it.
    m_network->setRedirectPolicy(QNetworkRequest::SameOriginRedirectPolicy);
}

DavClient::~DavClient() = default;

std::vector<DavReply> DavClient::sendAll(std::span<const DavRequest> requests, int parallel)
{
    std::vector<DavReply> replies(requests.size());
    if (requests.empty())
        return replies;
    const QByteArray authorization
        = "Basic " + (m_credentials.user + u':' + m_credentials.password).toUtf8().toBase64();
    QEventLoop loop;
    size_t next = 0;
    size_t running = 0;
    size_t finished = 0;
    std::deque<QNetworkReply *> underWay;

    std::function<void()> startMore;
    const auto finish = [&](QNetworkReply *reply, size_t index) {
        DavReply &answer = replies[index];
        answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        answer.url = reply->url();
        answer.etag = QString::fromLatin1(reply->rawHeader("ETag"));
        answer.body = reply->readAll();
        if (answer.status == 0 && answer.failure.isEmpty()) {
            if (cancelled())
                answer.cancelled = true;
            else if (answer.refusedCertificate.isEmpty())
                answer.failure = networkFailure(reply->error(), reply->url());
        }
        std::erase(underWay, reply);
        reply->deleteLater();
        --running;
        ++finished;
        if (finished == requests.size())
            loop.quit();
        else
            startMore();
    };
    startMore = [&] {
        while (running < size_t(std::max(parallel, 1)) && next < requests.size()) {
            const size_t index = next++;
            if (cancelled()) {
                replies[index].cancelled = true;
                ++finished;
                continue;
            }
            const DavRequest &request = requests[index];
            QNetworkRequest wire(request.url);
            wire.setRawHeader("Authorization", authorization);
            wire.setTransferTimeout(TransferTimeout);
            if (!request.body.isEmpty())
                wire.setHeader(QNetworkRequest::ContentTypeHeader,
                    request.method == "PUT" ? QByteArray("text/vcard; charset=utf-8")
                                            : QByteArray("application/xml; charset=utf-8"));
            for (const auto &[name, value] : request.headers)
                wire.setRawHeader(name, value);
            QNetworkReply *reply = m_network->sendCustomRequest(wire, request.method, request.body);
            ++running;
            underWay.push_back(reply);
            QObject::connect(
                reply, &QNetworkReply::sslErrors, reply, [&, reply, index](const QList<QSslError> &) {
                    const QString seen = fingerprintOf(reply->sslConfiguration().peerCertificate());
                    if (!m_credentials.trustedCertificate.isEmpty()
                        && seen == m_credentials.trustedCertificate) {
                        reply->ignoreSslErrors();
                        return;
                    }
                    replies[index].refusedCertificate = seen;
                    replies[index].failure = QStringLiteral(
                        "Il certificato del server %1 non è riconosciuto come sicuro (impronta SHA-256 %2).")
                                                 .arg(requests[index].url.host(), seen);
                });
            QObject::connect(
                reply, &QNetworkReply::finished, &loop, [&, reply, index] { finish(reply, index); });
        }
        if (finished == requests.size())
            loop.quit();
    };
    // A cancel is looked at a few times a second; what is under way is then aborted.
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &loop, [&] {
        if (!cancelled())
            return;
        const std::deque<QNetworkReply *> aborting = underWay;
        for (QNetworkReply *reply : aborting)
            reply->abort();
    });
    if (m_cancel)
        watch.start(100);
    startMore();
    if (finished < requests.size())
        loop.exec();
    return replies;
}

QString davFailureText(const DavReply &reply)
{
    if (reply.cancelled)
        return QStringLiteral("Sincronizzazione interrotta.");
    if (!reply.failure.isEmpty())
        return reply.failure;
    switch (reply.status) {
    case 401:
        return QStringLiteral("Nome utente o password non accettati dal server.");
    case 403:
        return QStringLiteral("Il server non permette a questo utente di accedere alla rubrica.");
    case 404:
    case 410:
        return QStringLiteral("La rubrica non si trova più a questo indirizzo.");
    case 412:
        return QStringLiteral("Il contatto è stato cambiato sul server nel frattempo.");
    case 507:
        return QStringLiteral("Il server non ha più spazio per altri contatti.");
    default:
        if (reply.status >= 500)
            return QStringLiteral("Il server ha avuto un errore (%1): riprovare più tardi.")
                .arg(reply.status);
        if (reply.status >= 300)
            return QStringLiteral("Il server ha rifiutato la richiesta (%1).").arg(reply.status);
        return {};
    }
}
