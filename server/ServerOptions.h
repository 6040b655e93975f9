#pragma once

#include <string>
#include <vector>

namespace vornik::server {

// What the command line asks of vornik-server.
struct ServerOptions {
    std::string dataDir;
    std::string listenHost = "127.0.0.1";
    int listenPort = 8443;
    std::string publicUrl;          // "https://host:port/"; replies use it without scheme
    std::string certFile;
    std::string keyFile;
    long long maxUploadBytes = 25LL * 1024 * 1024;
    long long tokenLifetimeMs = 600000;
    int threads = 16;
    long long headerTimeoutMs = 10000;   // for a request's headers; also the window the minimum rate is judged over
    long long minRateBytes = 32 * 1024;  // slowest accepted transfer of a body or reply, bytes per second
    int maxConnections = 10000;
    int maxConnectionsPerAddress = 256;
    // The per-address limits (connections, requests, salts) count a client's
    // network: its IPv4 address with this many leading bits, its IPv6 address
    // with this many (a /64 is what one subscriber usually holds).
    int ipv4PrefixBits = 32;
    int ipv6PrefixBits = 64;
    // Salts and uploads from one address per minute (0: no limit); a full minute's
    // worth may come at once.
    long long rateLimitPerMinute = 600;
    long long pendingSaltsPerAddress = 1000;
    long long pendingSalts = 200000;  // unused salts of all addresses together
    long long userQuotaBytes = 10LL * 1024 * 1024 * 1024;  // 0: no quota
    long long totalQuotaBytes = 0;                           // 0: only the disk limits
    // Images shown with their owner's banner, kept for reading again; the least
    // recently read go beyond this.
    long long compositeCacheBytes = 1024LL * 1024 * 1024;
    // Reverse proxies whose X-Forwarded-For names the client; their own connections
    // are not capped per address.
    std::vector<std::string> trustedProxies;
    std::string usersFile;  // closed registration: only the ids listed there may upload
    std::string addUser;    // --add-user ID: print its line for the users file and leave
    bool showHelp = false;
    bool checkStore = false;   // --check: report where files and database disagree, and leave
    bool repairStore = false;  // --repair: mend that, and leave
    bool migrateStorage = false;  // --migrate-storage: move the images into --storage, and leave
    std::string databaseUrl;  // "sqlite:PATH" (default DIR/vornik.db) or "postgresql://..."
    std::string storage;      // "folder:DIR" (default: the data folder) or "database"

    bool imagesInDatabase() const { return storage == "database"; }
    // The folder of folder storage: for "folder:DIR" DIR, else the data folder.
    std::string imageFolder() const;

    // The public address without scheme and without trailing "/": "host:port".
    std::string publicBase() const;
    // The scheme of the public address with its "://" ("https://"), or "" when it has none.
    std::string publicScheme() const;
};

struct ParseResult {
    ServerOptions options;
    std::string error;  // empty when the command line was sound
};

ParseResult parseCommandLine(const std::vector<std::string> &arguments);
std::string helpText();

} // namespace vornik::server
