#include "server/ServerOptions.h"

#include <charconv>

namespace vornik::server {
namespace {

bool parseNumber(const std::string &text, long long *value)
{
    const char *end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, *value);
    return error == std::errc() && stop == end && !text.empty();
}

bool parseListen(const std::string &text, ServerOptions *options)
{
    const auto colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0)
        return false;
    long long port = 0;
    if (!parseNumber(text.substr(colon + 1), &port) || port < 1 || port > 65535)
        return false;
    options->listenHost = text.substr(0, colon);
    options->listenPort = static_cast<int>(port);
    return true;
}

bool databaseUrlIsSound(const std::string &url)
{
    return (url.rfind("sqlite:", 0) == 0 && url.size() > 7) || url.rfind("postgresql://", 0) == 0
        || url.rfind("postgres://", 0) == 0;
}

// Longer lifetimes would overflow the clock arithmetic of the token store.
constexpr long long maxLifetimeMs = 7LL * 24 * 3600 * 1000;
// An exbibyte: far beyond any disk, and still clear of overflow once in bytes.
constexpr long long maxQuotaMb = 1LL << 40;

} // namespace

std::string ServerOptions::publicBase() const
{
    std::string base = publicUrl;
    if (const auto scheme = base.find("://"); scheme != std::string::npos)
        base.erase(0, scheme + 3);
    while (!base.empty() && base.back() == '/')
        base.pop_back();
    return base;
}

std::string ServerOptions::imageFolder() const
{
    return storage.rfind("folder:", 0) == 0 ? storage.substr(7) : dataDir;
}

std::string ServerOptions::publicScheme() const
{
    const auto scheme = publicUrl.find("://");
    return scheme == std::string::npos ? std::string() : publicUrl.substr(0, scheme + 3);
}

