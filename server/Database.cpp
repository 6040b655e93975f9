#include "server/Database.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>

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
    std::string text(int column)
    {
        const auto *bytes = reinterpret_cast<const char *>(sqlite3_column_text(handle, column));
        return bytes ? std::string(bytes, size_t(sqlite3_column_bytes(handle, column))) : std::string();
    }
};

const char *const schema = R"sql(
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
)sql";

} // namespace

Database::~Database()
{
    close();
}

void Database::close()
{
    const std::lock_guard lock(m_mutex);
    if (m_db)
        sqlite3_close(m_db);
    m_db = nullptr;
}

bool Database::open(const std::string &path, std::string *error)
{
    if (sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                        nullptr)
        != SQLITE_OK) {
        *error = m_db ? sqlite3_errmsg(m_db) : "cannot open the database";
        return false;
    }
    sqlite3_busy_timeout(m_db, 5000);
    // FULL: a committed delete must survive a power cut before its file is unlinked.
    if (!exec("PRAGMA journal_mode=WAL;") || !exec("PRAGMA synchronous=FULL;") || !exec(schema)) {
        *error = sqlite3_errmsg(m_db);
        return false;
    }
    Statement last{prepare("SELECT COALESCE(MAX(millis), 0) FROM images")};
    if (last.handle && sqlite3_step(last.handle) == SQLITE_ROW)
        m_lastMillis = sqlite3_column_int64(last.handle, 0);
    return true;
}

bool Database::exec(const char *sql)
{
    char *message = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        std::fprintf(stderr, "database: %s\n", message ? message : "error");
        sqlite3_free(message);
        return false;
    }
    return true;
}

sqlite3_stmt *Database::prepare(const char *sql)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(m_db, sql, -1, &statement, nullptr) != SQLITE_OK)
        std::fprintf(stderr, "database: %s\n", sqlite3_errmsg(m_db));
    return statement;
}

// What the last failed call on the connection means (called under the mutex).
Change Database::failure() const
{
    return sqlite3_errcode(m_db) == SQLITE_FULL ? Change::full : Change::failed;
}

Change Database::insertImage(const std::string &name, const std::string &owner, int64_t nowMillis, int64_t *millis)
{
    std::lock_guard lock(m_mutex);
    const int64_t stamp = std::max(nowMillis, m_lastMillis + 1);
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

std::optional<ImageRecord> Database::image(const std::string &name)
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

Change Database::deleteImage(const std::string &name, const std::string &owner)
{
    std::lock_guard lock(m_mutex);
    if (!exec("BEGIN IMMEDIATE"))
        return failure();
    Statement remove{prepare("DELETE FROM images WHERE name = ? AND owner = ?")};
    Statement unbanner{prepare("UPDATE users SET header_image = '' WHERE id = ? AND header_image = ?")};
    Change outcome = Change::failed;
    if (remove.handle && unbanner.handle) {
        remove.bind(1, name);
        remove.bind(2, owner);
        if (sqlite3_step(remove.handle) != SQLITE_DONE)
            outcome = failure();
        else if (sqlite3_changes(m_db) != 1)
            outcome = Change::notFound;
        else {
            unbanner.bind(1, owner);
            unbanner.bind(2, name);
            outcome = sqlite3_step(unbanner.handle) == SQLITE_DONE ? Change::done : failure();
        }
    }
    if (outcome == Change::done && !exec("COMMIT"))
        outcome = failure();
    if (outcome != Change::done)
        exec("ROLLBACK");
    return outcome;
}

bool Database::forgetImage(const std::string &name)
{
    std::lock_guard lock(m_mutex);
    Statement remove{prepare("DELETE FROM images WHERE name = ?")};
    if (!remove.handle)
        return false;
    remove.bind(1, name);
    return sqlite3_step(remove.handle) == SQLITE_DONE;
}

std::string Database::integrityReport()
{
    std::lock_guard lock(m_mutex);
    std::string report;
    Statement check{prepare("PRAGMA integrity_check")};
    while (check.handle && sqlite3_step(check.handle) == SQLITE_ROW)
        report += (report.empty() ? "" : "; ") + check.text(0);
    return report.empty() ? "integrity check did not run" : report;
}

std::vector<ImageRecord> Database::history(const std::string &owner, size_t limit)
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

bool Database::setBannerKey(const std::string &name, const std::string &key)
{
    std::lock_guard lock(m_mutex);
    Statement update{prepare("UPDATE images SET banner_key = ? WHERE name = ?")};
    if (!update.handle)
        return false;
    update.bind(1, key);
    update.bind(2, name);
    return sqlite3_step(update.handle) == SQLITE_DONE;
}

std::vector<std::string> Database::allImageNames()
{
    std::lock_guard lock(m_mutex);
    std::vector<std::string> names;
    Statement select{prepare("SELECT name FROM images")};
    while (select.handle && sqlite3_step(select.handle) == SQLITE_ROW)
        names.push_back(select.text(0));
    return names;
}

bool Database::setUser(const UserRecord &user)
{
    std::lock_guard lock(m_mutex);
    Statement upsert{prepare("INSERT INTO users(id, header_image, header_color) VALUES(?, ?, ?) "
                             "ON CONFLICT(id) DO UPDATE SET header_image = excluded.header_image, "
                             "header_color = excluded.header_color")};
    if (!upsert.handle)
        return false;
    upsert.bind(1, user.id);
    upsert.bind(2, user.headerImage);
    upsert.bind(3, user.headerColor);
    return sqlite3_step(upsert.handle) == SQLITE_DONE;
}

std::optional<UserRecord> Database::user(const std::string &id)
{
    std::lock_guard lock(m_mutex);
    Statement select{prepare("SELECT id, header_image, header_color FROM users WHERE id = ?")};
    if (!select.handle)
        return std::nullopt;
    select.bind(1, id);
    if (sqlite3_step(select.handle) != SQLITE_ROW)
        return std::nullopt;
    return UserRecord{select.text(0), select.text(1), select.text(2)};
}

} // namespace vornik::server
