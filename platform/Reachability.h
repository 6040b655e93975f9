#pragma once

#include "platform/IpAddress.h"

#include <QByteArray>
#include <QString>
#include <array>

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
