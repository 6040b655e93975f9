#include "server/AddressNetwork.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cstring>
#include <netinet/in.h>

namespace vornik::server {
namespace {

// Clears every bit of `bytes` after the first `bits`.
void keepPrefix(unsigned char *bytes, size_t size, int bits)
{
    const size_t keep = size_t(std::clamp(bits, 0, int(size * 8)));
    for (size_t bit = keep; bit < size * 8; ++bit)
        bytes[bit / 8] &= static_cast<unsigned char>(~(0x80u >> (bit % 8)));
}

} // namespace

std::string networkOf(std::string_view address, int ipv4Bits, int ipv6Bits)
{
    const std::string text(address);
    char written[INET6_ADDRSTRLEN] = {};
    in_addr v4{};
    in6_addr v6{};
    if (inet_pton(AF_INET6, text.c_str(), &v6) == 1) {
        if (!IN6_IS_ADDR_V4MAPPED(&v6)) {
            keepPrefix(v6.s6_addr, sizeof v6.s6_addr, ipv6Bits);
            inet_ntop(AF_INET6, &v6, written, sizeof written);
            return std::string(written) + "/" + std::to_string(std::clamp(ipv6Bits, 0, 128));
        }
        std::memcpy(&v4, v6.s6_addr + 12, sizeof v4);
    } else if (inet_pton(AF_INET, text.c_str(), &v4) != 1) {
        return text;
    }
    keepPrefix(reinterpret_cast<unsigned char *>(&v4), sizeof v4, ipv4Bits);
    inet_ntop(AF_INET, &v4, written, sizeof written);
    return std::string(written) + "/" + std::to_string(std::clamp(ipv4Bits, 0, 32));
}

} // namespace vornik::server
