#pragma once

#include <QByteArray>
#include <QLockFile>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

class QSocketNotifier;

// One Vornik per user session. The first process takes a lock file and listens on a
// local socket beside it; a later process finds the lock taken and passes its
// request (one line, e.g. "capture") to the first through the socket, then exits.
//
// A crash leaves the lock file and the socket behind: the lock names a process that
// no longer runs, so the next start takes it over and replaces the dead socket.
//
// The socket is a plain Unix socket watched by the event loop rather than a
// QLocalServer, so the tray application does not touch the network library's
// pages just to wait for later starts.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    // `folder` holds "vornik.lock" and "vornik.socket"; empty means the user's
    // runtime folder ($XDG_RUNTIME_DIR).
    explicit SingleInstance(const QString &folder = QString(), QObject *parent = nullptr);
    ~SingleInstance() override;

    // Takes the lock; false when another running instance holds it. Needs no
    // application object, so a later start can find out before it builds one.
    bool tryLock();

    // Starts listening for later starts (needs the application's event loop);
    // false when the lock is not held or the socket could not be opened.
    bool listen();

    // tryLock() and listen().
    bool becomePrimary() { return tryLock() && listen(); }

    // Sends `message` to the running instance; false when none answered within
    // `timeoutMs`. Works without an event loop.
    bool sendToPrimary(const QByteArray &message, int timeoutMs = 5000);

    // Sends `message` as a request and waits for the running instance's answer (all it
    // writes before it closes the connection) into `answer`; false when no instance
    // took the connection within `connectMs` or the answer did not come within
    // `answerMs`. Works without an event loop.
    bool requestFromPrimary(const QByteArray &message, QByteArray *answer, int connectMs, int answerMs);

    // Answers the request `id` of requestReceived with `answer` and ends it.
    void answer(quint64 id, const QByteArray &answer);

    // Stops listening and gives the lock up (before a restart starts the successor).
    void release();

    bool isPrimary() const { return m_listener != nullptr; }
    bool holdsLock() const { return m_lock != nullptr; }
    QString socketPath() const { return m_folder + QStringLiteral("/vornik.socket"); }
    QString lockPath() const { return m_folder + QStringLiteral("/vornik.lock"); }

signals:
    // A message from a later start, without its line end.
    void messageReceived(const QByteArray &message);
    // A message sent with requestFromPrimary(), which waits for answer(id, ...).
    void requestReceived(const QByteArray &message, quint64 id);

private:
    void acceptConnection();
    void readFrom(int fd, QSocketNotifier *notifier, QByteArray &pending);

    QString m_folder;
    std::unique_ptr<QLockFile> m_lock;
    QSocketNotifier *m_listener = nullptr; // watches the listening socket; owns nothing else
    // Connections whose request waits for its answer, by id.
    QHash<quint64, QPointer<QSocketNotifier>> m_waiting;
    quint64 m_lastRequest = 0;

};
