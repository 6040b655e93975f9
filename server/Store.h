#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vornik::server {

struct ImageRecord {
    std::string name;
    std::string owner;
    int64_t millis = 0;
    std::string bannerKey;  // the banner version the cached composite was made with
};

struct UserRecord {
    std::string id;
    std::string headerImage;  // name of one of the user's own uploads, or empty
    std::string headerColor;  // "#RRGGBB", or empty
    int64_t bannerVersion = 0;  // raised by every change of the banner, on any instance
};

// How a change to the database went. `full`: the disk (or quota) had no room.
// `inUse`: the image is its owner's banner, which no deletion may take away.
enum class Change { done, notFound, full, failed, inUse };

// What using a token came to. `unavailable`: the database did not answer, so the
// token could not be judged (and the request is answered 503, not 403).
enum class TokenUse { accepted, refused, unavailable };

// How handing out a token went. `full`: the table of pending tokens has no room.
enum class TokenIssue { remembered, full, unavailable };

// How long tokens last and how many may be pending: in all, and for one client
// address (which loses its own oldest beyond that, never another's).
struct TokenRules {
    int64_t lifetimeMs = 600000;
    size_t capacity = 200000;
    size_t perAddress = 1000;
};

// How counting a request against its address's rate went.
enum class RateUse { allowed, refused, unavailable };

// Which PNG bytes a blob holds: an upload as sent, or a composite with a banner.
enum class BlobKind { original, composite };

// Everything the service keeps in a database: one-time tokens, the index of uploads,
// users and their banners, and (with images kept in the database) the PNG bytes.
// Implemented on SQLite (one machine) and PostgreSQL (several instances on one
// database). Every method is safe to call from several threads.
class Store
{
public:
    virtual ~Store() = default;

    // Connects and brings the schema up to `latestSchemaVersion()`.
    virtual bool open(std::string *error) = 0;
    // Closes the connections; no call may be in progress or follow.
    virtual void close() = 0;
    virtual std::string engine() const = 0;  // "sqlite" or "postgresql"
    // True when every instance shares this database (several may run at once).
    virtual bool shared() const = 0;
    virtual int schemaVersion() = 0;
    virtual int latestSchemaVersion() const = 0;
    // True when the database answers a query now.
    virtual bool reachable() = 0;
    // "ok", or what the engine's own check found.
    virtual std::string integrityReport() = 0;

    // Remembers a token for a client at `address`, until the lifetime from now by the
    // database's clock.
    virtual TokenIssue rememberToken(const std::string &token, const std::string &address) = 0;
    // True when the token was remembered, not used before and not expired. Either way
    // it is gone afterwards; of several callers at once, at most one gets true.
    virtual TokenUse consumeToken(const std::string &token) = 0;

    // Records an upload now; upload times are unique per owner and increasing, so
    // history keys are unique and the order is stable.
    virtual Change insertImage(const std::string &name, const std::string &owner, int64_t *millis) = 0;

    // The limits that several instances must count together, kept in the database by
    // a shared store. Stores of one instance answer nothing, and the service counts
    // in its own memory.
    //
    // Counts a request from `address` against `perMinute` (a minute's worth may come
    // at once); when refused, `retryAfterSeconds` says when the next one may come.
    virtual std::optional<RateUse> countRequest(const std::string & /*address*/, long long /*perMinute*/,
                                                long long * /*retryAfterSeconds*/)
    {
        return std::nullopt;
    }
    // insertImage() for an upload of `bytes`, only when the owner's uploads with it
    // stay within `userQuota` (0: no quota); `overQuota` is set when they would not.
    virtual std::optional<Change> insertImageWithinQuota(const std::string & /*name*/, const std::string & /*owner*/,
                                                         long long /*bytes*/, long long /*userQuota*/,
                                                         int64_t * /*millis*/, bool * /*overQuota*/)
    {
        return std::nullopt;
    }
    // Records the size of an upload made before sizes were kept, for the quotas;
    // the names of those come from imagesWithoutSize().
    virtual bool setImageSize(const std::string & /*name*/, long long /*bytes*/) { return true; }
    virtual std::vector<std::string> imagesWithoutSize() { return {}; }
    virtual std::optional<ImageRecord> image(const std::string &name) = 0;
    // Removes the image if it belongs to `owner` and is not that user's banner (inUse
    // then, and nothing changes): every image shared with the banner shows it, so it
    // goes only once another banner, or none, is set. The test and the removal are one
    // step. `removed` receives the row as it was.
    virtual Change deleteImage(const std::string &name, const std::string &owner, ImageRecord *removed) = 0;
    // Removes the row of an image whose file is gone, whoever owns it.
    virtual bool forgetImage(const std::string &name) = 0;
    // The user's uploads, newest first; limit 0 means all.
    virtual std::vector<ImageRecord> history(const std::string &owner, size_t limit) = 0;
    virtual bool setBannerKey(const std::string &name, const std::string &key) = 0;
    virtual bool clearBannerKeys() = 0;
    virtual std::vector<std::string> allImageNames() = 0;

    // Saves the user's banner and raises the banner version.
    virtual bool setUser(const UserRecord &user) = 0;
    virtual std::optional<UserRecord> user(const std::string &id) = 0;

    // PNG bytes kept in the database (--storage database). `key` tells composites of
    // one image apart (the banner version); originals use "".
    virtual Change putBlob(BlobKind kind, const std::string &name, const std::string &key, const std::string &bytes) = 0;
    virtual std::optional<std::string> blob(BlobKind kind, const std::string &name, const std::string &key) = 0;
    // Removes the blobs of an image; composites only, or the original too.
    virtual bool removeBlobs(const std::string &name, bool original) = 0;
    virtual std::vector<std::string> blobNames() = 0;
    // The composites kept as blobs: image name, key and size.
    struct BlobEntry {
        std::string name;
        std::string key;
        long long bytes = 0;
    };
    virtual std::vector<BlobEntry> compositeBlobs() = 0;
    // A blob's size in bytes; 0 when there is none.
    virtual long long blobSize(BlobKind kind, const std::string &name, const std::string &key) = 0;
};

} // namespace vornik::server
