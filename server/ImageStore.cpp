#include "server/ImageStore.h"

#include "server/Random.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <ctime>
#include <sys/stat.h>
#include <unistd.h>

namespace vornik::server {
namespace {

bool makeFolder(const std::string &path)
{
    return mkdir(path.c_str(), 0700) == 0 || errno == EEXIST;
}

bool syncFolder(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = fsync(fd) == 0;
    close(fd);
    return synced;
}

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes.remove_prefix(size_t(written));
    }
    return true;
}

std::optional<std::string> readWhole(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::string bytes;
    struct stat info{};
    if (fstat(fd, &info) == 0)
        bytes.reserve(size_t(info.st_size));
    char buffer[65536];
    ssize_t got;
    while ((got = read(fd, buffer, sizeof buffer)) != 0) {
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            close(fd);
            return std::nullopt;
        }
        bytes.append(buffer, size_t(got));
    }
    close(fd);
    return bytes;
}

// Leftovers of writes that a crash interrupted; never referenced by the database.
// In a folder that other instances share, only those older than `minimumAge`
// seconds: younger ones may be another instance's write in progress.
void clearFolder(const std::string &path, time_t minimumAge)
{
    DIR *folder = opendir(path.c_str());
    if (!folder)
        return;
    const time_t now = time(nullptr);
    while (const dirent *entry = readdir(folder)) {
        const std::string file = path + "/" + entry->d_name;
        struct stat info{};
        if (entry->d_name[0] != '.' && (minimumAge == 0 || (stat(file.c_str(), &info) == 0 && now - info.st_mtime > minimumAge)))
            unlink(file.c_str());
    }
    closedir(folder);
}

} // namespace

bool ImageStore::open(const std::string &dataDir, std::string *error, bool shared)
{
    m_root = dataDir;
    m_images = dataDir + "/images";
    m_cache = dataDir + "/cache";
    m_temporary = dataDir + "/tmp";
    for (const std::string &folder : {dataDir, m_images, m_cache, m_temporary}) {
        if (!makeFolder(folder)) {
            *error = "cannot make " + folder + ": " + std::strerror(errno);
            return false;
        }
    }
    clearFolder(m_temporary, shared ? 3600 : 0);
    return true;
}

bool ImageStore::isValidName(std::string_view name)
{
    if (name.empty() || name.size() > 64)
        return false;
    for (char c : name) {
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

std::string ImageStore::originalPath(const std::string &name) const
{
    return m_images + "/" + name + ".png";
}

std::string ImageStore::cachedPath(const std::string &name, const std::string &key) const
{
    const bool version = !key.empty() && key.size() < 20 && key.find_first_not_of("0123456789") == std::string::npos;
    return m_cache + "/" + name + (version ? "-" + key : std::string()) + ".png";
}

std::optional<ImageSource> ImageStore::compositeSource(const std::string &name, const std::string &key) const
{
    if (!hasCached(name, key))
        return std::nullopt;
    return ImageSource{cachedPath(name, key), {}};
}

bool ImageStore::writeAtomically(const std::string &target, const std::string &name, std::string_view bytes, int *error)
{
    const auto fail = [error](int code) {
        if (error)
            *error = code;
        return false;
    };
    if (!isValidName(name))
        return fail(EINVAL);
    const std::string temporary = m_temporary + "/" + randomName(24);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return fail(errno);
    bool written = writeAll(fd, bytes) && fsync(fd) == 0;
    int code = written ? 0 : errno;
    if (close(fd) != 0 && written) {
        written = false;
        code = errno;
    }
    if (written && rename(temporary.c_str(), target.c_str()) != 0) {
        written = false;
        code = errno;
    }
    if (!written) {
        unlink(temporary.c_str());
        return fail(code);
    }
    return syncFolder(target.substr(0, target.rfind('/'))) || fail(errno);
}

bool ImageStore::writeOriginal(const std::string &name, std::string_view bytes, int *error)
{
    return writeAtomically(originalPath(name), name, bytes, error);
}

bool ImageStore::writeCached(const std::string &name, std::string_view bytes, const std::string &key)
{
    return writeAtomically(cachedPath(name, key), name, bytes, nullptr);
}

std::optional<std::string> ImageStore::readOriginal(const std::string &name) const
{
    if (!isValidName(name))
        return std::nullopt;
    return readWhole(originalPath(name));
}

std::optional<std::string> ImageStore::readCached(const std::string &name, const std::string &key) const
{
    if (!isValidName(name))
        return std::nullopt;
    return readWhole(cachedPath(name, key));
}

bool ImageStore::hasCached(const std::string &name, const std::string &key) const
{
    return isValidName(name) && access(cachedPath(name, key).c_str(), R_OK) == 0;
}

void ImageStore::remove(const std::string &name, const std::string &cachedKey)
{
    if (!isValidName(name))
        return;
    unlink(originalPath(name).c_str());
    removeCached(name, cachedKey);
}

void ImageStore::removeCached(const std::string &name, const std::string &key)
{
    if (isValidName(name))
        unlink(cachedPath(name, key).c_str());
}

long long ImageStore::originalSize(const std::string &name) const
{
    struct stat info{};
    return isValidName(name) && stat(originalPath(name).c_str(), &info) == 0 ? static_cast<long long>(info.st_size) : 0;
}

long long ImageStore::compositeSize(const std::string &name, const std::string &key) const
{
    struct stat info{};
    return isValidName(name) && stat(cachedPath(name, key).c_str(), &info) == 0 ? static_cast<long long>(info.st_size) : 0;
}

std::vector<ImageStorage::Composite> ImageStore::composites() const
{
    std::vector<std::pair<time_t, Composite>> found;
    DIR *folder = opendir(m_cache.c_str());
    if (!folder)
        return {};
    while (const dirent *entry = readdir(folder)) {
        const std::string file = entry->d_name;
        struct stat info{};
        if (file.size() <= 4 || file.compare(file.size() - 4, 4, ".png") != 0
            || stat((m_cache + "/" + file).c_str(), &info) != 0)
            continue;
        // NAME-KEY.png, or NAME.png from older versions.
        const std::string stem = file.substr(0, file.size() - 4);
        const auto dash = stem.rfind('-');
        const std::string name = dash == std::string::npos ? stem : stem.substr(0, dash);
        const std::string key = dash == std::string::npos ? std::string() : stem.substr(dash + 1);
        if (isValidName(name) && cachedPath(name, key) == m_cache + "/" + file)
            found.emplace_back(info.st_mtime, Composite{name, key, static_cast<long long>(info.st_size)});
    }
    closedir(folder);
    std::stable_sort(found.begin(), found.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    std::vector<Composite> composites;
    for (auto &[changed, composite] : found)
        composites.push_back(std::move(composite));
    return composites;
}

std::vector<std::string> ImageStore::originalNames() const
{
    std::vector<std::string> names;
    DIR *folder = opendir(m_images.c_str());
    if (!folder)
        return names;
    while (const dirent *entry = readdir(folder)) {
        const std::string file = entry->d_name;
        if (file.size() > 4 && file.compare(file.size() - 4, 4, ".png") == 0 && isValidName(file.substr(0, file.size() - 4)))
            names.push_back(file.substr(0, file.size() - 4));
    }
    closedir(folder);
    return names;
}

} // namespace vornik::server
