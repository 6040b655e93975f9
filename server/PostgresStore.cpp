#include "server/PostgresStore.h"

#include <libpq-fe.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace vornik::server {
namespace {

// The schema, one step per version, as on SQLite (the same numbers mean the same
// tables). All steps a start needs run in one transaction under an advisory lock,
// so instances starting together apply each step once.
const char *const migrations[] = {
    R"sql(
CREATE TABLE images(
    name text PRIMARY KEY,
    owner text NOT NULL,
    millis bigint NOT NULL,
    banner_key text NOT NULL DEFAULT '');
CREATE TABLE users(
    id text PRIMARY KEY,
    header_image text NOT NULL DEFAULT '',
    header_color text NOT NULL DEFAULT '');
)sql",
    R"sql(
ALTER TABLE users ADD COLUMN banner_version bigint NOT NULL DEFAULT 0;
ALTER TABLE images ADD CONSTRAINT images_owner_millis UNIQUE(owner, millis);
CREATE TABLE blobs(
    kind smallint NOT NULL,
    name text NOT NULL,
    key text NOT NULL,
    png bytea NOT NULL,
    PRIMARY KEY(kind, name, key));
-- PNG is compressed already: keep it out of line without compressing it again.
ALTER TABLE blobs ALTER COLUMN png SET STORAGE EXTERNAL;
-- Tokens live ten minutes; after a crash of the database, clients ask for new salts.
CREATE UNLOGGED TABLE tokens(
    token text PRIMARY KEY,
    address text NOT NULL,
    expires_at timestamptz NOT NULL);
CREATE INDEX tokens_by_expiry ON tokens(expires_at);
CREATE INDEX tokens_by_address ON tokens(address, expires_at);
)sql",
    R"sql(
-- The request rate of each client address, counted by every instance together: a
-- bucket that holds a minute's worth and refills; swept once it is full again.
CREATE UNLOGGED TABLE request_rates(
    address text PRIMARY KEY,
    tokens double precision NOT NULL,
    refilled timestamptz NOT NULL);
-- Each upload's size, so that every instance judges a user's quota alike.
ALTER TABLE images ADD COLUMN bytes bigint;
-- Records an upload when its owner's uploads with it stay within the quota (0: none);
-- NULL when they would not. The owner's lock keeps two instances from both taking
-- the last room (each statement here sees what was committed before it).
CREATE FUNCTION insert_image_within_quota(new_name text, new_owner text, new_bytes bigint, quota bigint)
RETURNS bigint LANGUAGE plpgsql AS $$
DECLARE
    stamp bigint;
BEGIN
    PERFORM pg_advisory_xact_lock(hashtext('vornik quota'), hashtext(new_owner));
    IF quota > 0 AND (SELECT COALESCE(SUM(bytes), 0) FROM images WHERE owner = new_owner) + new_bytes > quota THEN
        RETURN NULL;
    END IF;
    INSERT INTO images(name, owner, millis, bytes)
        SELECT new_name, new_owner, GREATEST((extract(epoch FROM clock_timestamp()) * 1000)::bigint,
                                             COALESCE(MAX(millis), 0) + 1), new_bytes
        FROM images WHERE owner = new_owner
        RETURNING millis INTO stamp;
    RETURN stamp;
END $$;
)sql",
};

constexpr long long migrationLock = 0x766f726e696bLL;  // any number; the same for every instance
const char *const uniqueViolation = "23505";
const char *const diskFull = "53100";

PostgresStore::Result wrap(PGresult *result)
{
    return PostgresStore::Result(result, PQclear);
}

std::string value(const PostgresStore::Result &result, int row, int column)
{
    return std::string(PQgetvalue(result.get(), row, column), size_t(PQgetlength(result.get(), row, column)));
}

std::string sqlState(const PostgresStore::Result &result)
{
    const char *state = result ? PQresultErrorField(result.get(), PG_DIAG_SQLSTATE) : nullptr;
    return state ? state : "";
}

bool execOn(PGconn *connection, const std::string &sql, std::string *error)
{
    const auto result = wrap(PQexec(connection, sql.c_str()));
    const ExecStatusType status = PQresultStatus(result.get());
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK)
        return true;
    *error = PQerrorMessage(connection);
    return false;
}

} // namespace

