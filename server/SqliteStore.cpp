#include "server/SqliteStore.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iterator>

namespace vornik::server {
namespace {

// Finalizes a statement when it goes out of scope.
struct Statement {
    sqlite3_stmt *handle = nullptr;
    ~Statement() { sqlite3_finalize(handle); }
    void bind(int index, const std::string &text)
    {
        sqlite3_bind_text(handle, index, text.data(), int(text.size()), SQLITE_TRANSIENT);
    }
    void bind(int index, int64_t value) { sqlite3_bind_int64(handle, index, value); }
    void bindBlob(int index, const std::string &bytes)
    {
        sqlite3_bind_blob64(handle, index, bytes.data(), bytes.size(), SQLITE_TRANSIENT);
    }
    std::string text(int column)
    {
        const auto *bytes = reinterpret_cast<const char *>(sqlite3_column_text(handle, column));
        return bytes ? std::string(bytes, size_t(sqlite3_column_bytes(handle, column))) : std::string();
    }
    std::string blob(int column)
    {
        const auto *bytes = static_cast<const char *>(sqlite3_column_blob(handle, column));
        return bytes ? std::string(bytes, size_t(sqlite3_column_bytes(handle, column))) : std::string();
    }
};

// The schema, one step per version. A step is never changed once released; later
// changes are new steps. The first creates only what is missing, so that databases
// made before versions were counted take it as they are.
const char *const migrations[] = {
    R"sql(
CREATE TABLE IF NOT EXISTS images(
    name TEXT PRIMARY KEY,
    owner TEXT NOT NULL,
    millis INTEGER NOT NULL,
    banner_key TEXT NOT NULL DEFAULT '');
CREATE INDEX IF NOT EXISTS images_by_owner ON images(owner, millis DESC);
CREATE TABLE IF NOT EXISTS users(
    id TEXT PRIMARY KEY,
    header_image TEXT NOT NULL DEFAULT '',
    header_color TEXT NOT NULL DEFAULT '');
)sql",
    R"sql(
ALTER TABLE users ADD COLUMN banner_version INTEGER NOT NULL DEFAULT 0;
CREATE UNIQUE INDEX images_owner_millis ON images(owner, millis);
CREATE TABLE blobs(
    kind INTEGER NOT NULL,
    name TEXT NOT NULL,
    key TEXT NOT NULL,
    png BLOB NOT NULL,
    PRIMARY KEY(kind, name, key));
)sql",
    // Each upload's size: kept on PostgreSQL, where several instances judge the
    // quotas together; one instance on SQLite counts them in memory.
    R"sql(
ALTER TABLE images ADD COLUMN bytes INTEGER;
)sql",
};

int64_t nowMillis()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

} // namespace

SqliteStore::SqliteStore(std::string path, const TokenRules &rules)
    : m_path(std::move(path)),
      m_tokens(std::chrono::milliseconds(rules.lifetimeMs), TokenStore::Clock::now, rules.capacity, rules.perAddress)
{
}

SqliteStore::~SqliteStore()
{
    close();
}

void SqliteStore::close()
{
    const std::lock_guard lock(m_mutex);
    if (m_db)
        sqlite3_close(m_db);
    m_db = nullptr;
}

bool SqliteStore::open(std::string *error)
{
    if (sqlite3_open_v2(m_path.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                        nullptr)
        != SQLITE_OK) {
        *error = m_db ? sqlite3_errmsg(m_db) : "cannot open the database";
        return false;
    }
    sqlite3_busy_timeout(m_db, 5000);
    // FULL: a committed delete must survive a power cut before its file is unlinked.
    if (!exec("PRAGMA journal_mode=WAL;") || !exec("PRAGMA synchronous=FULL;") || !migrate(error)) {
        if (error->empty())
            *error = sqlite3_errmsg(m_db);
        return false;
    }
    Statement last{prepare("SELECT COALESCE(MAX(millis), 0) FROM images")};
    if (last.handle && sqlite3_step(last.handle) == SQLITE_ROW)
        m_lastMillis = sqlite3_column_int64(last.handle, 0);
    return true;
}

