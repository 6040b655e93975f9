#pragma once

#include <mutex>
#include <string>
#include <unordered_set>

namespace vornik::server {

// Closed registration: the user ids that may upload and set a banner. Anyone can
// mint tokens with the client's published key, so on a server reachable by
// strangers the user id is what tells members from the rest.
//
// The file has one entry a line, "sha256:HEX" (the SHA-256 of the id, so that the
// file itself gives nobody an id to upload with) or a bare id; blank lines and text
// after "#" are ignored. With no file loaded every user is allowed.
class AllowedUsers
{
public:
    // Reads `path`; on failure the previous list stays and `error` says why.
    bool load(const std::string &path, std::string *error);
    // True when no file is loaded or the id is listed.
    bool allows(const std::string &userId) const;
    bool restricted() const;
    size_t size() const;

    // The line that lists `userId` in the file.
    static std::string lineFor(const std::string &userId);

private:
    mutable std::mutex m_mutex;
    bool m_restricted = false;
    std::unordered_set<std::string> m_digests;
};

} // namespace vornik::server
