#include "platform/Reachability.h"
#include "service/ServiceConfiguration.h"
#include "tests/harness/TestMain.h"

// The reachability decision over route tables as the kernel prints them (captured on
// a little-endian machine), and the switches tests use.
class ReachabilityTest : public QObject
{
    Q_OBJECT
private:
    const QByteArray m_header = "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n";
    const QByteArray m_defaultRoute = "eth0\t00000000\t010200C0\t0003\t0\t0\t0\t00000000\t0\t0\t0\n";
    const QByteArray m_subnetRoute = "eth0\t000200C0\t00000000\t0001\t0\t0\t0\t00FFFFFF\t0\t0\t0\n";   // 192.0.2.0/24
    const QByteArray m_v6Unreachable = "00000000000000000000000000000000 00 00000000000000000000000000000000 00 "
                                       "00000000000000000000000000000000 ffffffff 00000001 00000000 00200200 lo\n";
    const QByteArray m_v6LinkLocal = "fe800000000000000000000000000000 40 00000000000000000000000000000000 00 "
                                     "00000000000000000000000000000000 00000100 00000002 00000000 00000001 eth0\n";
    const QByteArray m_v6Default = "00000000000000000000000000000000 00 00000000000000000000000000000000 00 "
                                   "fd000000000000000000000000000001 00000400 00000002 00000000 00000003 eth0\n";
    const QByteArray m_v6Ula = "fd000000000000000000000000000000 40 00000000000000000000000000000000 00 "
                               "00000000000000000000000000000000 00000100 00000001 00000000 00000001 eth0\n";

    static bool reach(const QByteArray &v4, const QByteArray &v6, const QString &service = QString(),
                      bool loopbackUp = true)
    {
        return Reachability::routesReach(v4, v6, IpAddress::fromText(service), loopbackUp);
    }

private slots:
    void initTestCase()
    {
        if (QSysInfo::ByteOrder != QSysInfo::LittleEndian)
            QSKIP("the captured IPv4 tables are little-endian");
    }

    void defaultRoutesCount()
    {
        QVERIFY(reach(m_header + m_subnetRoute + m_defaultRoute, m_v6Unreachable));
        QVERIFY(reach(m_header, m_v6Unreachable + m_v6LinkLocal + m_v6Default));
        // Interfaces down: the kernel leaves only the unreachable placeholders.
        QVERIFY(!reach(m_header, m_v6Unreachable));
        QVERIFY(!reach(QByteArray(), QByteArray()));
    }

    void routesThatAreNotUsableDoNotCount()
    {
        QByteArray down = m_defaultRoute;
        down.replace("\t0003\t", "\t0002\t");   // gateway flag without "up"
        QVERIFY(!reach(m_header + down, QByteArray()));
        QByteArray rejected = m_defaultRoute;
        rejected.replace("\t0003\t", "\t0201\t");
        QVERIFY(!reach(m_header + rejected, QByteArray()));
        // A link-local route alone is no way out.
        QVERIFY(!reach(m_header + m_subnetRoute, m_v6LinkLocal + m_v6Unreachable));
    }

    void routesToTheServiceCount()
    {
        QVERIFY(reach(m_header + m_subnetRoute, QByteArray(), QStringLiteral("192.0.2.7")));
        QVERIFY(!reach(m_header + m_subnetRoute, QByteArray(), QStringLiteral("203.0.113.5")));
        QVERIFY(reach(m_header, m_v6Ula, QStringLiteral("fd00::5")));
        QVERIFY(!reach(m_header, m_v6Ula, QStringLiteral("fd01::5")));
        // A service on this machine needs the loopback interface, nothing else.
        QVERIFY(reach(QByteArray(), QByteArray(), QStringLiteral("127.0.0.1")));
        QVERIFY(reach(QByteArray(), QByteArray(), QStringLiteral("::1")));
        QVERIFY(!reach(m_header + m_defaultRoute, QByteArray(), QStringLiteral("127.0.0.1"), false));
    }

    // The service host as the decision sees it: literals only, never a name.
    void serviceAddressesParse()
    {
        QVERIFY(IpAddress::fromText(QStringLiteral("127.0.0.2")).isLoopback());
        QVERIFY(IpAddress::fromText(QStringLiteral("[::1]")).isLoopback());
        QVERIFY(IpAddress::fromText(QStringLiteral("::ffff:127.0.0.1")).isLoopback());
        QVERIFY(!IpAddress::fromText(QStringLiteral("128.0.0.1")).isLoopback());
        QVERIFY(!IpAddress::fromText(QStringLiteral("::2")).isLoopback());
        QVERIFY(IpAddress::fromText(QStringLiteral("example.com")).isNull());
        QVERIFY(IpAddress::fromText(QStringLiteral("1.2.3")).isNull());
        QVERIFY(IpAddress::fromText(QString()).isNull());
        const IpAddress zoned = IpAddress::fromText(QStringLiteral("fe80::1%eth0"));
        QCOMPARE(zoned.family, IpAddress::Family::ipv6);
        QCOMPARE(zoned.bytes[0], quint8(0xfe));
        QCOMPARE(zoned.bytes[15], quint8(1));
        // A route to the name's address cannot be told without a lookup: only a
        // default route counts then.
        QVERIFY(!reach(m_header + m_subnetRoute, QByteArray(), QStringLiteral("example.com")));
        QVERIFY(reach(m_header + m_defaultRoute, QByteArray(), QStringLiteral("example.com")));
    }

    void forcedOffline()
    {
        qputenv("VORNIK_SERVICE_URL", "https://localhost:1/");
        const Reachability kernel;
        QVERIFY(isConnectedToNetwork(kernel));   // loopback is up here
        qputenv("VORNIK_FORCE_OFFLINE", "1");
        QVERIFY(!isConnectedToNetwork(kernel));
        qunsetenv("VORNIK_FORCE_OFFLINE");
        QVERIFY(isConnectedToNetwork(kernel));
    }
};

VORNIK_TEST_MAIN(ReachabilityTest, vtest::EnvironmentOptions{})
#include "reachability_test.moc"