PostgresStore::PostgresStore(std::string url, int connections, const TokenRules &rules)
    : m_url(std::move(url)), m_tokenRules(rules), m_maxConnections(size_t(std::max(1, connections)))
{
}

PostgresStore::~PostgresStore()
{
    close();
}

bool PostgresStore::open(std::string *error)
{
    PGconn *connection = connect();
    if (PQstatus(connection) != CONNECTION_OK) {
        *error = std::string("cannot connect to PostgreSQL: ") + PQerrorMessage(connection);
        PQfinish(connection);
        return false;
    }
    const bool migrated = migrate(connection, error);
    std::lock_guard lock(m_poolMutex);
    m_idle.push_back(connection);
    ++m_open;
    return migrated;
}

bool PostgresStore::migrate(PGconn *connection, std::string *error)
{
    if (!execOn(connection, "BEGIN", error))
        return false;
    const auto fail = [&](const std::string &what) {
        *error = what + *error;
        std::string ignored;
        execOn(connection, "ROLLBACK", &ignored);
        return false;
    };
    if (!execOn(connection, "SELECT pg_advisory_xact_lock(" + std::to_string(migrationLock) + ")", error)
        || !execOn(connection, "CREATE TABLE IF NOT EXISTS schema_migrations(version integer PRIMARY KEY, "
                               "applied_at timestamptz NOT NULL DEFAULT now())", error))
        return fail("cannot read the schema version: ");
    const auto current = wrap(PQexec(connection, "SELECT COALESCE(MAX(version), 0) FROM schema_migrations"));
    if (PQresultStatus(current.get()) != PGRES_TUPLES_OK)
        return fail(PQerrorMessage(connection));
    const int version = std::atoi(PQgetvalue(current.get(), 0, 0));
    if (version > latestSchemaVersion())
        return fail("the database has schema version " + std::to_string(version) + "; this vornik-server knows up to "
                    + std::to_string(latestSchemaVersion()));
    for (int step = version + 1; step <= latestSchemaVersion(); ++step) {
        if (!execOn(connection, migrations[step - 1], error)
            || !execOn(connection, "INSERT INTO schema_migrations(version) VALUES(" + std::to_string(step) + ")", error))
            return fail("schema step " + std::to_string(step) + " failed: ");
    }
    return execOn(connection, "COMMIT", error) || fail("cannot commit the schema: ");
}

void PostgresStore::close()
{
    std::lock_guard lock(m_poolMutex);
    for (PGconn *connection : m_idle)
        PQfinish(connection);
    m_open -= m_idle.size();
    m_idle.clear();
}

// libpq waits for the system's TCP timeout (minutes) on a host that does not answer,
// unless told otherwise; the URL's own connect_timeout, when it has one, comes later
// and wins.
PGconn *PostgresStore::connect() const
{
    const char *const keywords[] = {"connect_timeout", "dbname", nullptr};
    const char *const values[] = {"5", m_url.c_str(), nullptr};
    return PQconnectdbParams(keywords, values, 1);
}

PGconn *PostgresStore::borrow()
{
    std::unique_lock lock(m_poolMutex);
    m_returned.wait(lock, [this] { return !m_idle.empty() || m_open < m_maxConnections; });
    if (!m_idle.empty()) {
        PGconn *connection = m_idle.back();
        m_idle.pop_back();
        return connection;
    }
    ++m_open;
    lock.unlock();
    // Connecting takes a round trip or more: not under the lock.
    return connect();
}

void PostgresStore::giveBack(PGconn *connection)
{
    {
        std::lock_guard lock(m_poolMutex);
        m_idle.push_back(connection);
    }
    m_returned.notify_one();
}

PostgresStore::Result PostgresStore::run(const char *sql, const std::vector<Param> &params, bool binaryResult)
{
    std::vector<const char *> values;
    std::vector<int> lengths;
    std::vector<int> formats;
    for (const Param &param : params) {
        values.push_back(param.value.c_str());
        lengths.push_back(int(param.value.size()));
        formats.push_back(param.binary ? 1 : 0);
    }
    PGconn *connection = borrow();
    Result result = wrap(nullptr);
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (PQstatus(connection) != CONNECTION_OK)
            PQreset(connection);
        result = wrap(PQexecParams(connection, sql, int(params.size()), nullptr, values.data(), lengths.data(),
                                   formats.data(), binaryResult ? 1 : 0));
        if (PQstatus(connection) == CONNECTION_OK)
            break;
    }
    if (!succeeded(result))
        std::fprintf(stderr, "database: %s", PQerrorMessage(connection));
    giveBack(connection);
    return result;
}

