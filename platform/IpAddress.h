#pragma once

#include <QString>

#include <array>

// An IP address as the route tables compare it.
struct IpAddress {
    enum class Family { none, ipv4, ipv6 };
    Family family = Family::none;
    // Network byte order; an IPv4 address takes the first four bytes.
    std::array<quint8, 16> bytes{};

    // Parses a literal IPv4 or IPv6 address (an IPv6 zone suffix "%eth0" is ignored);
    // anything else, host names included, gives a null address.
    static IpAddress fromText(const QString &text);
    bool isNull() const { return family == Family::none; }
    // 127.0.0.0/8, ::1 and IPv4 loopback mapped into IPv6.
    bool isLoopback() const;
};
