#pragma once

#include "server/Store.h"
#include "server/TokenStore.h"

#include <memory>
#include <mutex>

struct sqlite3;
struct sqlite3_stmt;

namespace vornik::server {

// The store on SQLite (WAL) for one instance on one machine: one connection, used by
// one thread at a time. Tokens stay in this process's memory, as only this process
// hands them out.
class SqliteStore final : public Store
{
public:
    SqliteStore(std::string path, const TokenRules &rules);
    ~SqliteStore() override;

    bool open(std::string *error) override;
    void close() override;
    std::string engine() const override { return "sqlite"; }
    bool shared() const override { return false; }
    int schemaVersion() override;
    int latestSchemaVersion() const override;
    bool reachable() override;
    std::string integrityReport() override;

    TokenIssue rememberToken(const std::string &token, const std::string &address) override;
    TokenUse consumeToken(const std::string &token) override;

    Change insertImage(const std::string &name, const std::string &owner, int64_t *millis) override;
    std::optional<ImageRecord> image(const std::string &name) override;
    Change deleteImage(const std::string &name, const std::string &owner, ImageRecord *removed) override;
    bool forgetImage(const std::string &name) override;
    std::vector<ImageRecord> history(const std::string &owner, size_t limit) override;
    bool setBannerKey(const std::string &name, const std::string &key) override;
    bool clearBannerKeys() override;
    std::vector<std::string> allImageNames() override;

    bool setUser(const UserRecord &user) override;
    std::optional<UserRecord> user(const std::string &id) override;

    Change putBlob(BlobKind kind, const std::string &name, const std::string &key, const std::string &bytes) override;
    std::optional<std::string> blob(BlobKind kind, const std::string &name, const std::string &key) override;
    bool removeBlobs(const std::string &name, bool original) override;
    std::vector<std::string> blobNames() override;
    std::vector<BlobEntry> compositeBlobs() override;
    long long blobSize(BlobKind kind, const std::string &name, const std::string &key) override;

private:
    bool exec(const char *sql);
    bool migrate(std::string *error);
    Change failure() const;
    sqlite3_stmt *prepare(const char *sql);
    std::optional<UserRecord> userLocked(const std::string &id);

    std::string m_path;
    std::mutex m_mutex;
    sqlite3 *m_db = nullptr;
    int64_t m_lastMillis = 0;
    TokenStore m_tokens;
};

} // namespace vornik::server
