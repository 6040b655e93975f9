#include "server/Service.h"

#include "server/ImageWork.h"
#include "server/Multipart.h"
#include "server/Random.h"
#include "service/Protocol.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <iterator>

namespace vornik::server {
namespace {

const char *const badToken = "invalid or expired token";
const char *const badUserId = "invalid user id";
const char *const noSuchImage = "no such image";
const char *const diskFull = "the server's disk is full";

int64_t nowMillis()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

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
    : m_options(options), m_tokens(std::chrono::milliseconds(options.tokenLifetimeMs))
{
}

bool Service::open(std::string *error)
{
    return m_images.open(m_options.dataDir, error) && m_database.open(m_options.dataDir + "/vornik.db", error);
}

StoreReport Service::checkStore()
{
    StoreReport report;
    std::vector<std::string> rows = m_database.allImageNames();
    std::vector<std::string> files = m_images.originalNames();
    std::sort(rows.begin(), rows.end());
    std::sort(files.begin(), files.end());
    std::set_difference(files.begin(), files.end(), rows.begin(), rows.end(), std::back_inserter(report.filesWithoutRows));
    std::set_difference(rows.begin(), rows.end(), files.begin(), files.end(), std::back_inserter(report.rowsWithoutFiles));
    report.integrity = m_database.integrityReport();
    return report;
}

bool Service::repairStore(const StoreReport &report)
{
    bool repaired = true;
    for (const std::string &name : report.filesWithoutRows)
        m_images.remove(name);
    for (const std::string &name : report.rowsWithoutFiles)
        repaired = m_database.forgetImage(name) && repaired;
    return repaired;
}

void Service::close()
{
    m_database.close();
}

Reply Service::salt()
{
    return Reply::text(200, m_tokens.issueSalt());
}

Reply Service::upload(const std::string &token, std::string_view contentType, std::string_view body)
{
    if (!m_tokens.consume(token))
        return Reply::text(403, badToken);
    const auto boundary = multipartBoundary(contentType);
    const auto parts = boundary ? parseMultipart(body, *boundary) : std::nullopt;
    if (!parts)
        return Reply::text(400, "expected a multipart form");
    const FormPart *user = userIdPart(*parts);
    if (!user || !protocol::isUserId(user->data))
        return Reply::text(400, badUserId);
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

    // The file goes in before its row: a crash in between leaves a file that no
    // reply ever named, which the next start removes.
    const std::string name = randomName();
    int error = 0;
    if (!m_images.writeOriginal(name, file->data, &error))
        return error == ENOSPC || error == EDQUOT ? Reply::text(507, diskFull) : Reply::text(500, "could not store the image");
    int64_t millis = 0;
    const Change recorded = m_database.insertImage(name, std::string(user->data), nowMillis(), &millis);
    if (recorded != Change::done) {
        m_images.remove(name);
        return recorded == Change::full ? Reply::text(507, diskFull) : Reply::text(500, "could not record the image");
    }
    return Reply::text(200, m_options.publicBase() + "/" + name + ".png");
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
    if (!m_tokens.consume(token))
        return Reply::text(403, badToken);
    if (!protocol::isUserId(userId))
        return Reply::text(400, badUserId);
    const auto records = m_database.history(userId, shortList ? protocol::shortHistoryLimit : 0);
    return Reply{200, historyText(records), "application/json"};
}

Reply Service::remove(const std::string &token, const std::string &name, const std::string &userId)
{
    if (!m_tokens.consume(token))
        return Reply::text(403, badToken);
    if (!protocol::isUserId(userId))
        return Reply::text(400, badUserId);
    // The row goes first: a file without a row is harmless, a row without a file is not.
    if (!ImageStore::isValidName(name))
        return Reply::text(404, noSuchImage);
    std::lock_guard lock(imageLock(name));
    switch (m_database.deleteImage(name, userId)) {
    case Change::done: break;
    case Change::notFound: return Reply::text(404, noSuchImage);
    case Change::full: return Reply::text(507, "the server's disk is full: nothing was deleted");
    case Change::failed: return Reply::text(500, "could not delete the image");
    }
    m_images.remove(name);
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
    if (!m_tokens.consume(token))
        return Reply::text(403, badToken);
    if (!protocol::isUserId(userId))
        return Reply::text(400, badUserId);
    if (!isHexColor(headerColor))
        return Reply::text(400, "invalid banner color");
    UserRecord user{userId, {}, headerColor};
    std::string bannerAddress;
    if (!headerImage.empty()) {
        const auto name = ownUploadName(headerImage);
        if (!name)
            return Reply::text(400, "the banner image must be one of your uploads here");
        const auto image = m_database.image(*name);
        if (!image || image->owner != userId)
            return Reply::text(404, noSuchImage);
        user.headerImage = *name;
        bannerAddress = m_options.publicScheme() + m_options.publicBase() + "/" + *name + ".png";
    }
    if (!m_database.setUser(user))
        return Reply::text(500, "could not record the banner");
    // The client keeps this reply as the banner's address and compares its history
    // rows (full links) with it after their scheme, so the reply is the full link
    // too; it is empty when the banner was cleared.
    return Reply::text(200, bannerAddress);
}

Reply Service::raw(const std::string &name)
{
    if (!ImageStore::isValidName(name) || !m_database.image(name))
        return Reply::text(404, noSuchImage);
    // What a name shows never changes: clients and caches may keep it for good.
    Reply reply{200, {}, "image/png", m_images.originalPath(name), "public, max-age=31536000, immutable"};
    reply.etag = '"' + name + '"';
    return reply;
}

std::mutex &Service::imageLock(const std::string &name)
{
    return m_imageLocks[std::hash<std::string>{}(name) % m_imageLocks.size()];
}

// A decorated image from a file; the owner may change the banner, so it is kept
// only briefly, and its tag names the banner it shows.
Reply Service::decoratedFile(const std::string &path, const std::string &name, const std::string &bannerKey)
{
    Reply reply{200, {}, "image/png", path, "public, max-age=60"};
    reply.etag = '"' + name + '-' + std::to_string(std::hash<std::string>{}(bannerKey) & 0xffffffffffffULL) + '"';
    return reply;
}

Reply Service::decorated(const std::string &name)
{
    if (!ImageStore::isValidName(name))
        return Reply::text(404, noSuchImage);
    std::unique_lock lock(imageLock(name));
    const auto image = m_database.image(name);
    if (!image)
        return Reply::text(404, noSuchImage);
    const auto owner = m_database.user(image->owner);
    if (!owner || owner->headerImage.empty())
        return decoratedFile(m_images.originalPath(name), name, {});

    // The cache holds one composite per image; its key says which banner it shows.
    const std::string key = owner->headerImage + owner->headerColor;
    if (image->bannerKey == key && m_images.hasCached(name))
        return decoratedFile(m_images.cachedPath(name), name, key);
    const auto original = m_images.readOriginal(name);
    if (!original)
        return Reply::text(404, noSuchImage);
    const auto banner = m_images.readOriginal(owner->headerImage);
    auto composed = banner ? composeWithBanner(*original, *banner, owner->headerColor) : std::nullopt;
    if (!composed)
        return decoratedFile(m_images.originalPath(name), name, {});
    if (m_images.writeCached(name, *composed) && m_database.setBannerKey(name, key))
        return decoratedFile(m_images.cachedPath(name), name, key);
    Reply reply = decoratedFile({}, name, key);
    reply.body = std::move(*composed);
    return reply;
}

} // namespace vornik::server
