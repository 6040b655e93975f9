#pragma once

#include "server/Store.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

struct pg_conn;
struct pg_result;

namespace vornik::server {

// The store on PostgreSQL, shared by any number of instances. Each worker borrows a
// connection from a small pool. Every change is one statement (or one transaction),
// so that what must be single holds across instances: a token is deleted by the
// statement that uses it, upload times are unique per owner by a constraint, and
// expiry is judged by the database's clock.
class PostgresStore final : public Store
{
public:
    PostgresStore(std::string url, int connections, const TokenRules &rules);
    ~PostgresStore() override;

    bool open(std::string *error) override;
    void close() override;
    std::string engine() const override { return "postgresql"; }
    bool shared() const override { return true; }
    int schemaVersion() override;
    int latestSchemaVersion() const override;
    bool reachable() override;
    std::string integrityReport() override;

    TokenIssue rememberToken(const std::string &token, const std::string &address) override;
    TokenUse consumeToken(const std::string &token) override;

    Change insertImage(const std::string &name, const std::string &owner, int64_t *millis) override;
    std::optional<RateUse> countRequest(const std::string &address, long long perMinute,
                                        long long *retryAfterSeconds) override;
    std::optional<Change> insertImageWithinQuota(const std::string &name, const std::string &owner, long long bytes,
                                                 long long userQuota, int64_t *millis, bool *overQuota) override;
    bool setImageSize(const std::string &name, long long bytes) override;
    std::vector<std::string> imagesWithoutSize() override;
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

    // A query's parameter: text, or bytes sent as they are (bytea).
    struct Param {
        std::string value;
        bool binary = false;
    };
    using Result = std::unique_ptr<pg_result, void (*)(pg_result *)>;

private:
    pg_conn *connect() const;
    pg_conn *borrow();
    void giveBack(pg_conn *connection);
    // Runs one statement on a pooled connection; once more on a fresh connection when
    // the old one was broken. `binaryResult`: columns come back as raw bytes.
    Result run(const char *sql, const std::vector<Param> &params, bool binaryResult = false);
    bool succeeded(const Result &result) const;
    Change changeFailure(const Result &result) const;
    std::vector<std::string> column(const char *sql);
    bool migrate(pg_conn *connection, std::string *error);

    std::string m_url;
    TokenRules m_tokenRules;
    size_t m_maxConnections;
    std::mutex m_poolMutex;
    std::condition_variable m_returned;
    std::vector<pg_conn *> m_idle;
    size_t m_open = 0;
    std::atomic<unsigned> m_tokensIssued = 0;
    std::atomic<unsigned> m_requestsCounted = 0;
};

} // namespace vornik::server