// Applies the steps the database has not had yet, each in one transaction with its
// version number.
bool SqliteStore::migrate(std::string *error)
{
    if (!exec("CREATE TABLE IF NOT EXISTS schema_migrations(version INTEGER PRIMARY KEY, applied_at TEXT NOT NULL)"))
        return false;
    const int current = schemaVersion();
    if (current > latestSchemaVersion()) {
        *error = "the database has schema version " + std::to_string(current) + "; this vornik-server knows up to "
               + std::to_string(latestSchemaVersion());
        return false;
    }
    for (int version = current + 1; version <= latestSchemaVersion(); ++version) {
        const std::string record = "INSERT INTO schema_migrations VALUES(" + std::to_string(version) + ", datetime('now'));";
        if (!exec("BEGIN IMMEDIATE"))
            return false;
        if (!exec(migrations[version - 1]) || !exec(record.c_str()) || !exec("COMMIT")) {
            *error = "schema step " + std::to_string(version) + " failed: " + sqlite3_errmsg(m_db);
            exec("ROLLBACK");
            return false;
        }
    }
    return true;
}

int SqliteStore::latestSchemaVersion() const
{
    return int(std::size(migrations));
}

int SqliteStore::schemaVersion()
{
    Statement select{prepare("SELECT COALESCE(MAX(version), 0) FROM schema_migrations")};
    if (!select.handle || sqlite3_step(select.handle) != SQLITE_ROW)
        return -1;
    return sqlite3_column_int(select.handle, 0);
}

bool SqliteStore::reachable()
{
    std::lock_guard lock(m_mutex);
    Statement select{prepare("SELECT 1")};
    return m_db && select.handle && sqlite3_step(select.handle) == SQLITE_ROW;
}

bool SqliteStore::exec(const char *sql)
{
    char *message = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        std::fprintf(stderr, "database: %s\n", message ? message : "error");
        sqlite3_free(message);
        return false;
    }
    return true;
}

sqlite3_stmt *SqliteStore::prepare(const char *sql)
{
    sqlite3_stmt *statement = nullptr;
    if (!m_db || sqlite3_prepare_v2(m_db, sql, -1, &statement, nullptr) != SQLITE_OK)
        std::fprintf(stderr, "database: %s\n", m_db ? sqlite3_errmsg(m_db) : "not open");
    return statement;
}

// What the last failed call on the connection means (called under the mutex).
Change SqliteStore::failure() const
{
    return m_db && sqlite3_errcode(m_db) == SQLITE_FULL ? Change::full : Change::failed;
}

TokenIssue SqliteStore::rememberToken(const std::string &token, const std::string &address)
{
    return m_tokens.rememberToken(token, address) ? TokenIssue::remembered : TokenIssue::full;
}

TokenUse SqliteStore::consumeToken(const std::string &token)
{
    return m_tokens.consume(token) ? TokenUse::accepted : TokenUse::refused;
}

Change SqliteStore::insertImage(const std::string &name, const std::string &owner, int64_t *millis)
{
    std::lock_guard lock(m_mutex);
    const int64_t stamp = std::max(nowMillis(), m_lastMillis + 1);
    Statement insert{prepare("INSERT INTO images(name, owner, millis) VALUES(?, ?, ?)")};
    if (!insert.handle)
        return failure();
    insert.bind(1, name);
    insert.bind(2, owner);
    insert.bind(3, stamp);
    if (sqlite3_step(insert.handle) != SQLITE_DONE)
        return failure();
    m_lastMillis = stamp;
    *millis = stamp;
    return Change::done;
}

std::optional<ImageRecord> SqliteStore::image(const std::string &name)
{
    std::lock_guard lock(m_mutex);
    Statement select{prepare("SELECT name, owner, millis, banner_key FROM images WHERE name = ?")};
    if (!select.handle)
        return std::nullopt;
    select.bind(1, name);
    if (sqlite3_step(select.handle) != SQLITE_ROW)
        return std::nullopt;
    return ImageRecord{select.text(0), select.text(1), sqlite3_column_int64(select.handle, 2), select.text(3)};
}

