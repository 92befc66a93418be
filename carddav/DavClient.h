// HTTP to a CardDAV server for a thread of its own: each call waits for its answers in a local event
// loop, several requests at once up to a small bound, with the user's name and password, a refused
// certificate reported with its fingerprint, and a cancel that stops what is under way.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include <atomic>
#include <memory>
#include <span>
#include <utility>
#include <vector>

class QNetworkAccessManager;

struct DavRequest
{
    QByteArray method; // PROPFIND, REPORT, GET, PUT, DELETE
    QUrl url;
    QByteArray body;
    QList<std::pair<QByteArray, QByteArray>> headers; // Depth, If-Match, If-None-Match...
};

struct DavReply
{
    int status = 0; // the HTTP status; 0 when no answer came
    QByteArray body;
    QString etag; // the ETag header, quotes kept
    QUrl url; // where the answer came from, after redirects
    // Why no answer came (the server not reachable, a certificate refused, a timeout), in Italian.
    QString failure;
    bool cancelled = false;
    // The SHA-256 fingerprint of a certificate refused, "AB:CD:...", for the user to judge.
    QString refusedCertificate;

    bool succeeded() const { return status >= 200 && status < 300; }
};

struct DavCredentials
{
    QString user;
    QString password;
    // The fingerprint of a certificate the user has chosen to trust although the system does not.
    QString trustedCertificate;
};

// Where the sync's requests go: the network, or answers made up by a test or a fuzzer.
class DavTransport
{
public:
    virtual ~DavTransport() = default;
    // The answers in the order of the requests; at most parallel are under way at once.
    virtual std::vector<DavReply> sendAll(std::span<const DavRequest> requests, int parallel = 4) = 0;
    virtual bool cancelled() const { return false; }
    DavReply send(const DavRequest &request) { return sendAll(std::span(&request, 1), 1).front(); }
};

class DavClient : public DavTransport
{
public:
    // cancel, when given, stops every call once it is set: the answers then say cancelled.
    explicit DavClient(DavCredentials credentials, const std::atomic<bool> *cancel = nullptr);
    ~DavClient() override;
    DavClient(const DavClient &) = delete;
    DavClient &operator=(const DavClient &) = delete;

    std::vector<DavReply> sendAll(std::span<const DavRequest> requests, int parallel = 4) override;
    bool cancelled() const override { return m_cancel && m_cancel->load(); }

private:
    std::unique_ptr<QNetworkAccessManager> m_network;
    DavCredentials m_credentials;
    const std::atomic<bool> *m_cancel;
};

// What an HTTP status means for the user, in Italian ("Nome utente o password non accettati dal
// server."), or the reply's own failure when no answer came; empty for a success.
QString davFailureText(const DavReply &reply);
