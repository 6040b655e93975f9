#pragma once

#include <string>
#include <string_view>

namespace vornik::server {

// The network a client address is counted under by the per-address limits: the
// address with all but its first `ipv4Bits` (IPv4) or `ipv6Bits` (IPv6) bits
// cleared, written "ADDRESS/BITS" ("2001:db8:1:2::/64"). One holder of an IPv6 /64
// has billions of addresses, so limits per exact address would not hold them.
// IPv4 addresses mapped into IPv6 ("::ffff:192.0.2.1") count as IPv4. Text that
// is no address is returned as it is.
std::string networkOf(std::string_view address, int ipv4Bits, int ipv6Bits);

} // namespace vornik::server