bool PostgresStore::succeeded(const Result &result) const
{
    const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
    return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
}

Change PostgresStore::changeFailure(const Result &result) const
{
    return sqlState(result) == diskFull ? Change::full : Change::failed;
}

std::vector<std::string> PostgresStore::column(const char *sql)
{
    std::vector<std::string> values;
    const Result result = run(sql, {});
    for (int row = 0; succeeded(result) && row < PQntuples(result.get()); ++row)
        values.push_back(value(result, row, 0));
    return values;
}

int PostgresStore::latestSchemaVersion() const
{
    return int(std::size(migrations));
}

int PostgresStore::schemaVersion()
{
    const auto versions = column("SELECT COALESCE(MAX(version), 0) FROM schema_migrations");
    return versions.empty() ? -1 : std::atoi(versions.front().c_str());
}

bool PostgresStore::reachable()
{
    return column("SELECT 1") == std::vector<std::string>{"1"};
}

std::string PostgresStore::integrityReport()
{
    return reachable() ? "ok" : "the database does not answer";
}

TokenIssue PostgresStore::rememberToken(const std::string &token, const std::string &address)
{
    // Expired tokens are swept now and then by whichever instance issues salts.
    if (m_tokensIssued.fetch_add(1) % 512 == 511)
        run("DELETE FROM tokens WHERE expires_at < clock_timestamp()", {});
    // The new token, and beyond the address's share its own oldest pending ones go,
    // on every instance alike. (The statement's snapshot does not see the new row.)
    const Result result = run(
        "WITH added AS (INSERT INTO tokens(token, address, expires_at) VALUES($1, $2, clock_timestamp() + "
        "$3::bigint * interval '1 millisecond') ON CONFLICT(token) DO UPDATE SET address = excluded.address, "
        "expires_at = excluded.expires_at RETURNING token) "
        "DELETE FROM tokens WHERE token IN (SELECT token FROM tokens WHERE address = $2 AND token <> $1 "
        "ORDER BY expires_at DESC OFFSET $4::bigint - 1)",
        {{token}, {address}, {std::to_string(m_tokenRules.lifetimeMs)}, {std::to_string(m_tokenRules.perAddress)}});
    return succeeded(result) ? TokenIssue::remembered : TokenIssue::unavailable;
}

TokenUse PostgresStore::consumeToken(const std::string &token)
{
    // The row goes with the statement that reads it: of two instances asking at once,
    // the second finds nothing.
    const Result result = run("DELETE FROM tokens WHERE token = $1 RETURNING expires_at > clock_timestamp()", {{token}});
    if (!succeeded(result))
        return TokenUse::unavailable;
    return PQntuples(result.get()) == 1 && value(result, 0, 0) == "t" ? TokenUse::accepted : TokenUse::refused;
}

Change PostgresStore::insertImage(const std::string &name, const std::string &owner, int64_t *millis)
{
    // Now by the database's clock, and after the owner's latest upload. Two instances
    // may pick the same time for one owner; the constraint refuses the second, which
    // tries again.
    for (int attempt = 0; attempt < 8; ++attempt) {
        const Result result = run(
            "INSERT INTO images(name, owner, millis) SELECT $1, $2, GREATEST((extract(epoch FROM clock_timestamp()) * "
            "1000)::bigint, COALESCE(MAX(millis), 0) + 1) FROM images WHERE owner = $2 RETURNING millis",
            {{name}, {owner}});
        if (succeeded(result) && PQntuples(result.get()) == 1) {
            *millis = std::stoll(value(result, 0, 0));
            return Change::done;
        }
        const char *constraint = result ? PQresultErrorField(result.get(), PG_DIAG_CONSTRAINT_NAME) : nullptr;
        if (sqlState(result) != uniqueViolation || !constraint || std::strcmp(constraint, "images_owner_millis") != 0)
            return changeFailure(result);
    }
    return Change::failed;
}

