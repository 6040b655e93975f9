#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <optional>

// Whether the machine has a network to reach the sharing service through, read from
// the kernel's routing tables (/proc/net/route, /proc/net/ipv6_route); no packet is
// sent and nothing is watched. Called on the main thread just before a request.
class Reachability
{
public:
    // True when a usable default route exists, or a route to the service's own
    // address (a loopback service counts while the loopback interface is up).
    // Setting VORNIK_FORCE_OFFLINE=1 makes it answer false.
    static bool isConnectedToNetwork();

    // Tests fix the answer here; std::nullopt goes back to asking the kernel.
    static void setOverride(std::optional<bool> answer);

    // The decision itself, over the texts of the two route tables. `service` is the
    // service's address when known (a null address when the host is a name).
    static bool routesReach(const QByteArray &ipv4Routes, const QByteArray &ipv6Routes,
                            const QHostAddress &service, bool loopbackUp);
};

// The same question as a free function, as callers write it.
bool isConnectedToNetwork();
