#include "platform/Reachability.h"

#include <QFile>
#include <QList>
#include <QUrl>
#include <arpa/inet.h>
#include <cstring>

namespace {

// Route flags shared by both tables (linux/route.h, linux/ipv6_route.h).
constexpr quint32 kRouteUp = 0x0001;
constexpr quint32 kRouteReject = 0x0200;
constexpr quint32 kInterfaceUp = 0x1;   // IFF_UP

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
bool ipv4RoutesReach(const QByteArray &table, const IpAddress &service)
{
    const bool serviceIsIPv4 = service.family == IpAddress::Family::ipv4;
    quint32 serviceRaw = 0;   // the address bytes read as a native integer, like the table's
    std::memcpy(&serviceRaw, service.bytes.data(), sizeof serviceRaw);
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

bool prefixMatches(const QByteArray &destinationHex, int prefixLength, const std::array<quint8, 16> &address)
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
bool ipv6RoutesReach(const QByteArray &table, const IpAddress &service)
{
    const bool serviceIsIPv6 = service.family == IpAddress::Family::ipv6;
    const std::array<quint8, 16> &serviceAddress = service.bytes;
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
IpAddress serviceAddress(const QString &serviceURL)
{
    const QString host = QUrl(serviceURL).host();
    if (host == QLatin1String("localhost") || host.endsWith(QLatin1String(".localhost")))
        return IpAddress::fromText(QStringLiteral("127.0.0.1"));
    return IpAddress::fromText(host);
}

} // namespace

IpAddress IpAddress::fromText(const QString &text)
{
    QByteArray literal = text.trimmed().toLatin1();
    if (literal.startsWith('[') && literal.endsWith(']'))
        literal = literal.mid(1, literal.size() - 2);
    IpAddress address;
    if (inet_pton(AF_INET, literal.constData(), address.bytes.data()) == 1) {
        address.family = Family::ipv4;
        return address;
    }
    const qsizetype zone = literal.indexOf('%');
    if (zone >= 0)
        literal.truncate(zone);
    if (inet_pton(AF_INET6, literal.constData(), address.bytes.data()) == 1) {
        address.family = Family::ipv6;
        return address;
    }
    return {};
}

bool IpAddress::isLoopback() const
{
    if (family == Family::ipv4)
        return bytes[0] == 127;
    if (family != Family::ipv6)
        return false;
    static constexpr std::array<quint8, 16> loopback{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    static constexpr std::array<quint8, 12> mappedPrefix{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
    if (bytes == loopback)
        return true;
    return std::equal(mappedPrefix.begin(), mappedPrefix.end(), bytes.begin()) && bytes[12] == 127;
}

bool Reachability::routesReach(const QByteArray &ipv4Routes, const QByteArray &ipv6Routes,
                               const IpAddress &service, bool loopbackUp)
{
    if (!service.isNull() && service.isLoopback())
        return loopbackUp;
    return ipv4RoutesReach(ipv4Routes, service) || ipv6RoutesReach(ipv6Routes, service);
}

bool Reachability::isConnectedToNetwork(const QString &serviceURL) const
{
    if (qEnvironmentVariable("VORNIK_FORCE_OFFLINE") == QLatin1String("1"))
        return false;
    return routesReach(readProcFile(QStringLiteral("/proc/net/route")),
                       readProcFile(QStringLiteral("/proc/net/ipv6_route")), serviceAddress(serviceURL),
                       loopbackInterfaceUp());
}
