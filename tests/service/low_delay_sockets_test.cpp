#include "service/transport/LowDelaySockets.h"
#include "tests/harness/TestMain.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace {

int noDelayOf(const QAbstractSocket &socket)
{
    int value = -1;
    socklen_t length = sizeof value;
    if (getsockopt(int(socket.socketDescriptor()), IPPROTO_TCP, TCP_NODELAY, &value, &length) != 0)
        return -1;
    return value;
}

} // namespace

// Uploads end without a 40 ms stall only if the connection that carries them has
// Nagle's algorithm off; Qt's sockets are found by the port they talk to.
class LowDelaySocketsTest : public QObject
{
    Q_OBJECT
private slots:
    void onlyConnectionsToThePortChange()
    {
        QTcpServer service, other;
        QVERIFY(service.listen(QHostAddress::LocalHost));
        QVERIFY(other.listen(QHostAddress::LocalHost));
        QTcpSocket toService, toOther;
        toService.connectToHost(QHostAddress::LocalHost, service.serverPort());
        toOther.connectToHost(QHostAddress::LocalHost, other.serverPort());
        QVERIFY(toService.waitForConnected(5000));
        QVERIFY(toOther.waitForConnected(5000));
        QTRY_VERIFY(service.hasPendingConnections());
        QTcpSocket *accepted = service.nextPendingConnection();
        QCOMPARE(noDelayOf(toService), 0);

        QCOMPARE(disableNagleOnConnectionsTo(service.serverPort()), 1);
        QCOMPARE(noDelayOf(toService), 1);
        // Neither another server's connection nor the listening side's own end.
        QCOMPARE(noDelayOf(toOther), 0);
        QCOMPARE(noDelayOf(*accepted), 0);
        QCOMPARE(disableNagleOnConnectionsTo(0), 0);

        // A closed connection is simply not there any more.
        toService.abort();
        QCOMPARE(disableNagleOnConnectionsTo(service.serverPort()), 0);
    }
};

VORNIK_TEST_MAIN(LowDelaySocketsTest, vtest::EnvironmentOptions{})
#include "low_delay_sockets_test.moc"
