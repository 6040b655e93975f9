#include "tests/harness/PostgresCluster.h"

#include "tests/harness/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QUrl>
#include <QUrlQuery>

#include <cstdio>
#include <memory>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vtest {
namespace {

const char *const binaries = "/usr/lib/postgresql/15/bin";
const char *const clusterUser = "vornik-test";
const char *const superuser = "vornik";

bool runningAsRoot()
{
    return geteuid() == 0;
}

// Lets the cluster's user reach its folder: every folder above it must be passable.
bool handOver(const QString &folder)
{
    const passwd *user = getpwnam(clusterUser);
    if (!user || chown(folder.toLocal8Bit().constData(), user->pw_uid, user->pw_gid) != 0)
        return false;
    for (QString above = QFileInfo(folder).absolutePath(); above != QStringLiteral("/");
         above = QFileInfo(above).absolutePath()) {
        struct stat info{};
        if (stat(above.toLocal8Bit().constData(), &info) == 0 && (info.st_mode & S_IXOTH) == 0)
            chmod(above.toLocal8Bit().constData(), (info.st_mode & 07777) | S_IXOTH);
    }
    return true;
}

} // namespace

PostgresCluster::~PostgresCluster()
{
    stop();
}

QString PostgresCluster::unavailableReason()
{
    if (!QFile::exists(QStringLiteral("%1/initdb").arg(QLatin1String(binaries))))
        return QStringLiteral("PostgreSQL 15 is not installed (scripts/install-deps.sh)");
    if (runningAsRoot() && !getpwnam(clusterUser))
        return QStringLiteral("no user vornik-test to run PostgreSQL as (scripts/install-deps.sh makes it)");
    return {};
}

PostgresCluster *PostgresCluster::shared()
{
    static std::unique_ptr<PostgresCluster> cluster;
    static bool tried = false;
    if (!tried) {
        tried = true;
        TestEnvironment *environment = TestEnvironment::current();
        auto made = std::make_unique<PostgresCluster>();
        const QString root = environment ? environment->root() : QDir::tempPath();
        if (unavailableReason().isEmpty() && made->start(root + QStringLiteral("/postgres"))) {
            cluster = std::move(made);
            // Before the environment removes the folders under the running server.
            if (environment)
                environment->atTeardown([] { cluster.reset(); });
        }
    }
    return cluster.get();
}

QString PostgresCluster::binary(const char *name) const
{
    return QStringLiteral("%1/%2").arg(QLatin1String(binaries), QLatin1String(name));
}

QStringList PostgresCluster::asClusterUser(const QStringList &command) const
{
    if (!runningAsRoot())
        return command;
    // Credentials change after fork, which clears the parent-death signal: set it again.
    return QStringList{QStringLiteral("setpriv"), QStringLiteral("--reuid=%1").arg(QLatin1String(clusterUser)),
                       QStringLiteral("--regid=%1").arg(QLatin1String(clusterUser)), QStringLiteral("--clear-groups"),
                       QStringLiteral("--pdeathsig=SIGINT")}
        + command;
}

bool PostgresCluster::start(const QString &folder, bool durable)
{
    m_folder = folder;
    m_socketFolder = folder + QStringLiteral("/socket");
    const QString data = folder + QStringLiteral("/data");
    if (!QDir().mkpath(m_socketFolder) || (runningAsRoot() && (!handOver(folder) || !handOver(m_socketFolder)))) {
        std::fprintf(stderr, "PostgresCluster: cannot prepare %s\n", qPrintable(folder));
        return false;
    }
    QString output;
    // No fsync anywhere: the cluster lives as long as the test. A second start on the
    // same folder starts the cluster that is there.
    const bool exists = QFile::exists(data + QStringLiteral("/PG_VERSION"));
    const int made = exists ? 0 : run(asClusterUser({binary("initdb"), QStringLiteral("-D"), data, QStringLiteral("-U"),
                                        QLatin1String(superuser), QStringLiteral("--auth=trust"), QStringLiteral("-N"),
                                        QStringLiteral("-E"), QStringLiteral("UTF8"), QStringLiteral("--locale=C")}),
                         &output);
    if (made != 0) {
        std::fprintf(stderr, "PostgresCluster: initdb failed: %s\n", qPrintable(output));
        return false;
    }
    if (m_port <= 0)
        m_port = freeLoopbackPort();  // names the socket; nothing listens on TCP
    QStringList command{binary("postgres"), QStringLiteral("-D"), data, QStringLiteral("-p"), QString::number(m_port),
                        QStringLiteral("-k"), m_socketFolder, QStringLiteral("-c"), QStringLiteral("listen_addresses="),
                        QStringLiteral("-c"), QStringLiteral("max_connections=300"), QStringLiteral("-c"),
                        QStringLiteral("shared_buffers=32MB")};
    if (!durable) {
        for (const char *setting : {"fsync=off", "synchronous_commit=off", "full_page_writes=off"})
            command << QStringLiteral("-c") << QLatin1String(setting);
    }
    m_pid = spawn(asClusterUser(command), folder + QStringLiteral("/postgres.log"));
    if (m_pid <= 0 || !waitUntilReady(30000)) {
        std::fprintf(stderr, "PostgresCluster: the server did not come up (log %s/postgres.log)\n", qPrintable(folder));
        stop();
        return false;
    }
    return true;
}

bool PostgresCluster::waitUntilReady(int timeoutMs)
{
    for (int waited = 0; waited < timeoutMs; waited += 50) {
        if (waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
            m_pid = -1;
            return false;
        }
        if (run({binary("pg_isready"), QStringLiteral("-q"), QStringLiteral("-h"), m_socketFolder, QStringLiteral("-p"),
                 QString::number(m_port)})
            == 0)
            return true;
        poll(nullptr, 0, 50);
    }
    return false;
}

bool PostgresCluster::stop()
{
    if (m_pid <= 0)
        return false;
    kill(m_pid, SIGINT);
    int status = 0;
    bool ended = false;
    for (int waited = 0; waited < 20000 && !ended; waited += 20) {
        ended = waitpid(m_pid, &status, WNOHANG) == m_pid;
        if (!ended)
            poll(nullptr, 0, 20);
    }
    if (!ended) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, &status, 0);
    }
    m_pid = -1;
    return ended && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

QString PostgresCluster::urlFor(const QString &database) const
{
    return QStringLiteral("postgresql://%1@/%2?host=%3&port=%4")
        .arg(QLatin1String(superuser), database, m_socketFolder, QString::number(m_port));
}

QString PostgresCluster::createDatabase()
{
    const QString name = QStringLiteral("vornik%1").arg(++m_databases);
    QString output;
    if (run({binary("createdb"), QStringLiteral("-h"), m_socketFolder, QStringLiteral("-p"), QString::number(m_port),
             QStringLiteral("-U"), QLatin1String(superuser), name},
            &output)
        != 0) {
        std::fprintf(stderr, "PostgresCluster: createdb failed: %s\n", qPrintable(output));
        return {};
    }
    return urlFor(name);
}

QStringList PostgresCluster::query(const QString &url, const QString &sql) const
{
    QString output;
    if (run({binary("psql"), QStringLiteral("-X"), QStringLiteral("-A"), QStringLiteral("-t"), QStringLiteral("-q"),
             QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-d"), url, QStringLiteral("-c"), sql},
            &output)
        != 0) {
        std::fprintf(stderr, "PostgresCluster: %s failed: %s\n", qPrintable(sql), qPrintable(output));
        return {QStringLiteral("query failed")};
    }
    return output.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace vtest
