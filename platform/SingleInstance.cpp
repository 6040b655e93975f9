#include "platform/SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
QString defaultFolder()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder;
}

// Longest line a later start may send (a request may name a file); anything longer
// is not one of ours.
constexpr qint64 kMaxMessage = 8192;

// What starts a line sent by requestFromPrimary().
const QByteArray kRequestPrefix = QByteArrayLiteral("request ");

// Connects to the socket at `address`, retrying until `deadline` while the primary
// holds the lock but does not listen yet (it is starting); -1 when it never answered.
int connectBefore(const sockaddr_un &address, const QDeadlineTimer &deadline)
{
    while (true) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0)
            return -1;
        if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0)
            return fd;
        ::close(fd);
        if (deadline.hasExpired())
            return -1;
        QThread::msleep(25);
    }
}

// Reads from `fd` until the other end closes it; false when `deadline` came first.
bool readToEnd(int fd, QByteArray *into, const QDeadlineTimer &deadline)
{
    char buffer[65536];
    while (true) {
        pollfd watch{fd, POLLIN, 0};
        const int ready = ::poll(&watch, 1, int(qMax<qint64>(1, deadline.remainingTime())));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return false;
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        into->append(buffer, n);
    }
}

// The socket address for `path`; false when the path does not fit one.
bool socketAddress(const QString &path, sockaddr_un &address)
{
    const QByteArray native = QFile::encodeName(path);
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (native.isEmpty() || size_t(native.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, native.constData(), size_t(native.size()));
    return true;
}

// A watched socket that closes its descriptor when it goes, so deleting the
// listener (or a connection) never leaks one.
class OwnedSocket : public QSocketNotifier
{
public:
    OwnedSocket(int fd, QObject *parent)
        : QSocketNotifier(fd, QSocketNotifier::Read, parent)
    {
    }
    ~OwnedSocket() override
    {
        setEnabled(false);
        ::close(int(socket()));
    }
    QByteArray pending; // the part line a later start has sent so far
};

// True when the peer runs as this user: a socket in a shared temporary folder
// must not take requests from anyone else.
bool peerIsThisUser(int fd)
{
    ucred credentials{};
    socklen_t length = sizeof credentials;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) == 0 && credentials.uid == ::getuid();
}

// Writes all of `data` to `fd` before `deadline`; false when it could not.
bool writeAll(int fd, const QByteArray &data, const QDeadlineTimer &deadline)
{
    qsizetype written = 0;
    while (written < data.size()) {
        const ssize_t n = ::send(fd, data.constData() + written, size_t(data.size() - written), MSG_NOSIGNAL);
        if (n > 0) {
            written += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return false;
        pollfd watch{fd, POLLOUT, 0};
        if (deadline.hasExpired() || ::poll(&watch, 1, int(qMax<qint64>(1, deadline.remainingTime()))) <= 0)
            return false;
    }
    return true;
}
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
    if (m_listener)
        return true;
    if (!m_lock)
        return false;
    sockaddr_un address;
    if (!socketAddress(socketPath(), address))
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    // Holding the lock, any socket file left here belongs to a dead process.
    ::unlink(address.sun_path);
    if (::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0
        || ::chmod(address.sun_path, S_IRUSR | S_IWUSR) != 0 || ::listen(fd, 16) != 0) {
        ::close(fd);
        return false;
    }
    m_listener = new OwnedSocket(fd, this);
    connect(m_listener, &QSocketNotifier::activated, this, &SingleInstance::acceptConnection);
    return true;
}

void SingleInstance::acceptConnection()
{
    while (true) {
        const int fd = ::accept4(int(m_listener->socket()), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR)
                continue;
            return; // EAGAIN: nothing more waiting
        }
        if (!peerIsThisUser(fd)) {
            ::close(fd);
            continue;
        }
        // Children of the listener, so giving the socket up also ends open conversations.
        auto *connection = new OwnedSocket(fd, m_listener);
        connect(connection, &QSocketNotifier::activated, this,
                [this, connection] { readFrom(int(connection->socket()), connection, connection->pending); });
    }
}

void SingleInstance::readFrom(int fd, QSocketNotifier *notifier, QByteArray &pending)
{
    char buffer[512];
    while (true) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        if (n <= 0)
            break; // the later start is done (or the socket failed)
        pending.append(buffer, n);
        qsizetype end;
        while ((end = pending.indexOf('\n')) >= 0) {
            // A line longer than any request of ours ends the conversation.
            if (end >= kMaxMessage) {
                notifier->deleteLater();
                notifier->setEnabled(false);
                return;
            }
            const QByteArray line = pending.left(end).trimmed();
            pending.remove(0, end + 1);
            if (line.startsWith(kRequestPrefix)) {
                // The connection stays open for the answer; nothing more is read from it.
                notifier->setEnabled(false);
                m_waiting.insert(++m_lastRequest, notifier);
                emit requestReceived(line.mid(kRequestPrefix.size()), m_lastRequest);
                return;
            }
            if (!line.isEmpty())
                emit messageReceived(line);
        }
        if (pending.size() > kMaxMessage)
            break;
    }
    notifier->setEnabled(false);
    notifier->deleteLater();
}

void SingleInstance::answer(quint64 id, const QByteArray &answer)
{
    const QPointer<QSocketNotifier> connection = m_waiting.take(id);
    if (!connection)
        return; // the listener went, and the conversation with it
    // A caller that went away makes the write fail; the answer is then lost with it.
    writeAll(int(connection->socket()), answer, QDeadlineTimer(30000));
    // The caller reads to the end; the descriptor itself closes with the notifier,
    // which may be the one whose signal is running now.
    ::shutdown(int(connection->socket()), SHUT_RDWR);
    connection->deleteLater();
}

bool SingleInstance::requestFromPrimary(const QByteArray &message, QByteArray *answer, int connectMs, int answerMs)
{
    sockaddr_un address;
    if (!socketAddress(socketPath(), address))
        return false;
    const int fd = connectBefore(address, QDeadlineTimer(connectMs));
    const QDeadlineTimer deadline(answerMs);
    if (fd < 0)
        return false;
    const bool answered = writeAll(fd, kRequestPrefix + message + '\n', deadline) && ::shutdown(fd, SHUT_WR) == 0
                          && readToEnd(fd, answer, deadline);
    ::close(fd);
    return answered;
}

bool SingleInstance::sendToPrimary(const QByteArray &message, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    sockaddr_un address;
    if (!socketAddress(socketPath(), address))
        return false;
    const int fd = connectBefore(address, deadline);
    if (fd < 0)
        return false;
    const bool written = writeAll(fd, message + '\n', deadline);
    ::shutdown(fd, SHUT_WR);
    ::close(fd);
    return written;
}

void SingleInstance::release()
{
    if (m_listener) {
        delete m_listener; // closes the socket and every open conversation
        m_listener = nullptr;
        QFile::remove(socketPath());
    }
    if (m_lock) {
        m_lock->unlock();
        m_lock.reset();
    }
}
