#include "platform/SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QStandardPaths>
#include <QThread>

namespace {
QString defaultFolder()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder;
}

// Longest line a later start may send; anything longer is not one of ours.
constexpr qint64 kMaxMessage = 1024;
} // namespace

SingleInstance::SingleInstance(const QString &folder, QObject *parent)
    : QObject(parent)
    , m_folder(folder.isEmpty() ? defaultFolder() : folder)
{
}

SingleInstance::~SingleInstance()
{
    release();
}

bool SingleInstance::tryLock()
{
    if (m_lock)
        return true;
    QDir().mkpath(m_folder);
    auto lock = std::make_unique<QLockFile>(lockPath());
    // Only a lock whose process is gone counts as stale, however long it was held.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0))
        return false;
    m_lock = std::move(lock);
    return true;
}

bool SingleInstance::listen()
{
    if (m_server)
        return true;
    if (!m_lock)
        return false;
    // Holding the lock, any socket file left here belongs to a dead process.
    QLocalServer::removeServer(socketPath());
    auto *server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(socketPath())) {
        delete server;
        return false;
    }
    m_server = server;
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnection);
    return true;
}

void SingleInstance::acceptConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            while (socket->canReadLine()) {
                const QByteArray line = socket->readLine(kMaxMessage + 1);
                // A line longer than any request of ours ends the conversation.
                if (!line.endsWith('\n')) {
                    socket->abort();
                    return;
                }
                if (!line.trimmed().isEmpty())
                    emit messageReceived(line.trimmed());
            }
            if (socket->bytesAvailable() > kMaxMessage)
                socket->abort();
        });
    }
}

bool SingleInstance::sendToPrimary(const QByteArray &message, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    // The primary may hold the lock but not listen yet while it starts: retry.
    while (true) {
        QLocalSocket socket;
        socket.connectToServer(socketPath());
        if (socket.waitForConnected(int(qMax<qint64>(1, deadline.remainingTime())))) {
            socket.write(message + '\n');
            while (socket.bytesToWrite() > 0 && !deadline.hasExpired())
                socket.waitForBytesWritten(int(qMax<qint64>(1, deadline.remainingTime())));
            const bool written = socket.bytesToWrite() == 0;
            socket.disconnectFromServer();
            if (socket.state() != QLocalSocket::UnconnectedState)
                socket.waitForDisconnected(1000);
            return written;
        }
        if (deadline.hasExpired())
            return false;
        QThread::msleep(25);
    }
}

void SingleInstance::release()
{
    if (m_server) {
        m_server->close();
        delete m_server;
        m_server = nullptr;
    }
    if (m_lock) {
        m_lock->unlock();
        m_lock.reset();
    }
}