Change SqliteStore::deleteImage(const std::string &name, const std::string &owner, ImageRecord *removed)
{
    std::lock_guard lock(m_mutex);
    if (!exec("BEGIN IMMEDIATE"))
        return failure();
    // Within the transaction nothing can make the image the banner between the test
    // and the removal.
    Statement banner{prepare("SELECT 1 FROM users WHERE id = ? AND header_image = ?")};
    Statement remove{prepare("DELETE FROM images WHERE name = ? AND owner = ? RETURNING millis, banner_key")};
    Change outcome = Change::failed;
    if (remove.handle && banner.handle) {
        banner.bind(1, owner);
        banner.bind(2, name);
        remove.bind(1, name);
        remove.bind(2, owner);
        const int bannerStep = sqlite3_step(banner.handle);
        const int step = bannerStep == SQLITE_DONE ? sqlite3_step(remove.handle) : SQLITE_ERROR;
        if (bannerStep == SQLITE_ROW)
            outcome = Change::inUse;
        else if (step == SQLITE_DONE)
            outcome = Change::notFound;
        else if (step != SQLITE_ROW)
            outcome = failure();
        else {
            *removed = ImageRecord{name, owner, sqlite3_column_int64(remove.handle, 0), remove.text(1)};
            outcome = sqlite3_step(remove.handle) == SQLITE_DONE ? Change::done : failure();
        }
    }
    if (outcome == Change::done && !exec("COMMIT"))
        outcome = failure();
    if (outcome != Change::done)
        exec("ROLLBACK");
    return outcome;
}

bool SqliteStore::forgetImage(const std::string &name)
{
    std::lock_guard lock(m_mutex);
    Statement remove{prepare("DELETE FROM images WHERE name = ?")};
    if (!remove.handle)
        return false;
    remove.bind(1, name);
    return sqlite3_step(remove.handle) == SQLITE_DONE;
}

std::string SqliteStore::integrityReport()
{
    std::lock_guard lock(m_mutex);
    std::string report;
    Statement check{prepare("PRAGMA integrity_check")};
    while (check.handle && sqlite3_step(check.handle) == SQLITE_ROW)
        report += (report.empty() ? "" : "; ") + check.text(0);
    return report.empty() ? "integrity check did not run" : report;
}

std::vector<ImageRecord> SqliteStore::history(const std::string &owner, size_t limit)
{
    std::lock_guard lock(m_mutex);
    std::vector<ImageRecord> records;
    Statement select{prepare("SELECT name, millis FROM images WHERE owner = ? ORDER BY millis DESC LIMIT ?")};
    if (!select.handle)
        return records;
    select.bind(1, owner);
    select.bind(2, limit == 0 ? int64_t(-1) : int64_t(limit));
    while (sqlite3_step(select.handle) == SQLITE_ROW)
        records.push_back(ImageRecord{select.text(0), owner, sqlite3_column_int64(select.handle, 1), {}});
    return records;
}

bool SqliteStore::setBannerKey(const std::string &name, const std::string &key)
{
    std::lock_guard lock(m_mutex);
    Statement update{prepare("UPDATE images SET banner_key = ? WHERE name = ?")};
    if (!update.handle)
        return false;
    update.bind(1, key);
    update.bind(2, name);
    return sqlite3_step(update.handle) == SQLITE_DONE;
}

bool SqliteStore::clearBannerKeys()
{
    std::lock_guard lock(m_mutex);
    return exec("UPDATE images SET banner_key = ''");
}

std::vector<std::string> SqliteStore::allImageNames()
{
    std::lock_guard lock(m_mutex);
    std::vector<std::string> names;
    Statement select{prepare("SELECT name FROM images")};
    while (select.handle && sqlite3_step(select.handle) == SQLITE_ROW)
        names.push_back(select.text(0));
    return names;
}

