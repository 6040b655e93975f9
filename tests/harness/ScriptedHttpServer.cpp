#include "tests/harness/ScriptedHttpServer.h"

namespace vtest {

QByteArray ScriptedHttpServer::Request::header(const QByteArray &name) const
{
    for (const auto &[key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

ScriptedHttpServer::ScriptedHttpServer(Script script, QObject *parent)
    : QObject(parent)
    , m_script(std::move(script))
{
    connect(&m_server, &QTcpServer::newConnection, this, &ScriptedHttpServer::onNewConnection);
}

ScriptedHttpServer::~ScriptedHttpServer()
{
    // The sockets are the listening server's children; they go first, while the
    // buffers their clean-up touches still exist.
    m_server.close();
    qDeleteAll(m_server.findChildren<QTcpSocket *>());
}

bool ScriptedHttpServer::start()
{
    return m_server.listen(QHostAddress::LocalHost, 0);
}

QString ScriptedHttpServer::baseUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1/").arg(port());
}

void ScriptedHttpServer::onNewConnection()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QObject::destroyed, this, [this, socket] { m_buffers.remove(socket); });
    }
}

void ScriptedHttpServer::onReadyRead(QTcpSocket *socket)
{
    QByteArray &buffer = m_buffers[socket];
    buffer += socket->readAll();
    for (;;) {
        const qsizetype headerEnd = buffer.indexOf("\r\n\r\n");
        if (headerEnd < 0)
            return;
        Request request;
        const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
        const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
        request.method = requestLine.value(0);
        request.target = requestLine.value(1);
        qsizetype contentLength = 0;
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const QByteArray line = lines.at(i).trimmed();
            const qsizetype colon = line.indexOf(':');
            if (colon <= 0)
                continue;
            request.headers.append({line.left(colon).trimmed(), line.mid(colon + 1).trimmed()});
            if (request.headers.last().first.compare("content-length", Qt::CaseInsensitive) == 0)
                contentLength = request.headers.last().second.toLongLong();
        }
        if (buffer.size() < headerEnd + 4 + contentLength)
            return;
        request.body = buffer.mid(headerEnd + 4, contentLength);
        buffer.remove(0, headerEnd + 4 + contentLength);
        m_requests.append(request);
        const std::optional<Reply> reply = m_script(request);
        if (reply)
            answer(socket, *reply);
        else
            m_held.append(socket);
        emit requestArrived();
    }
}

void ScriptedHttpServer::release(const Reply &reply)
{
    if (m_held.isEmpty())
        return;
    QPointer<QTcpSocket> socket = m_held.takeFirst();
    if (socket)
        answer(socket, reply);
}

void ScriptedHttpServer::answer(QTcpSocket *socket, const Reply &reply)
{
    if (reply.hangUp) {
        socket->abort();
        return;
    }
    QByteArray out = "HTTP/1.1 " + QByteArray::number(reply.status) + " Scripted\r\n";
    out += "Content-Type: text/plain\r\n";
    out += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n\r\n";
    out += reply.body;
    socket->write(out);
}

} // namespace vtest