ParseResult parseCommandLine(const std::vector<std::string> &arguments)
{
    ParseResult result;
    ServerOptions &options = result.options;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string &flag = arguments[i];
        if (flag == "--help" || flag == "-h") {
            options.showHelp = true;
            return result;
        }
        if (flag == "--check" || flag == "--repair" || flag == "--migrate-storage") {
            (flag == "--check" ? options.checkStore : flag == "--repair" ? options.repairStore : options.migrateStorage) = true;
            continue;
        }
        if (i + 1 >= arguments.size()) {
            result.error = flag.rfind("--", 0) == 0 ? flag + " needs a value" : "unknown argument " + flag;
            return result;
        }
        const std::string &value = arguments[++i];
        long long number = 0;
        // A whole number within [low, high]; the option keeps its value otherwise.
        const auto bounded = [&](long long low, long long high, const char *error) {
            if (!parseNumber(value, &number) || number < low || number > high) {
                result.error = flag + error;
                return false;
            }
            return true;
        };
        if (flag == "--data") {
            options.dataDir = value;
        } else if (flag == "--database") {
            options.databaseUrl = value;
            if (!databaseUrlIsSound(value))
                result.error = "--database takes sqlite:PATH or postgresql://...";
        } else if (flag == "--storage") {
            options.storage = value;
            if (value != "database" && (value.rfind("folder:", 0) != 0 || value.size() <= 7))
                result.error = "--storage takes folder:DIR or database";
        } else if (flag == "--listen") {
            if (!parseListen(value, &options))
                result.error = "--listen takes HOST:PORT";
        } else if (flag == "--public-url") {
            options.publicUrl = value;
        } else if (flag == "--cert") {
            options.certFile = value;
        } else if (flag == "--key") {
            options.keyFile = value;
        } else if (flag == "--max-upload-mb") {
            if (bounded(1, 1024, " takes a whole number from 1 to 1024"))
                options.maxUploadBytes = number * 1024 * 1024;
        } else if (flag == "--token-lifetime-ms") {
            if (bounded(0, maxLifetimeMs, " takes a whole number of milliseconds up to seven days"))
                options.tokenLifetimeMs = number;
        } else if (flag == "--threads") {
            if (bounded(1, 256, " takes a whole number from 1 to 256"))
                options.threads = static_cast<int>(number);
        } else if (flag == "--header-timeout-ms") {
            if (bounded(100, 600000, " takes a whole number of milliseconds from 100 to 600000"))
                options.headerTimeoutMs = number;
        } else if (flag == "--min-rate") {
            if (bounded(1, 1LL << 30, " takes a whole number of bytes per second"))
                options.minRateBytes = number;
        } else if (flag == "--max-connections") {
            if (bounded(1, 1000000, " takes a whole number from 1 to 1000000"))
                options.maxConnections = static_cast<int>(number);
        } else if (flag == "--max-connections-per-address") {
            if (bounded(1, 1000000, " takes a whole number from 1 to 1000000"))
                options.maxConnectionsPerAddress = static_cast<int>(number);
        } else if (flag == "--ipv4-prefix" || flag == "--ipv6-prefix") {
            const bool v4 = flag == "--ipv4-prefix";
            if (bounded(v4 ? 8 : 16, v4 ? 32 : 128, v4 ? " takes a prefix length from 8 to 32" : " takes a prefix length from 16 to 128"))
                (v4 ? options.ipv4PrefixBits : options.ipv6PrefixBits) = static_cast<int>(number);
        } else if (flag == "--rate-limit") {
            if (bounded(0, 1000000, " takes a whole number of requests a minute from 0 (no limit) to 1000000"))
                options.rateLimitPerMinute = number;
        } else if (flag == "--max-pending-salts" || flag == "--max-salts") {
            if (bounded(1, 10000000, " takes a whole number from 1 to 10000000"))
                (flag == "--max-salts" ? options.pendingSalts : options.pendingSaltsPerAddress) = number;
        } else if (flag == "--user-quota-mb" || flag == "--total-quota-mb") {
            if (bounded(0, maxQuotaMb, " takes a whole number of MiB (0: no quota)"))
                (flag == "--user-quota-mb" ? options.userQuotaBytes : options.totalQuotaBytes) = number * 1024 * 1024;
        } else if (flag == "--composite-cache-mb") {
            if (bounded(1, maxQuotaMb, " takes a whole number of MiB from 1"))
                options.compositeCacheBytes = number * 1024 * 1024;
        } else if (flag == "--trusted-proxy") {
            options.trustedProxies.push_back(value);
        } else if (flag == "--users") {
            options.usersFile = value;
        } else if (flag == "--add-user") {
            options.addUser = value;
        } else {
            result.error = "unknown argument " + flag;
        }
        if (!result.error.empty())
            return result;
    }
    if (!options.addUser.empty())
        return result;
    // Without a data folder, the database and the images must both be named.
    if (options.dataDir.empty() && (options.databaseUrl.empty() || options.storage.empty()))
        result.error = "--data DIR is required";
    else if (options.certFile.empty() != options.keyFile.empty())
        result.error = "--cert and --key go together";
    if (options.databaseUrl.empty())
        options.databaseUrl = "sqlite:" + options.dataDir + "/vornik.db";
    if (options.storage.empty())
        options.storage = "folder:" + options.dataDir;
    if (options.publicUrl.empty()) {
        const std::string scheme = options.certFile.empty() ? "http://" : "https://";
        options.publicUrl = scheme + options.listenHost + ":" + std::to_string(options.listenPort) + "/";
    }
    return result;
}