bool SqliteStore::setUser(const UserRecord &user)
{
    std::lock_guard lock(m_mutex);
    Statement upsert{prepare("INSERT INTO users(id, header_image, header_color, banner_version) VALUES(?, ?, ?, 1) "
                             "ON CONFLICT(id) DO UPDATE SET header_image = excluded.header_image, "
                             "header_color = excluded.header_color, banner_version = users.banner_version + 1")};
    if (!upsert.handle)
        return false;
    upsert.bind(1, user.id);
    upsert.bind(2, user.headerImage);
    upsert.bind(3, user.headerColor);
    return sqlite3_step(upsert.handle) == SQLITE_DONE;
}

std::optional<UserRecord> SqliteStore::user(const std::string &id)
{
    std::lock_guard lock(m_mutex);
    Statement select{prepare("SELECT id, header_image, header_color, banner_version FROM users WHERE id = ?")};
    if (!select.handle)
        return std::nullopt;
    select.bind(1, id);
    if (sqlite3_step(select.handle) != SQLITE_ROW)
        return std::nullopt;
    return UserRecord{select.text(0), select.text(1), select.text(2), sqlite3_column_int64(select.handle, 3)};
}

Change SqliteStore::putBlob(BlobKind kind, const std::string &name, const std::string &key, const std::string &bytes)
{
    std::lock_guard lock(m_mutex);
    Statement insert{prepare("INSERT OR REPLACE INTO blobs(kind, name, key, png) VALUES(?, ?, ?, ?)")};
    if (!insert.handle)
        return failure();
    insert.bind(1, int64_t(kind));
    insert.bind(2, name);
    insert.bind(3, key);
    insert.bindBlob(4, bytes);
    return sqlite3_step(insert.handle) == SQLITE_DONE ? Change::done : failure();
}

std::optional<std::string> SqliteStore::blob(BlobKind kind, const std::string &name, const std::string &key)
{
    std::lock_guard lock(m_mutex);
    Statement select{prepare("SELECT png FROM blobs WHERE kind = ? AND name = ? AND key = ?")};
    if (!select.handle)
        return std::nullopt;
    select.bind(1, int64_t(kind));
    select.bind(2, name);
    select.bind(3, key);
    if (sqlite3_step(select.handle) != SQLITE_ROW)
        return std::nullopt;
    return select.blob(0);
}

bool SqliteStore::removeBlobs(const std::string &name, bool original)
{
    std::lock_guard lock(m_mutex);
    Statement remove{prepare("DELETE FROM blobs WHERE name = ? AND kind >= ?")};
    if (!remove.handle)
        return false;
    remove.bind(1, name);
    remove.bind(2, int64_t(original ? BlobKind::original : BlobKind::composite));
    return sqlite3_step(remove.handle) == SQLITE_DONE;
}

std::vector<Store::BlobEntry> SqliteStore::compositeBlobs()
{
    std::lock_guard lock(m_mutex);
    std::vector<BlobEntry> composites;
    Statement select{prepare("SELECT name, key, length(png) FROM blobs WHERE kind = 1")};
    while (select.handle && sqlite3_step(select.handle) == SQLITE_ROW)
        composites.push_back(BlobEntry{select.text(0), select.text(1), sqlite3_column_int64(select.handle, 2)});
    return composites;
}

std::vector<std::string> SqliteStore::blobNames()
{
    std::lock_guard lock(m_mutex);
    std::vector<std::string> names;
    Statement select{prepare("SELECT name FROM blobs WHERE kind = 0")};
    while (select.handle && sqlite3_step(select.handle) == SQLITE_ROW)
        names.push_back(select.text(0));
    return names;
}

long long SqliteStore::blobSize(BlobKind kind, const std::string &name, const std::string &key)
{
    std::lock_guard lock(m_mutex);
    Statement select{prepare("SELECT length(png) FROM blobs WHERE kind = ? AND name = ? AND key = ?")};
    if (!select.handle)
        return 0;
    select.bind(1, int64_t(kind));
    select.bind(2, name);
    select.bind(3, key);
    return sqlite3_step(select.handle) == SQLITE_ROW ? sqlite3_column_int64(select.handle, 0) : 0;
}

} // namespace vornik::server
