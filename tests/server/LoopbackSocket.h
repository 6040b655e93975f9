#pragma once

// Plain TCP connections to a server on loopback from a chosen 127.x.y.z source
// address, for tests and benchmarks that play many clients from one machine.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>

namespace loopback {

// A connection from `source` to 127.0.0.1:`port`, or -1.
inline int connectFrom(int port, const char *source = "127.0.0.1")
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    inet_pton(AF_INET, source, &local.sin_addr);
    sockaddr_in remote{};
    remote.sin_family = AF_INET;
    remote.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    remote.sin_port = htons(uint16_t(port));
    if (fd >= 0 && bind(fd, reinterpret_cast<sockaddr *>(&local), sizeof local) == 0
        && ::connect(fd, reinterpret_cast<sockaddr *>(&remote), sizeof remote) == 0)
        return fd;
    if (fd >= 0)
        close(fd);
    return -1;
}

} // namespace loopback
