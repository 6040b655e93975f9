#include "tests/harness/ServerProcess.h"

#include "tests/harness/PostgresCluster.h"
#include "tests/harness/TestEnvironment.h"

#include "service/HttpTransport.h"
#include "service/ServiceConfiguration.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <QUuid>
#include <memory>
#include <optional>

#include <arpa/inet.h>
#include <csignal>
#include <cstdio>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vtest {
namespace {

bool portAccepts(int port)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    const bool connected = ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    close(fd);
    return connected;
}

} // namespace

ServerProcess::~ServerProcess()
{
    stop();
}

bool ServerProcess::prepareFolders()
{
    if (!m_dataDir.isEmpty())
        return true;
    const TestEnvironment *environment = TestEnvironment::current();
    const QString root = environment ? environment->root() : QDir::tempPath();
    const QString base = root + QStringLiteral("/server-") + QUuid::createUuid().toString(QUuid::Id128).left(8);
    m_dataDir = m_options.dataDir.isEmpty() ? base + QStringLiteral("/data") : m_options.dataDir;
    m_certFile = base + QStringLiteral("/localhost.crt");
    m_keyFile = base + QStringLiteral("/localhost.key");
    m_logFile = base + QStringLiteral("/server.log");
    return QDir().mkpath(m_dataDir) && QDir().mkpath(base);
}

bool testsUsePostgres()
{
    return qEnvironmentVariable("VORNIK_TEST_DATABASE") == QStringLiteral("postgresql");
}

bool ServerProcess::chooseDatabase()
{
    if (!m_databaseUrl.isEmpty())
        return true;  // a restart keeps its database
    if (!m_options.databaseUrl.isEmpty())
        m_databaseUrl = m_options.databaseUrl;
    else if (!testsUsePostgres())
        m_databaseUrl = QStringLiteral("sqlite:") + m_dataDir + QStringLiteral("/vornik.db");
    else if (PostgresCluster *cluster = PostgresCluster::shared())
        m_databaseUrl = cluster->createDatabase();
    if (m_databaseUrl.isEmpty())
        std::fprintf(stderr, "ServerProcess: no PostgreSQL cluster for VORNIK_TEST_DATABASE=postgresql: %s\n",
                     qPrintable(PostgresCluster::unavailableReason()));
    return !m_databaseUrl.isEmpty();
}