std::optional<RateUse> PostgresStore::countRequest(const std::string &address, long long perMinute,
                                                   long long *retryAfterSeconds)
{
    // Buckets that have refilled hold nothing worth keeping: swept now and then.
    if (m_requestsCounted.fetch_add(1) % 512 == 511)
        run("DELETE FROM request_rates WHERE refilled < statement_timestamp() - interval '1 minute'", {});
    // One statement: the bucket refilled for the time since, and one taken when it
    // holds one; no row back when it does not.
    const std::string rate = std::to_string(perMinute);
    const Result taken = run(
        "INSERT INTO request_rates AS r(address, tokens, refilled) VALUES($1, $2::float8 - 1, statement_timestamp()) "
        "ON CONFLICT(address) DO UPDATE SET tokens = LEAST($2::float8, r.tokens + extract(epoch FROM "
        "statement_timestamp() - r.refilled) * $2::float8 / 60) - 1, refilled = statement_timestamp() "
        "WHERE LEAST($2::float8, r.tokens + extract(epoch FROM statement_timestamp() - r.refilled) * $2::float8 / 60) >= 1 "
        "RETURNING tokens",
        {{address}, {rate}});
    if (!succeeded(taken))
        return RateUse::unavailable;
    if (PQntuples(taken.get()) == 1)
        return RateUse::allowed;
    const Result wait = run(
        "SELECT GREATEST(1, ceil((1 - LEAST($2::float8, tokens + extract(epoch FROM statement_timestamp() - refilled) "
        "* $2::float8 / 60)) * 60 / $2::float8)) FROM request_rates WHERE address = $1",
        {{address}, {rate}});
    *retryAfterSeconds = succeeded(wait) && PQntuples(wait.get()) == 1 ? std::atoll(value(wait, 0, 0).c_str()) : 1;
    return RateUse::refused;
}

std::optional<Change> PostgresStore::insertImageWithinQuota(const std::string &name, const std::string &owner,
                                                            long long bytes, long long userQuota, int64_t *millis,
                                                            bool *overQuota)
{
    const Result result = run("SELECT insert_image_within_quota($1, $2, $3::bigint, $4::bigint)",
                              {{name}, {owner}, {std::to_string(bytes)}, {std::to_string(userQuota)}});
    if (!succeeded(result) || PQntuples(result.get()) != 1)
        return changeFailure(result);
    *overQuota = PQgetisnull(result.get(), 0, 0);
    if (*overQuota)
        return Change::failed;
    *millis = std::stoll(value(result, 0, 0));
    return Change::done;
}

bool PostgresStore::setImageSize(const std::string &name, long long bytes)
{
    return succeeded(run("UPDATE images SET bytes = $2::bigint WHERE name = $1 AND bytes IS NULL",
                         {{name}, {std::to_string(bytes)}}));
}

std::vector<std::string> PostgresStore::imagesWithoutSize()
{
    return column("SELECT name FROM images WHERE bytes IS NULL");
}

std::optional<ImageRecord> PostgresStore::image(const std::string &name)
{
    const Result result = run("SELECT name, owner, millis, banner_key FROM images WHERE name = $1", {{name}});
    if (!succeeded(result) || PQntuples(result.get()) != 1)
        return std::nullopt;
    return ImageRecord{value(result, 0, 0), value(result, 0, 1), std::stoll(value(result, 0, 2)), value(result, 0, 3)};
}

Change PostgresStore::deleteImage(const std::string &name, const std::string &owner, ImageRecord *removed)
{
    // One statement: the row goes unless it is the owner's banner. The user's row is
    // locked first, so a set-user writing it at the same moment is either seen here
    // or waits until this deletion is over.
    const Result result = run(
        "WITH owner_row AS (SELECT header_image FROM users WHERE id = $2 FOR UPDATE), "
        "removed AS (DELETE FROM images WHERE name = $1 AND owner = $2 "
        "AND NOT EXISTS(SELECT 1 FROM owner_row WHERE header_image = $1) RETURNING millis, banner_key) "
        "SELECT millis::text, banner_key, 'removed' FROM removed "
        "UNION ALL SELECT '0', '', 'banner' FROM owner_row WHERE header_image = $1",
        {{name}, {owner}});
    if (!succeeded(result))
        return changeFailure(result);
    if (PQntuples(result.get()) != 1)
        return Change::notFound;
    if (value(result, 0, 2) == "banner")
        return Change::inUse;
    *removed = ImageRecord{name, owner, std::stoll(value(result, 0, 0)), value(result, 0, 1)};
    return Change::done;
}

