#include "server/AllowedUsers.h"

#include "server/Random.h"
#include "service/Protocol.h"

#include <cerrno>
#include <cstring>
#include <fstream>

namespace vornik::server {
namespace {

constexpr std::string_view digestPrefix = "sha256:";

std::string trimmed(std::string line)
{
    if (const size_t hash = line.find('#'); hash != std::string::npos)
        line.erase(hash);
    const size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    const size_t last = line.find_last_not_of(" \t\r");
    return line.substr(first, last - first + 1);
}

bool isDigest(std::string_view hex)
{
    if (hex.size() != 64)
        return false;
    for (char c : hex) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

} // namespace

std::string AllowedUsers::lineFor(const std::string &userId)
{
    return std::string(digestPrefix) + sha256Hex(userId);
}

bool AllowedUsers::load(const std::string &path, std::string *error)
{
    std::ifstream file(path);
    if (!file) {
        *error = "cannot read the users file " + path + ": " + std::strerror(errno);
        return false;
    }
    std::unordered_set<std::string> digests;
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        const std::string entry = trimmed(line);
        if (entry.empty())
            continue;
        if (entry.rfind(digestPrefix, 0) == 0 && isDigest(std::string_view(entry).substr(digestPrefix.size()))) {
            digests.insert(entry.substr(digestPrefix.size()));
        } else if (protocol::isUserId(entry)) {
            digests.insert(sha256Hex(entry));
        } else {
            *error = path + ":" + std::to_string(number) + ": not a user id or sha256:HEX line";
            return false;
        }
    }
    std::lock_guard lock(m_mutex);
    m_digests = std::move(digests);
    m_restricted = true;
    return true;
}

bool AllowedUsers::allows(const std::string &userId) const
{
    std::lock_guard lock(m_mutex);
    return !m_restricted || m_digests.contains(sha256Hex(userId));
}

bool AllowedUsers::restricted() const
{
    std::lock_guard lock(m_mutex);
    return m_restricted;
}

size_t AllowedUsers::size() const
{
    std::lock_guard lock(m_mutex);
    return m_digests.size();
}

} // namespace vornik::server
