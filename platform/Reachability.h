#pragma once

#include <QByteArray>
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

// Whether the machine has a network to reach the sharing service through, read from
// the kernel's routing tables (/proc/net/route, /proc/net/ipv6_route); no packet is
// sent and nothing is watched. Asked on the main thread just before a request; the
// application makes one and hands it in, tests hand in one with a fixed answer.
class Reachability
{
public:
    virtual ~Reachability() = default;

    // True when a usable default route exists, or a route to the host of
    // `serviceURL` when it is an address (a loopback service counts while the
    // loopback interface is up). Setting VORNIK_FORCE_OFFLINE=1 makes it answer false.
    virtual bool isConnectedToNetwork(const QString &serviceURL) const;

    // The decision itself, over the texts of the two route tables. `service` is the
    // service's address when known (a null address when the host is a name).
    static bool routesReach(const QByteArray &ipv4Routes, const QByteArray &ipv6Routes,
                            const IpAddress &service, bool loopbackUp);
};
