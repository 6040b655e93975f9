#include "platform/Reachability.h"

#include "service/ServiceConfiguration.h"

#include <QFile>
#include <QList>
#include <QUrl>
#include <QtEndian>

namespace {

// Route flags shared by both tables (linux/route.h, linux/ipv6_route.h).
constexpr quint32 kRouteUp = 0x0001;
constexpr quint32 kRouteReject = 0x0200;
constexpr quint32 kInterfaceUp = 0x1;   // IFF_UP

std::optional<bool> &overrideAnswer()
{
    static std::optional<bool> answer;
    return answer;
}

QByteArray readProcFile(const QString &path)
{
    // /proc files report a size of 0, so read until the end rather than by size.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

bool usable(quint32 flags)
{
    return (flags & kRouteUp) && !(flags & kRouteReject);
}

// /proc/net/route: "Iface Destination Gateway Flags RefCnt Use Metric Mask ...", the
// addresses as the hex of the 32-bit value in the kernel's (network) byte order read
// as a native integer.
bool ipv4RoutesReach(const QByteArray &table, const QHostAddress &service)
{
    bool serviceIsIPv4 = service.protocol() == QAbstractSocket::IPv4Protocol;
    const quint32 serviceRaw = serviceIsIPv4 ? qToBigEndian(service.toIPv4Address()) : 0;
    const QList<QByteArray> lines = table.split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> fields = lines.at(i).simplified().split(' ');
        if (fields.size() < 8)
            continue;
        bool destinationOk = false, flagsOk = false, maskOk = false;
        const quint32 destination = fields.at(1).toUInt(&destinationOk, 16);
        const quint32 flags = fields.at(3).toUInt(&flagsOk, 16);
        const quint32 mask = fields.at(7).toUInt(&maskOk, 16);
        if (!destinationOk || !flagsOk || !maskOk || !usable(flags))
            continue;
        if (mask == 0 && destination == 0)
            return true;   // a default route
        if (serviceIsIPv4 && (serviceRaw & mask) == destination)
            return true;
    }
    return false;
}

bool prefixMatches(const QByteArray &destinationHex, int prefixLength, const Q_IPV6ADDR &address)
{
    const QByteArray destination = QByteArray::fromHex(destinationHex);
    if (destination.size() != 16 || prefixLength < 0 || prefixLength > 128)
        return false;
    for (int bit = 0; bit < prefixLength; ++bit) {
        const int byte = bit / 8;
        const int mask = 0x80 >> (bit % 8);
        if ((quint8(destination.at(byte)) & mask) != (address[byte] & mask))
            return false;
    }
    return true;
}

// /proc/net/ipv6_route: "dest prefix src prefix nexthop metric refcnt use flags iface",
// all hex. The kernel lists "unreachable" defaults on lo with the reject flag.
bool ipv6RoutesReach(const QByteArray &table, const QHostAddress &service)
{
    const bool serviceIsIPv6 = service.protocol() == QAbstractSocket::IPv6Protocol;
    const Q_IPV6ADDR serviceAddress = service.toIPv6Address();
    for (const QByteArray &line : table.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 10)
            continue;
        bool prefixOk = false, flagsOk = false;
        const int prefixLength = fields.at(1).toInt(&prefixOk, 16);
        const quint32 flags = fields.at(8).toUInt(&flagsOk, 16);
        if (!prefixOk || !flagsOk || !usable(flags))
            continue;
        const bool loopbackRoute = fields.at(9) == "lo";
        if (prefixLength == 0 && !loopbackRoute)
            return true;   // a default route
        if (serviceIsIPv6 && prefixLength > 0 && prefixMatches(fields.at(0), prefixLength, serviceAddress))
            return true;
    }
    return false;
}

bool loopbackInterfaceUp()
{
    const QByteArray flagsText = readProcFile(QStringLiteral("/sys/class/net/lo/flags")).trimmed();
    bool ok = false;
    const quint32 flags = flagsText.toUInt(&ok, 0);
    return ok && (flags & kInterfaceUp);
}

// The service's address when its host is an address literal or a loopback name.
// Other names are not looked up: a lookup may send packets, and without a default
// route a name rarely resolves anyway.
QHostAddress serviceAddress()
{
    const QString host = QUrl(ServiceConfiguration::serviceBaseURL()).host();
    if (host == QLatin1String("localhost") || host.endsWith(QLatin1String(".localhost")))
        return QHostAddress(QHostAddress::LocalHost);
    return QHostAddress(host);
}

} // namespace

bool Reachability::routesReach(const QByteArray &ipv4Routes, const QByteArray &ipv6Routes,
                               const QHostAddress &service, bool loopbackUp)
{
    if (!service.isNull() && service.isLoopback())
        return loopbackUp;
    return ipv4RoutesReach(ipv4Routes, service) || ipv6RoutesReach(ipv6Routes, service);
}

bool Reachability::isConnectedToNetwork()
{
    if (overrideAnswer())
        return *overrideAnswer();
    if (qEnvironmentVariable("VORNIK_FORCE_OFFLINE") == QLatin1String("1"))
        return false;
    return routesReach(readProcFile(QStringLiteral("/proc/net/route")),
                       readProcFile(QStringLiteral("/proc/net/ipv6_route")), serviceAddress(),
                       loopbackInterfaceUp());
}

void Reachability::setOverride(std::optional<bool> answer)
{
    overrideAnswer() = answer;
}

bool isConnectedToNetwork()
{
    return Reachability::isConnectedToNetwork();
}
