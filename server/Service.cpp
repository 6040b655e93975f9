#include "server/Service.h"

#include "server/ImageWork.h"
#include "server/Multipart.h"
#include "server/Random.h"
#include "server/StoreFactory.h"
#include "server/TokenStore.h"
#include "service/Protocol.h"

#include <algorithm>
#include <cerrno>
#include <iterator>

namespace vornik::server {
namespace {

const char *const badToken = "invalid or expired token";
const char *const badUserId = "invalid user id";
const char *const noSuchImage = "no such image";
const char *const diskFull = "the server's disk is full";
const char *const userFull = "your storage on this server is full; delete some of your uploads first";
const char *const notRegistered = "this server takes uploads only from its registered users";
const char *const databaseDown = "the database is not available";

// The user-id field as our client names it, and as an encoder that escapes line
// breaks in field names (the HTML form rules) would write it.
const FormPart *userIdPart(const std::vector<FormPart> &parts)
{
    if (const FormPart *part = findPart(parts, protocol::formUserIdField))
        return part;
    return findPart(parts, "\\r%0A%0D%0A");
}

} // namespace

Service::Service(const ServerOptions &options)
    : m_options(options),
      m_requestLimit(options.rateLimitPerMinute, options.rateLimitPerMinute),
      m_usage(options.userQuotaBytes, options.totalQuotaBytes),
      m_composites(options.compositeCacheBytes)
{
    if (m_options.databaseUrl.empty())
        m_options.databaseUrl = "sqlite:" + m_options.dataDir + "/vornik.db";
    if (m_options.storage.empty())
        m_options.storage = "folder:" + m_options.dataDir;
}

bool Service::open(std::string *error)
{
    // A connection for each worker thread, and one for the odd request beside them.
    const TokenRules tokenRules{m_options.tokenLifetimeMs, size_t(m_options.pendingSalts),
                                size_t(m_options.pendingSaltsPerAddress)};
    m_store = makeStore(m_options.databaseUrl, m_options.threads + 1, tokenRules, error);
    if (!m_store)
        return false;
    // The folder first: it also holds the SQLite database by default.
    if (!m_options.imagesInDatabase()) {
        if (!m_folder.open(m_options.imageFolder(), error, m_store->shared()) || !m_store->open(error))
            return false;
    } else {
        if (!m_store->open(error))
            return false;
        m_databaseImages = std::make_unique<DatabaseImages>(*m_store);
        m_images = m_databaseImages.get();
    }
    if (!m_options.usersFile.empty() && !m_users.load(m_options.usersFile, error))
        return false;
    countStoredImages();
    // The composites kept from before count against the cache's bound at once.
    for (const ImageStorage::Composite &kept : m_images->composites())
        evictComposites(m_composites.use(kept.name, kept.key, kept.bytes));
    return true;
}

bool Service::reloadUsers(std::string *error)
{
    return m_options.usersFile.empty() || m_users.load(m_options.usersFile, error);
}

// What each user keeps, for the quotas: the sizes of the images their rows name.
void Service::countStoredImages()
{
    if (m_options.userQuotaBytes == 0 && m_options.totalQuotaBytes == 0)
        return;
    // A shared database judges each user's quota from the sizes in its rows; rows
    // from before sizes were kept get theirs now.
    for (const std::string &name : m_store->imagesWithoutSize())
        m_store->setImageSize(name, m_images->originalSize(name));
    for (const std::string &name : m_store->allImageNames()) {
        if (const auto image = m_store->image(name))
            m_usage.add(image->owner, m_images->originalSize(name));
    }
}

// The rate limit per address: counted in the database when several instances
// share it (so that together they allow what one would), else in memory.
std::optional<Reply> Service::overRateLimit(const std::string &address)
{
    long long retryAfter = 1;
    const auto shared = m_options.rateLimitPerMinute > 0
                          ? m_store->countRequest(address, m_options.rateLimitPerMinute, &retryAfter)
                          : std::nullopt;
    if (shared == RateUse::unavailable)
        return Reply::text(503, "the database is not available");
    if (shared ? shared == RateUse::allowed : m_requestLimit.allow(address))
        return std::nullopt;
    Reply reply = Reply::text(429, "too many requests from your address; try again in a minute");
    reply.retryAfterSeconds = shared ? retryAfter : m_requestLimit.secondsUntilNext(address);
    return reply;
}

StoreReport Service::checkStore()
{
    StoreReport report;
    report.schemaVersion = m_store->schemaVersion();
    report.latestSchemaVersion = m_store->latestSchemaVersion();
    std::vector<std::string> rows = m_store->allImageNames();
    std::vector<std::string> files = m_images->originalNames();
    std::sort(rows.begin(), rows.end());
    std::sort(files.begin(), files.end());
    std::set_difference(files.begin(), files.end(), rows.begin(), rows.end(), std::back_inserter(report.filesWithoutRows));
    std::set_difference(rows.begin(), rows.end(), files.begin(), files.end(), std::back_inserter(report.rowsWithoutFiles));
    report.integrity = m_store->integrityReport();
    return report;
}

bool Service::repairStore(const StoreReport &report)
{
    bool repaired = true;
    for (const std::string &name : report.filesWithoutRows)
        m_images->removeImage(name, {});
    for (const std::string &name : report.rowsWithoutFiles)
        repaired = m_store->forgetImage(name) && repaired;
    return repaired;
}

int Service::migrateStorage(std::string *error)
{
    ImageStore folder;
    DatabaseImages database(*m_store);
    ImageStorage *source = &database;
    if (m_options.imagesInDatabase()) {
        if (!folder.open(m_options.dataDir, error))
            return -1;
        source = &folder;
    }
    const std::vector<std::string> names = source->originalNames();
    for (const std::string &name : names) {
        const auto bytes = source->readOriginal(name);
        int code = 0;
        if (!bytes || !m_images->writeOriginal(name, *bytes, &code) || m_images->readOriginal(name) != bytes) {
            *error = "cannot move " + name + " into " + m_images->description();
            return -1;
        }
    }
    // Every copy is in place: only now do the originals go, and every composite with
    // them (the next request makes it again where the images now are).
    for (const std::string &name : names) {
        const auto record = m_store->image(name);
        source->removeImage(name, record ? record->bannerKey : std::string());
    }
    m_store->clearBannerKeys();
    return int(names.size());
}

void Service::close()
{
    if (m_store)
        m_store->close();
}

std::optional<Reply> Service::tokenRefusal(const std::string &token)
{
    switch (m_store->consumeToken(token)) {
    case TokenUse::accepted: return std::nullopt;
    case TokenUse::refused: return Reply::text(403, badToken);
    case TokenUse::unavailable: break;
    }
    return Reply::text(503, databaseDown);
}

Reply Service::salt(const std::string &address)
{
    if (auto refused = overRateLimit(address))
        return *refused;
    const std::string salt = randomHex(16);
    switch (m_store->rememberToken(TokenStore::tokenForSalt(salt), address)) {
    case TokenIssue::remembered: return Reply::text(200, salt);
    case TokenIssue::unavailable: return Reply::text(503, "the database is not available");
    case TokenIssue::full: break;
    }
    Reply reply = Reply::text(503, "the server is handing out too many salts; try again in a minute");
    reply.retryAfterSeconds = 60;
    return reply;
}

Reply Service::health()
{
    if (!m_store->reachable())
        return Reply::text(503, "the database is not available");
    return Reply::text(200, "ok");
}

Reply Service::upload(const std::string &token, std::string_view contentType, std::string_view body,
                      const std::string &address)
{
    if (auto refused = overRateLimit(address))
        return *refused;
    if (auto refusal = tokenRefusal(token))
        return std::move(*refusal);
    const auto boundary = multipartBoundary(contentType);
    const auto parts = boundary ? parseMultipart(body, *boundary) : std::nullopt;
    if (!parts)
        return Reply::text(400, "expected a multipart form");
    const FormPart *user = userIdPart(*parts);
    if (!user || !protocol::isUserId(user->data))
        return Reply::text(400, badUserId);
    const std::string owner(user->data);
    if (!m_users.allows(owner))
        return Reply::text(403, notRegistered);
    const FormPart *file = findPart(*parts, protocol::formFileField);
    if (!file)
        return Reply::text(400, "no image in the form");
    if (static_cast<long long>(file->data.size()) > m_options.maxUploadBytes)
        return Reply::text(413, "image too large");
    switch (checkPng(file->data)) {
    case PngCheck::decodable: break;
    case PngCheck::notPng: return Reply::text(415, "not a PNG image");
    case PngCheck::tooLarge:
        return Reply::text(415, "image too large to share: at most 64 megapixels with the banner strip");
    }

    std::string name;
    if (auto failed = storeUpload(owner, file->data, &name))
        return *failed;
    return Reply::text(200, m_options.publicBase() + "/" + name + ".png");
}

// Keeps a checked upload within its owner's quota: the file, then its row. Empty
// when it is stored, with `name` set; otherwise the reply that says why not.
std::optional<Reply> Service::storeUpload(const std::string &owner, std::string_view png, std::string *name)
{
    const auto size = static_cast<long long>(png.size());
    const bool quotaInDatabase = sharedStore() && m_options.userQuotaBytes > 0;
    switch (m_usage.reserve(owner, size, !quotaInDatabase)) {
    case StorageUsage::Verdict::fits: break;
    case StorageUsage::Verdict::userFull: return Reply::text(507, userFull);
    case StorageUsage::Verdict::serverFull:
        return Reply::text(507, "the server's storage for uploads is full");
    }
    // The file goes in before its row: a crash in between leaves a file that no
    // reply ever named, which the next start removes.
    *name = randomName();
    int error = 0;
    if (!m_images->writeOriginal(*name, png, &error)) {
        m_usage.release(owner, size);
        if (error == ENOSPC || error == EDQUOT)
            return Reply::text(507, diskFull);
        if (error == EMFILE || error == ENFILE) {
            Reply busy = Reply::text(503, "the server is out of resources right now; try again shortly");
            busy.retryAfterSeconds = 1;
            return busy;
        }
        return Reply::text(500, "could not store the image");
    }
    int64_t millis = 0;
    bool overQuota = false;
    const auto withinQuota = m_store->insertImageWithinQuota(
        *name, owner, size, quotaInDatabase ? m_options.userQuotaBytes : 0, &millis, &overQuota);
    const Change kept = withinQuota ? *withinQuota : m_store->insertImage(*name, owner, &millis);
    if (kept != Change::done) {
        m_images->removeImage(*name, {});
        m_usage.release(owner, size);
        if (overQuota)
            return Reply::text(507, userFull);
        return kept == Change::full ? Reply::text(507, diskFull) : Reply::text(500, "could not record the image");
    }
    return std::nullopt;
}

std::string Service::historyText(const std::vector<ImageRecord> &records)
{
    std::string text = "{";
    for (const ImageRecord &record : records) {
        if (text.size() > 1)
            text += ',';
        text += '"' + std::to_string(record.millis) + "\":\"" + record.name + '"';
    }
    text += '}';
    return text;
}

Reply Service::history(const std::string &token, const std::string &userId, bool shortList)
{
    if (auto refusal = tokenRefusal(token))
        return std::move(*refusal);
    if (!protocol::isUserId(userId))
        return Reply::text(400, badUserId);
    const auto records = m_store->history(userId, shortList ? protocol::shortHistoryLimit : 0);
    return Reply{200, historyText(records), "application/json"};
}

Reply Service::remove(const std::string &token, const std::string &name, const std::string &userId)
{
    if (auto refusal = tokenRefusal(token))
        return std::move(*refusal);
    if (!protocol::isUserId(userId))
        return Reply::text(400, badUserId);
    // The row goes first: a file without a row is harmless, a row without a file is not.
    if (!ImageStore::isValidName(name))
        return Reply::text(404, noSuchImage);
    std::lock_guard lock(imageLock(name));
    const long long size = m_images->originalSize(name);
    ImageRecord removed;
    switch (m_store->deleteImage(name, userId, &removed)) {
    case Change::done: break;
    case Change::notFound: return Reply::text(404, noSuchImage);
    case Change::full: return Reply::text(507, "the server's disk is full: nothing was deleted");
    case Change::failed: return Reply::text(500, "could not delete the image");
    case Change::inUse: return Reply::text(409, "this image is your banner: set another banner before deleting it");
    }
    {
        std::lock_guard served(m_servedMutex);
        ++m_servedDeletions;
        m_servedFiles.erase(name);
    }
    m_images->removeImage(name, removed.bannerKey);
    m_composites.forget(name, removed.bannerKey);
    m_usage.release(userId, size);
    return Reply::text(200, "deleted");
}

// The name of the upload that a banner link points at, when the link is one of
// this server's own image addresses (with or without scheme).
std::optional<std::string> Service::ownUploadName(const std::string &link) const
{
    std::string_view rest = link;
    for (std::string_view scheme : {"https://", "http://"}) {
        if (rest.substr(0, scheme.size()) == scheme) {
            rest.remove_prefix(scheme.size());
            break;
        }
    }
    const std::string prefix = m_options.publicBase() + "/";
    if (rest.substr(0, prefix.size()) != prefix)
        return std::nullopt;
    rest.remove_prefix(prefix.size());
    if (rest.size() < 5 || rest.substr(rest.size() - 4) != ".png")
        return std::nullopt;
    rest.remove_suffix(4);
    if (!ImageStore::isValidName(rest))
        return std::nullopt;
    return std::string(rest);
}

Reply Service::setUser(const std::string &token, const std::string &userId, const std::string &headerImage,
                       const std::string &headerColor)
{
    if (auto refusal = tokenRefusal(token))
        return std::move(*refusal);
    if (!protocol::isUserId(userId))
        return Reply::text(400, badUserId);
    if (!m_users.allows(userId))
        return Reply::text(403, notRegistered);
    if (!isHexColor(headerColor))
        return Reply::text(400, "invalid banner color");
    UserRecord user{userId, {}, headerColor};
    std::string bannerAddress;
    if (!headerImage.empty()) {
        const auto name = ownUploadName(headerImage);
        if (!name)
            return Reply::text(400, "the banner image must be one of your uploads here");
        const auto image = m_store->image(*name);
        if (!image || image->owner != userId)
            return Reply::text(404, noSuchImage);
        user.headerImage = *name;
        bannerAddress = m_options.publicScheme() + m_options.publicBase() + "/" + *name + ".png";
    }
    if (!m_store->setUser(user))
        return Reply::text(500, "could not record the banner");
    // The client keeps this reply as the banner's address and compares its history
    // rows (full links) with it after their scheme, so the reply is the full link
    // too; it is empty when the banner was cleared.
    return Reply::text(200, bannerAddress);
}

// An image the database did not find: none by that name, or no answer from the
// database (which says nothing about the image).
Reply Service::missingImage()
{
    return m_store->reachable() ? Reply::text(404, noSuchImage) : Reply::text(503, databaseDown);
}

namespace {

// What a name shows never changes: clients and caches may keep it for good.
Reply rawReply(const std::string &name, ImageSource source)
{
    Reply reply{200, std::move(source.bytes), "image/png", std::move(source.file), "public, max-age=31536000, immutable"};
    reply.etag = '"' + name + '"';
    return reply;
}

// Enough for the images being read at any one time; past it the list starts again.
constexpr size_t maxServedFiles = 10000;

} // namespace

Reply Service::raw(const std::string &name)
{
    if (!ImageStore::isValidName(name))
        return Reply::text(404, noSuchImage);
    const uint64_t deletionsBefore = [this] {
        std::lock_guard served(m_servedMutex);
        return m_servedDeletions;
    }();
    if (!m_store->image(name))
        return missingImage();
    ImageSource source = m_images->originalSource(name);
    if (source.file.empty() && source.bytes.empty())
        return Reply::text(404, noSuchImage);
    if (!source.file.empty()) {
        // A deletion since the lookup may have been of this very image: the row
        // found above can be gone, so the name is not listed this time.
        std::lock_guard served(m_servedMutex);
        if (m_servedDeletions == deletionsBefore) {
            if (m_servedFiles.size() >= maxServedFiles)
                m_servedFiles.clear();
            m_servedFiles.insert_or_assign(name, source.file);
        }
    }
    return rawReply(name, std::move(source));
}

std::optional<Reply> Service::rawFromMemory(const std::string &name) const
{
    std::lock_guard served(m_servedMutex);
    const auto found = m_servedFiles.find(name);
    if (found == m_servedFiles.end())
        return std::nullopt;
    return rawReply(name, ImageSource{found->second, {}});
}

std::mutex &Service::imageLock(const std::string &name)
{
    return m_imageLocks[std::hash<std::string>{}(name) % m_imageLocks.size()];
}

// A decorated image; the owner may change the banner, so it is kept only briefly,
// and its tag names the banner version it shows.
Reply Service::decoratedReply(ImageSource source, const std::string &name, const std::string &bannerKey)
{
    if (source.file.empty() && source.bytes.empty())
        return Reply::text(404, noSuchImage);
    Reply reply{200, std::move(source.bytes), "image/png", std::move(source.file), "public, max-age=60"};
    reply.etag = '"' + name + (bannerKey.empty() ? std::string() : '-' + bannerKey) + '"';
    return reply;
}

Reply Service::decorated(const std::string &name)
{
    if (!ImageStore::isValidName(name))
        return Reply::text(404, noSuchImage);
    std::vector<CompositeCache::Entry> evicted;
    Reply reply = decoratedUnderLock(name, &evicted);
    evictComposites(evicted);
    return reply;
}

// Removes composites that the cache no longer keeps, each under its image's lock
// (never while holding another's, so two readers cannot wait on each other).
void Service::evictComposites(const std::vector<CompositeCache::Entry> &evicted)
{
    for (const auto &[name, key] : evicted) {
        std::lock_guard lock(imageLock(name));
        m_images->evictComposite(name, key);
    }
}

// The decorated image, made and kept when there is none for the banner's version.
// `evicted` receives the other composites that the cache bound pushes out.
Reply Service::decoratedUnderLock(const std::string &name, std::vector<CompositeCache::Entry> *evicted)
{
    std::unique_lock lock(imageLock(name));
    const auto image = m_store->image(name);
    if (!image)
        return missingImage();
    const auto owner = m_store->user(image->owner);
    if (!owner || owner->headerImage.empty())
        return decoratedReply(m_images->originalSource(name), name, {});

    // A composite per banner version, which the database keeps for every instance:
    // once written it never changes, so any instance may serve it.
    const std::string key = std::to_string(owner->bannerVersion);
    if (auto cached = m_images->compositeSource(name, key)) {
        *evicted = m_composites.use(name, key, cached->file.empty() ? static_cast<long long>(cached->bytes.size())
                                                                    : m_images->compositeSize(name, key));
        // One over the whole bound (made by another instance) is still served, not
        // removed under the reader.
        if (!evicted->empty() && evicted->back() == CompositeCache::Entry{name, key})
            evicted->pop_back();
        return decoratedReply(std::move(*cached), name, key);
    }
    const auto original = m_images->readOriginal(name);
    if (!original)
        return Reply::text(404, noSuchImage);
    const auto banner = m_images->readOriginal(owner->headerImage);
    auto composed = banner ? composeWithBanner(*original, *banner, owner->headerColor) : std::nullopt;
    if (!composed)
        return decoratedReply(m_images->originalSource(name), name, {});
    if (m_images->writeComposite(name, key, *composed) && m_store->setBannerKey(name, key)) {
        if (image->bannerKey != key) {
            m_images->removeComposite(name, image->bannerKey);
            m_composites.forget(name, image->bannerKey);
        }
        *evicted = m_composites.use(name, key, static_cast<long long>(composed->size()));
        // Larger than the whole cache: served this once, and not kept.
        if (!evicted->empty() && evicted->back() == CompositeCache::Entry{name, key}) {
            evicted->pop_back();
            m_images->evictComposite(name, key);
        } else if (auto written = m_images->compositeSource(name, key)) {
            return decoratedReply(std::move(*written), name, key);
        }
    }
    return decoratedReply(ImageSource{{}, std::move(*composed)}, name, key);
}

} // namespace vornik::server