std::string helpText()
{
    return "Usage: vornik-server --data DIR [options]\n"
           "       vornik-server --add-user ID\n"
           "       vornik-server --database URL --storage WHERE [options]\n"
           "\n"
           "The sharing service for Vornik: hands out one-time salts, stores uploaded PNG\n"
           "images per user, lists and deletes them, and serves them with the owner's banner.\n"
           "\n"
           "Options:\n"
           "  --data DIR              folder for the database and the images (required\n"
           "                          unless --database and --storage name both)\n"
           "  --database URL          sqlite:PATH (default DIR/vornik.db), or\n"
           "                          postgresql://USER@HOST/NAME for several instances\n"
           "                          on one database (libpq's URL form and variables)\n"
           "  --storage WHERE         folder:DIR (default: the data folder; several\n"
           "                          instances may share it) or database (the PNG bytes\n"
           "                          in the database)\n"
           "  --listen HOST:PORT      address to listen on (default 127.0.0.1:8443)\n"
           "  --public-url URL        the address clients reach this server at, such as\n"
           "                          https://localhost:8443/ (default: from --listen)\n"
           "  --cert FILE --key FILE  serve HTTPS with this certificate and private key\n"
           "                          (without them: plain HTTP)\n"
           "  --max-upload-mb N       largest accepted image in MiB (default 25)\n"
           "  --threads N             worker threads (default 16)\n"
           "  --token-lifetime-ms N   how long a salt stays usable (default 600000)\n"
           "  --header-timeout-ms N   time for a request's headers, and for a TLS\n"
           "                          handshake (default 10000)\n"
           "  --min-rate N            slowest accepted body or reply transfer, bytes per\n"
           "                          second over any stretch as long as the header\n"
           "                          timeout (default 32768)\n"
           "  --max-connections N     open connections in total (default 10000)\n"
           "  --max-connections-per-address N\n"
           "                          open connections from one address (default 256);\n"
           "                          once the total is reached, the address holding the\n"
           "                          most loses its newest to make room for another\n"
           "  --ipv4-prefix N         leading bits of an IPv4 address that the limits per\n"
           "                          address count together (default 32)\n"
           "  --ipv6-prefix N         the same for IPv6 (default 64: a /64 is one address)\n"
           "  --rate-limit N          salts and uploads a minute from one address (default\n"
           "                          600; 0: no limit); answered 429 beyond it\n"
           "  --max-pending-salts N   unused salts one address may hold (default 1000); its\n"
           "                          oldest go first; when all addresses together hold\n"
           "                          --max-salts, the address holding the most loses its\n"
           "                          newest\n"
           "  --max-salts N           unused salts of all addresses together (default 200000)\n"
           "  --user-quota-mb N       storage for each user's uploads (default 10240; 0: none)\n"
           "  --total-quota-mb N      storage for all uploads (default 0: only the disk)\n"
           "  --composite-cache-mb N  storage for images kept with their owner's banner\n"
           "                          (default 1024); the least recently read go first\n"
           "  --trusted-proxy ADDR    a reverse proxy at ADDR (such as 127.0.0.1) whose\n"
           "                          X-Forwarded-For names the client for the limits above;\n"
           "                          its connections are not capped per address (repeatable)\n"
           "  --users FILE            closed registration: only the user ids listed in FILE\n"
           "                          may upload or set a banner; read again on SIGHUP\n"
           "  --add-user ID           print the line that lists user ID (from vornik\n"
           "                          --user-id) in the users file, and exit\n"
           "  --check                 report the schema version, images without database\n"
           "                          rows, rows without images and the database's\n"
           "                          integrity, then exit (1 when anything is wrong);\n"
           "                          refused while a server runs on the SQLite folder\n"
           "  --repair                remove what --check reports, then exit; with every\n"
           "                          instance stopped. Each start on SQLite does this too\n"
           "  --migrate-storage       move every image into --storage from the other kind\n"
           "                          (into the database from the folder of --data, or\n"
           "                          into folder:DIR from the database), then exit;\n"
           "                          with every instance stopped\n"
           "  --help                  show this text\n"
           "\n"
           "Requests: GET salt/, POST upload/TOKEN, GET history/TOKEN/UID[/10],\n"
           "GET delete/TOKEN/NAME/UID, GET setuser/TOKEN?id=UID&headerImage=LINK&headerColor=%23RRGGBB,\n"
           "GET NAME.png (with banner), GET raw/NAME.png (as uploaded),\n"
           "GET healthz (200 while the database answers).\n";
}

} // namespace vornik::server
