#pragma once

#include <QString>
#include <QStringList>
#include <sys/types.h>

// A throw-away PostgreSQL 15 cluster for a test: initdb in a folder under the test's
// root, the server on a unix socket in that folder (no TCP), stopped by process id.
// PostgreSQL refuses to run as root, so under root the cluster runs as the
// unprivileged user vornik-test (made by scripts/install-deps.sh).
namespace vtest {

class PostgresCluster
{
public:
    PostgresCluster() = default;
    ~PostgresCluster();
    PostgresCluster(const PostgresCluster &) = delete;
    PostgresCluster &operator=(const PostgresCluster &) = delete;

    // Empty when a cluster can be made here, else why not (for QSKIP).
    static QString unavailableReason();
    // The test process's cluster, started on first use and stopped with the test's
    // environment; nullptr when it cannot start.
    static PostgresCluster *shared();

    // Makes a cluster in `folder` (or starts the one there) and waits until it answers.
    // Not `durable`: no fsync, as nothing needs to outlive the test.
    bool start(const QString &folder, bool durable = false);
    // Fast shutdown (SIGINT) by process id; true when the server ended cleanly.
    bool stop();
    bool isRunning() const { return m_pid > 0; }
    pid_t pid() const { return m_pid; }

    // A fresh, empty database and its URL for --database.
    QString createDatabase();
    QString urlFor(const QString &database) const;
    // Rows of a query's result, one line each with columns separated by "|".
    QStringList query(const QString &url, const QString &sql) const;

private:
    QStringList asClusterUser(const QStringList &command) const;
    QString binary(const char *name) const;
    bool waitUntilReady(int timeoutMs);

    QString m_folder;
    QString m_socketFolder;
    int m_port = -1;
    pid_t m_pid = -1;
    int m_databases = 0;
};

} // namespace vtest