bool PostgresStore::forgetImage(const std::string &name)
{
    return succeeded(run("DELETE FROM images WHERE name = $1", {{name}}));
}

std::vector<ImageRecord> PostgresStore::history(const std::string &owner, size_t limit)
{
    std::vector<ImageRecord> records;
    const Result result = run("SELECT name, millis FROM images WHERE owner = $1 ORDER BY millis DESC LIMIT $2::bigint",
                              {{owner}, {limit == 0 ? std::string("9223372036854775807") : std::to_string(limit)}});
    for (int row = 0; succeeded(result) && row < PQntuples(result.get()); ++row)
        records.push_back(ImageRecord{value(result, row, 0), owner, std::stoll(value(result, row, 1)), {}});
    return records;
}

bool PostgresStore::setBannerKey(const std::string &name, const std::string &key)
{
    return succeeded(run("UPDATE images SET banner_key = $2 WHERE name = $1", {{name}, {key}}));
}

bool PostgresStore::clearBannerKeys()
{
    return succeeded(run("UPDATE images SET banner_key = ''", {}));
}

std::vector<std::string> PostgresStore::allImageNames()
{
    return column("SELECT name FROM images");
}

bool PostgresStore::setUser(const UserRecord &user)
{
    return succeeded(run("INSERT INTO users(id, header_image, header_color, banner_version) VALUES($1, $2, $3, 1) "
                         "ON CONFLICT(id) DO UPDATE SET header_image = excluded.header_image, "
                         "header_color = excluded.header_color, banner_version = users.banner_version + 1",
                         {{user.id}, {user.headerImage}, {user.headerColor}}));
}

std::optional<UserRecord> PostgresStore::user(const std::string &id)
{
    const Result result = run("SELECT id, header_image, header_color, banner_version FROM users WHERE id = $1", {{id}});
    if (!succeeded(result) || PQntuples(result.get()) != 1)
        return std::nullopt;
    return UserRecord{value(result, 0, 0), value(result, 0, 1), value(result, 0, 2), std::stoll(value(result, 0, 3))};
}

Change PostgresStore::putBlob(BlobKind kind, const std::string &name, const std::string &key, const std::string &bytes)
{
    const Result result = run("INSERT INTO blobs(kind, name, key, png) VALUES($1::smallint, $2, $3, $4) "
                              "ON CONFLICT(kind, name, key) DO UPDATE SET png = excluded.png",
                              {{std::to_string(int(kind))}, {name}, {key}, {bytes, true}});
    return succeeded(result) ? Change::done : changeFailure(result);
}

std::optional<std::string> PostgresStore::blob(BlobKind kind, const std::string &name, const std::string &key)
{
    const Result result = run("SELECT png FROM blobs WHERE kind = $1::smallint AND name = $2 AND key = $3",
                              {{std::to_string(int(kind))}, {name}, {key}}, true);
    if (!succeeded(result) || PQntuples(result.get()) != 1)
        return std::nullopt;
    return value(result, 0, 0);
}

bool PostgresStore::removeBlobs(const std::string &name, bool original)
{
    return succeeded(run("DELETE FROM blobs WHERE name = $1 AND kind >= $2::smallint",
                         {{name}, {original ? "0" : "1"}}));
}

std::vector<Store::BlobEntry> PostgresStore::compositeBlobs()
{
    std::vector<BlobEntry> composites;
    const Result result = run("SELECT name, key, octet_length(png) FROM blobs WHERE kind = 1", {});
    for (int row = 0; succeeded(result) && row < PQntuples(result.get()); ++row)
        composites.push_back(BlobEntry{value(result, row, 0), value(result, row, 1), std::stoll(value(result, row, 2))});
    return composites;
}

std::vector<std::string> PostgresStore::blobNames()
{
    return column("SELECT name FROM blobs WHERE kind = 0");
}

long long PostgresStore::blobSize(BlobKind kind, const std::string &name, const std::string &key)
{
    const Result result = run("SELECT octet_length(png) FROM blobs WHERE kind = $1::smallint AND name = $2 AND key = $3",
                              {{std::to_string(int(kind))}, {name}, {key}});
    return succeeded(result) && PQntuples(result.get()) == 1 ? std::stoll(value(result, 0, 0)) : 0;
}

} // namespace vornik::server
