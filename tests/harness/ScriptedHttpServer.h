#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <functional>
#include <optional>

namespace vtest {

// A plain-HTTP/1.1 server on a loopback port, in the test process, that answers each
// request as the test's script says. It stands in for a sharing service that
// misbehaves in ways the real one never does (a refused salt, a body that is not
// text, a reply held back), and records every request exactly as it arrived.
class ScriptedHttpServer : public QObject
{
    Q_OBJECT
public:
    struct Request {
        QByteArray method;
        QByteArray target;    // the request target as sent, e.g. "/salt/"
        QList<QPair<QByteArray, QByteArray>> headers;
        QByteArray body;
        QByteArray header(const QByteArray &name) const;
    };
    struct Reply {
        int status = 200;
        QByteArray body;
        bool hangUp = false;   // close the connection without answering
    };
    // std::nullopt holds the request until release() is called.
    using Script = std::function<std::optional<Reply>(const Request &)>;

    explicit ScriptedHttpServer(Script script, QObject *parent = nullptr);
    ~ScriptedHttpServer() override;

    bool start();
    int port() const { return m_server.serverPort(); }
    QString baseUrl() const;   // "http://127.0.0.1:PORT/"

    const QList<Request> &requests() const { return m_requests; }
    int heldCount() const { return int(m_held.size()); }
    // Answers the oldest held request with `reply`.
    void release(const Reply &reply);

signals:
    void requestArrived();

private:
    struct Connection {
        QPointer<QTcpSocket> socket;
        QByteArray buffer;
    };
    void onNewConnection();
    void onReadyRead(QTcpSocket *socket);
    static void answer(QTcpSocket *socket, const Reply &reply);

    Script m_script;
    QTcpServer m_server;
    QList<Request> m_requests;
    QHash<QTcpSocket *, QByteArray> m_buffers;
    QList<QPointer<QTcpSocket>> m_held;
};

} // namespace vtest
