#include "service/transport/NetworkTransport.h"
#include "service/transport/LowDelaySockets.h"

#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>
#include <cstdio>
#include <memory>

namespace {

bool isTransportError(QNetworkReply::NetworkError error)
{
    // Connection, TLS and proxy failures; HTTP statuses map to the 200s and 400s.
    return error > QNetworkReply::NoError && error < QNetworkReply::ContentAccessDenied;
}

QList<QSslCertificate> certificatesInFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray contents = file.readAll();
    QList<QSslCertificate> certificates = QSslCertificate::fromData(contents, QSsl::Pem);
    if (certificates.isEmpty())
        certificates = QSslCertificate::fromData(contents, QSsl::Der);
    return certificates;
}

TransportFault faultOf(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
        return TransportFault::Refused;
    case QNetworkReply::HostNotFoundError:
        return TransportFault::HostNotFound;
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError:   // the transfer timeout aborts this way
        return TransportFault::TimedOut;
    case QNetworkReply::SslHandshakeFailedError:
        return TransportFault::Certificate;
    default:
        return TransportFault::Other;
    }
}

HttpResponse responseOf(QNetworkReply *reply)
{
    HttpResponse response;
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    response.hasStatus = status.isValid();
    response.status = status.toLongLong();
    response.failed = reply->error() != QNetworkReply::NoError;
    if (response.failed)
        response.errorText = reply->errorString();
    response.transportFailed =
        isTransportError(reply->error()) || (!response.hasStatus && reply->error() != QNetworkReply::NoError);
    if (response.transportFailed)
        response.fault = faultOf(reply->error());
    else
        response.body = reply->readAll();
    return response;
}

} // namespace

NetworkTransport::NetworkTransport() = default;

NetworkTransport::~NetworkTransport()
{
    shutDown();
}

QNetworkAccessManager &NetworkTransport::network()
{
    if (!m_network)
        m_network = std::make_unique<QNetworkAccessManager>();
    return *m_network;
}

QSslConfiguration NetworkTransport::sslConfiguration(const QString &caFile)
{
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    if (caFile.isEmpty())
        return configuration;
    // Reading the file once per path keeps every request from touching the disk; a
    // changed setting (another path) is picked up on the next request.
    auto found = m_certificatesByPath.find(caFile);
    if (found == m_certificatesByPath.end()) {
        found = m_certificatesByPath.insert(caFile, certificatesInFile(caFile));
        if (found->isEmpty())
            std::fprintf(stderr, "Error: no certificate could be read from %s\n", qPrintable(caFile));
    }
    configuration.addCaCertificates(*found);
    return configuration;
}

quint64 NetworkTransport::start(const HttpRequest &request, Handler done)
{
    QNetworkRequest networkRequest{QUrl(request.url, QUrl::TolerantMode)};
    if (networkRequest.url().scheme() == QLatin1String("https")) {
        // An open connection keeps the TLS settings it was made with, whatever a later
        // request carries: when another CA file is configured, start over.
        if (request.caFile != m_caFileInUse) {
            network().clearConnectionCache();
            m_caFileInUse = request.caFile;
        }
        networkRequest.setSslConfiguration(sslConfiguration(request.caFile));
    }
    networkRequest.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    networkRequest.setTransferTimeout(request.stalledTransferMs);

    QNetworkReply *reply = nullptr;
    if (request.contentType.isEmpty()) {
        reply = network().get(networkRequest);
    } else {
        networkRequest.setHeader(QNetworkRequest::ContentTypeHeader, request.contentType);
        reply = network().post(networkRequest, request.body);
        sendBodyWithoutDelay(reply, networkRequest.url());
    }
    const quint64 id = m_nextId++;
    m_replies.insert(id, reply);
    connect(reply, &QNetworkReply::finished, this, [this, id, reply, done = std::move(done)] {
        finish(id, reply, done);
    });
    return id;
}

void NetworkTransport::sendBodyWithoutDelay(QNetworkReply *reply, const QUrl &url)
{
    const quint16 port = quint16(url.port(url.scheme() == QLatin1String("https") ? 443 : 80));
    // A connection kept open from an earlier request is changed now; a new one as
    // soon as the body starts to go, well before its last segment.
    disableNagleOnConnectionsTo(port);
    auto changed = std::make_shared<bool>(false);
    connect(reply, &QNetworkReply::uploadProgress, this, [port, changed](qint64 sent, qint64) {
        if (sent > 0 && !*changed)
            *changed = disableNagleOnConnectionsTo(port) > 0;
    });
}

void NetworkTransport::finish(quint64 id, QNetworkReply *reply, const Handler &done)
{
    reply->deleteLater();
    if (m_replies.take(id) != reply)
        return;   // aborted, or the transport was shut down
    if (done)
        done(responseOf(reply));
}

void NetworkTransport::abort(quint64 id)
{
    if (QPointer<QNetworkReply> reply = m_replies.take(id)) {
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
}

void NetworkTransport::shutDown()
{
    const QList<quint64> ids = m_replies.keys();
    for (quint64 id : ids)
        abort(id);
    m_network.reset();
}
