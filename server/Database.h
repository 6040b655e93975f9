#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace vornik::server {

struct ImageRecord {
    std::string name;
    std::string owner;
    int64_t millis = 0;
    std::string bannerKey;  // which banner the cached composite was made with
};

struct UserRecord {
    std::string id;
    std::string headerImage;  // name of one of the user's own uploads, or empty
    std::string headerColor;  // "#RRGGBB", or empty
};

// How a change to the database went. `full`: the disk (or quota) had no room.
enum class Change { done, notFound, full, failed };

// The index of uploads and users, in SQLite (WAL). One connection, used by one
// thread at a time.
class Database
{
public:
    Database() = default;
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    bool open(const std::string &path, std::string *error);
    // Closes the connection (folding the write-ahead log back into the database).
    void close();

    // Records an upload at the current time; upload times are made strictly
    // increasing so that history keys are unique and the order is stable.
    Change insertImage(const std::string &name, const std::string &owner, int64_t nowMillis, int64_t *millis);
    std::optional<ImageRecord> image(const std::string &name);
    // Removes the image if it belongs to `owner`; also drops it as that user's banner.
    Change deleteImage(const std::string &name, const std::string &owner);
    // Removes the row of an image whose file is gone, whoever owns it.
    bool forgetImage(const std::string &name);
    // "ok", or what SQLite's integrity check found.
    std::string integrityReport();
    // The user's uploads, newest first; limit 0 means all.
    std::vector<ImageRecord> history(const std::string &owner, size_t limit);
    bool setBannerKey(const std::string &name, const std::string &key);
    std::vector<std::string> allImageNames();

    bool setUser(const UserRecord &user);
    std::optional<UserRecord> user(const std::string &id);

private:
    bool exec(const char *sql);
    Change failure() const;
    sqlite3_stmt *prepare(const char *sql);

    std::mutex m_mutex;
    sqlite3 *m_db = nullptr;
    int64_t m_lastMillis = 0;
};

} // namespace vornik::server
