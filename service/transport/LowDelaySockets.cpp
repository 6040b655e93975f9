#include "service/transport/LowDelaySockets.h"

#include <cstdlib>
#include <cstring>

#include <dirent.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

bool isSocket(int directory, const char *name)
{
    char target[64];
    const ssize_t length = readlinkat(directory, name, target, sizeof target - 1);
    if (length <= 0)
        return false;
    target[length] = '\0';
    return std::strncmp(target, "socket:", 7) == 0;
}

// The remote port of a connected IPv4 or IPv6 TCP socket, or 0.
quint16 peerPortOf(int fd)
{
    int type = 0;
    socklen_t typeLength = sizeof type;
    if (getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &typeLength) != 0 || type != SOCK_STREAM)
        return 0;
    sockaddr_storage peer{};
    socklen_t peerLength = sizeof peer;
    if (getpeername(fd, reinterpret_cast<sockaddr *>(&peer), &peerLength) != 0)
        return 0;
    if (peer.ss_family == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in &>(peer).sin_port);
    if (peer.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6 &>(peer).sin6_port);
    return 0;
}

} // namespace

int disableNagleOnConnectionsTo(quint16 port)
{
    if (port == 0)
        return 0;
    DIR *descriptors = opendir("/proc/self/fd");
    if (!descriptors)
        return 0;
    int changed = 0;
    while (const dirent *entry = readdir(descriptors)) {
        char *end = nullptr;
        const long fd = std::strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0' || !isSocket(dirfd(descriptors), entry->d_name))
            continue;
        if (peerPortOf(int(fd)) != port)
            continue;
        const int on = 1;
        if (setsockopt(int(fd), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on) == 0)
            ++changed;
    }
    closedir(descriptors);
    return changed;
}