bool ServerProcess::makeCertificate()
{
    if (QFile::exists(m_certFile) && QFile::exists(m_keyFile))
        return true;
    // An EC key by default: far quicker to make than RSA, and Qt and OpenSSL both take it.
    QStringList command{QStringLiteral("openssl"), QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey")};
    if (m_options.rsaCertificate)
        command << QStringLiteral("rsa:2048");
    else
        command << QStringLiteral("ec") << QStringLiteral("-pkeyopt") << QStringLiteral("ec_paramgen_curve:prime256v1");
    command << QStringLiteral("-nodes") << QStringLiteral("-days") << QStringLiteral("2") << QStringLiteral("-subj")
            << QStringLiteral("/CN=localhost") << QStringLiteral("-addext")
            << QStringLiteral("subjectAltName=DNS:localhost,IP:127.0.0.1") << QStringLiteral("-keyout") << m_keyFile
            << QStringLiteral("-out") << m_certFile;
    QString output;
    const int status = run(command, &output);
    if (status != 0)
        std::fprintf(stderr, "ServerProcess: openssl failed: %s\n", qPrintable(output));
    return status == 0;
}

bool ServerProcess::start(const Options &options)
{
    stop();
    m_options = options;
    const QString binary = qEnvironmentVariable("VORNIK_SERVER_BINARY");
    if (binary.isEmpty() || !QFile::exists(binary)) {
        std::fprintf(stderr, "ServerProcess: VORNIK_SERVER_BINARY is not set to a file\n");
        return false;
    }
    if (!prepareFolders() || !chooseDatabase())
        return false;
    if (options.tls && !makeCertificate())
        return false;

    m_port = freeLoopbackPort();
    const QString scheme = options.tls ? QStringLiteral("https://") : QStringLiteral("http://");
    QStringList command = options.launcher;
    command << QStringList{binary,
                        QStringLiteral("--data"), m_dataDir,
                        QStringLiteral("--database"), m_databaseUrl,
                        QStringLiteral("--listen"), publicHost(),
                        QStringLiteral("--public-url"), scheme + publicHost() + QLatin1Char('/')};
    if (options.tls)
        command << QStringLiteral("--cert") << m_certFile << QStringLiteral("--key") << m_keyFile;
    if (options.maxUploadMb > 0)
        command << QStringLiteral("--max-upload-mb") << QString::number(options.maxUploadMb);
    if (options.tokenLifetimeMs >= 0)
        command << QStringLiteral("--token-lifetime-ms") << QString::number(options.tokenLifetimeMs);
    command << options.extraArguments;

    m_pid = spawn(command, m_logFile);
    if (m_pid <= 0 || !waitForPort(20000)) {
        std::fprintf(stderr, "ServerProcess: vornik-server did not come up on port %d (log %s)\n", m_port,
                     qPrintable(m_logFile));
        stop();
        return false;
    }
    return true;
}

bool ServerProcess::waitForPort(int timeoutMs)
{
    // Polls until the port accepts a connection, giving up early if the server died.
    for (int waited = 0; waited < timeoutMs; waited += 25) {
        if (waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
            m_pid = -1;
            return false;
        }
        if (portAccepts(m_port))
            return true;
        poll(nullptr, 0, 25);
    }
    return false;
}

bool ServerProcess::stop()
{
    const bool clean = vtest::stop(m_pid);
    m_pid = -1;
    return clean;
}

void ServerProcess::kill()
{
    if (m_pid <= 0)
        return;
    ::kill(m_pid, SIGKILL);
    waitpid(m_pid, nullptr, 0);
    m_pid = -1;
}

QStringList recordedImageNames(const ServerProcess &server)
{
    const QString url = server.databaseUrl();
    if (url.startsWith(QStringLiteral("postgresql://"))) {
        PostgresCluster *cluster = PostgresCluster::shared();
        return cluster ? cluster->query(url, QStringLiteral("SELECT name FROM images")) : QStringList{};
    }
    // SQLite, through its own command-line shell.
    QString output;
    if (run({QStringLiteral("sqlite3"), QStringLiteral("-readonly"), url.mid(7), QStringLiteral("SELECT name FROM images")},
            &output)
        != 0)
        return {QStringLiteral("query failed")};
    return output.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString ServerProcess::publicHost() const
{
    return QStringLiteral("127.0.0.1:%1").arg(m_port);
}

QString ServerProcess::baseUrl() const
{
    const QString scheme = m_options.tls ? QStringLiteral("https://") : QStringLiteral("http://");
    return scheme + publicHost() + QLatin1Char('/');
}

QByteArray fetchUrl(const QUrl &url, int timeoutMs)
{
    // Through the client's own transport, trusting what the client trusts.
    HttpRequest request;
    request.url = url.toString();
    request.caFile = ServiceConfiguration::caFilePath();
    auto response = std::make_shared<std::optional<HttpResponse>>();
    const quint64 id = HttpTransport::shared().start(request, [response](const HttpResponse &answer) {
        *response = answer;
    });
    if (!QTest::qWaitFor([&response] { return response->has_value(); }, timeoutMs)) {
        HttpTransport::shared().abort(id);
        return {};
    }
    return (*response)->failed ? QByteArray() : (*response)->body;
}

QByteArray fetchRaw(const QString &link, int timeoutMs)
{
    const QUrl url(link);
    QUrl raw = url;
    raw.setPath(QStringLiteral("/raw") + url.path());
    return fetchUrl(raw, timeoutMs);
}

} // namespace vtest
