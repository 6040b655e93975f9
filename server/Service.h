#pragma once

#include "server/AllowedUsers.h"
#include "server/CompositeCache.h"
#include "server/ImageStore.h"
#include "server/RateLimiter.h"
#include "server/ServerOptions.h"
#include "server/StorageUsage.h"
#include "server/Store.h"

#include <array>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vornik::server {

struct Reply {
    int status = 200;
    std::string body;
    std::string contentType = "text/plain; charset=utf-8";
    std::string file{};                     // when set, the body is this file, streamed from disk
    std::string cacheControl = "no-store";  // salts, tokens and histories are never kept
    std::string etag{};
    long long retryAfterSeconds = 0;        // when set, the client may try again after this long

    static Reply text(int status, std::string body) { return Reply{status, std::move(body)}; }
};

// Where the image files and the database disagree. Uploads write the file before
// the row and deletions remove the row before the file, so a crash can leave only
// files without rows; rows without files come from files lost some other way.
struct StoreReport {
    std::vector<std::string> filesWithoutRows;
    std::vector<std::string> rowsWithoutFiles;
    std::string integrity;  // the engine's integrity check: "ok" when sound
    int schemaVersion = 0;
    int latestSchemaVersion = 0;

    bool consistent() const
    {
        return filesWithoutRows.empty() && rowsWithoutFiles.empty() && integrity == "ok"
            && schemaVersion == latestSchemaVersion;
    }
};

// What each request does, apart from HTTP itself. Path pieces arrive already
// split out of the URL; every method is safe to call from several threads. Which
// database and which image storage it runs on is the options' business only.
class Service
{
public:
    explicit Service(const ServerOptions &options);
    bool open(std::string *error);
    // Closes the database; no request may be in progress or follow.
    void close();
    // Compares the image files with the database; only while no request runs.
    StoreReport checkStore();
    // Removes the files without rows and the rows without files.
    bool repairStore(const StoreReport &report);
    // Copies every image from the other kind of storage into this one, checks each
    // copy, then removes the originals there; composites are made again on demand.
    // Returns how many images moved, or -1 on a failure (the source keeps its images).
    int migrateStorage(std::string *error);
    // True when several instances may share the database and the images.
    bool sharedStore() const { return m_store && m_store->shared(); }

    // Reads the users file again (on SIGHUP); the old list stays on failure.
    bool reloadUsers(std::string *error);

    // `address` is the client's, for the per-address limits.
    Reply salt(const std::string &address = {});
    Reply upload(const std::string &token, std::string_view contentType, std::string_view body,
                 const std::string &address = {});
    Reply history(const std::string &token, const std::string &userId, bool shortList);
    Reply remove(const std::string &token, const std::string &name, const std::string &userId);
    Reply setUser(const std::string &token, const std::string &userId, const std::string &headerImage,
                  const std::string &headerColor);
    Reply decorated(const std::string &name);
    Reply raw(const std::string &name);
    // raw() without touching the database, for an image that raw() has served from
    // a file before and nobody has deleted through this service since; nothing
    // otherwise. Cheap enough for a thread that must not wait.
    std::optional<Reply> rawFromMemory(const std::string &name) const;

    const StorageUsage &usage() const { return m_usage; }
    Reply health();

private:
    std::optional<std::string> ownUploadName(const std::string &link) const;
    static std::string historyText(const std::vector<ImageRecord> &records);
    std::mutex &imageLock(const std::string &name);
    Reply missingImage();
    Reply decoratedReply(ImageSource source, const std::string &name, const std::string &bannerKey);
    Reply decoratedUnderLock(const std::string &name, std::vector<CompositeCache::Entry> *evicted);
    void evictComposites(const std::vector<CompositeCache::Entry> &evicted);
    // The reply that refuses a request for its token, or nothing when the token is good.
    std::optional<Reply> tokenRefusal(const std::string &token);
    std::optional<Reply> overRateLimit(const std::string &address);
    std::optional<Reply> storeUpload(const std::string &owner, std::string_view png, std::string *name);
    void countStoredImages();

    ServerOptions m_options;
    std::unique_ptr<Store> m_store;
    ImageStore m_folder;
    std::unique_ptr<DatabaseImages> m_databaseImages;
    ImageStorage *m_images = &m_folder;
    RateLimiter m_requestLimit;
    StorageUsage m_usage;
    CompositeCache m_composites;
    AllowedUsers m_users;
    // Serialise the cache writes and removals of one image, striped by name.
    std::array<std::mutex, 64> m_imageLocks;
    // Names raw() has found, with their files. A lookup lists its name only when
    // no deletion has been counted since it started, so that a deletion and a
    // lookup of the same image cannot cross (without waiting on the image's lock,
    // which a banner being composed may hold for long).
    mutable std::mutex m_servedMutex;
    std::unordered_map<std::string, std::string> m_servedFiles;
    uint64_t m_servedDeletions = 0;
};

} // namespace vornik::server
