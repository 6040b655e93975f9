#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <sys/types.h>

// Runs one vornik-server for a test: on a free loopback port, with its data under the
// test's temporary root, over HTTPS with a fresh self-signed certificate for
// localhost unless told otherwise. The binary comes from VORNIK_SERVER_BINARY, which
// CTest sets. Stopped by process id in stop() or when the object goes away.
// The database is SQLite in the data folder, unless the options name one, or
// VORNIK_TEST_DATABASE=postgresql asks for a fresh database in the test's own
// PostgreSQL cluster (so that a whole suite runs on either engine).
namespace vtest {

class ServerProcess
{
public:
    struct Options {
        bool tls = true;
        int maxUploadMb = 0;       // 0: the server's default limit
        int tokenLifetimeMs = -1;  // -1: the server's default (ten minutes)
        bool rsaCertificate = false;  // an RSA key instead of the quicker EC one
        QStringList extraArguments{};
        QString dataDir{};  // empty: a folder under the test's root
        QString databaseUrl{};  // empty: see above
        // Put before the server's command line, such as {"prlimit", "--as=..."}: it
        // must exec the server, so that pid() stays the server's.
        QStringList launcher{};
    };

    ServerProcess() = default;
    ~ServerProcess();
    ServerProcess(const ServerProcess &) = delete;
    ServerProcess &operator=(const ServerProcess &) = delete;

    // Starts the server and waits until its port accepts connections. A second
    // start() after stop() keeps the same data folder (and certificate), so a test
    // can restart the server over its own data.
    bool start(const Options &options);
    bool start() { return start(Options()); }
    // True when the server ended by itself on SIGTERM with exit status 0.
    bool stop();
    bool isRunning() const { return m_pid > 0; }

    QString baseUrl() const;     // "https://127.0.0.1:PORT/" (http:// without TLS)
    QString publicHost() const;  // "127.0.0.1:PORT"
    QString caFile() const { return m_certFile; }
    QString dataDir() const { return m_dataDir; }
    int port() const { return m_port; }
    QString logFile() const { return m_logFile; }
    pid_t pid() const { return m_pid; }
    QString databaseUrl() const { return m_databaseUrl; }
    // Ends the server at once (SIGKILL), as a crash would.
    void kill();

private:
    bool prepareFolders();
    bool chooseDatabase();
    bool makeCertificate();
    bool waitForPort(int timeoutMs);

    Options m_options;
    QString m_dataDir;
    QString m_certFile;
    QString m_keyFile;
    QString m_logFile;
    QString m_databaseUrl;
    int m_port = -1;
    pid_t m_pid = -1;
};

// Fetches `url` with the client's TLS settings (so a test server's certificate is
// trusted once VORNIK_CA_FILE names it); empty when the request fails.
QByteArray fetchUrl(const QUrl &url, int timeoutMs = 20000);

// What the server keeps under raw/ for an image link: the bytes exactly as uploaded.
QByteArray fetchRaw(const QString &link, int timeoutMs = 20000);

// True when the suite runs its servers on PostgreSQL (VORNIK_TEST_DATABASE=postgresql).
bool testsUsePostgres();

// The names recorded in a server's database, whichever engine it uses.
QStringList recordedImageNames(const ServerProcess &server);

} // namespace vtest
