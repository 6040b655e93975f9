#pragma once

#include "service/HttpTransport.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <memory>

class QNetworkAccessManager;
class QNetworkReply;
class QUrl;

// HttpTransport over Qt's network access manager: one manager for the process, so
// the service client and the history preview share connections.
class NetworkTransport : public QObject, public HttpTransport
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID VornikHttpTransport_iid)
    Q_INTERFACES(HttpTransport)

public:
    NetworkTransport();
    ~NetworkTransport() override;

    quint64 start(const HttpRequest &request, Handler done) override;
    void abort(quint64 id) override;
    void shutDown() override;

private:
    QNetworkAccessManager &network();
    QSslConfiguration sslConfiguration(const QString &caFile);
    void finish(quint64 id, QNetworkReply *reply, const Handler &done);
    // Sets TCP_NODELAY on the connection that carries this request body.
    void sendBodyWithoutDelay(QNetworkReply *reply, const QUrl &url);

    std::unique_ptr<QNetworkAccessManager> m_network;
    QHash<quint64, QPointer<QNetworkReply>> m_replies;
    QHash<QString, QList<QSslCertificate>> m_certificatesByPath;
    QString m_caFileInUse;
    quint64 m_nextId = 1;
};
