// Vornik's place on a Wayland desktop (headless sway, the real screenshot portal):
// without a tray host it says so once and says how to capture; with a
// StatusNotifierWatcher its tray menu is on the bus and its capture entry shows an
// overlay on every output; without a GlobalShortcuts portal it says once how to bind
// a key.
#include "tests/harness/TestMain.h"
#include "tests/wayland/WaylandTestSupport.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QRegularExpression>
#include <QScopeGuard>
#include <memory>

namespace {
const QRect kFirstArea(0, 0, 1024, 600);
const QRect kSecondArea(1024, 0, 640, 480);

// The tray host's side of StatusNotifierItem: a watcher that says a host is there
// and records who registers items.
class FakeWatcher : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isHostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)
public:
    QStringList registered;   // "service" as each item gave it, with its sender
    bool isHostRegistered() const { return true; }
    int protocolVersion() const { return 0; }
    QStringList items() const { return registered; }

public slots:
    void RegisterStatusNotifierItem(const QString &service, const QDBusMessage &message)
    {
        registered.append(service.startsWith(QLatin1Char('/')) ? message.service() : service);
    }
    void RegisterStatusNotifierHost(const QString &) {}
};
} // namespace

class WaylandDesktopTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<vtest::WaylandSession> session;
    QString root;

    bool overlaysOnBothOutputs(qint64 pid)
    {
        return QTest::qWaitFor([&] {
            const auto windows = wtest::windowsOf(*session, pid);
            return windows.size() == 2 && windows.value(QStringLiteral("HEADLESS-1")).rect == kFirstArea
                   && windows.value(QStringLiteral("HEADLESS-2")).rect == kSecondArea;
        }, 15000);
    }

    // `gdbus call` on the session's bus; its output.
    QString gdbus(const QStringList &arguments)
    {
        QProcess process;
        process.setProcessEnvironment(session->environment());
        process.start(QStringLiteral("gdbus"), QStringList{QStringLiteral("call"), QStringLiteral("--session")} + arguments);
        // The watcher lives in this process: keep answering while gdbus runs.
        (void)QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 10000);
        return QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
    }

private slots:
    void initTestCase()
    {
        root = vtest::TestEnvironment::current()->root();
        // On sway only: what it checks of the tray and the hot keys differs on the
        // other desktops (their own tray hosts and shortcut portals).
        session = std::make_unique<vtest::WaylandSession>(
            root, QList<vtest::WaylandOutput>{{kFirstArea.size(), {}}, {kSecondArea.size(), {}}}, true, vtest::Compositor::Sway);
        QVERIFY2(session->isRunning(), qPrintable(session->failure()));
    }

    void cleanupTestCase() { session.reset(); }

    // No tray host and no GlobalShortcuts portal (Debian 12's portal has none): each
    // is said once, naming only what works, and `vornik --capture` still captures.
    void withoutTrayOrShortcuts()
    {
        wtest::VornikProcess vornik(*session, root + QStringLiteral("/plain"));
        QVERIFY(overlaysOnBothOutputs(vornik.capture()));
        QVERIFY(session->keys({QStringLiteral("Escape")}));
        QVERIFY(QTest::qWaitFor([&] { return wtest::windowsOf(*session, vornik.pid()).isEmpty(); }, 5000));
        // A second request reaches the running Vornik, which says nothing again.
        QVERIFY(overlaysOnBothOutputs(vornik.capture()));
        QVERIFY(session->keys({QStringLiteral("Escape")}));
        const QString log = vornik.log();
        QCOMPARE(log.count(QStringLiteral("no system tray is running")), 1);
        QVERIFY2(log.contains(QLatin1String("no system tray is running; capture with \"vornik --capture\"")), qPrintable(log));
        QCOMPARE(log.count(QStringLiteral("gives applications no global hot keys")), 1);
        // Nothing of Qt's: an icon shown without a tray made it warn at every start.
        QVERIFY2(!log.contains(QLatin1String("QObject::connect")), qPrintable(log));
    }

    // Without a screenshot portal Vornik cannot read the screen: the first request says
    // why on stderr, a later one shows the screen-recording window. (Vornik sizes it
    // for the primary output, but a Wayland client cannot choose where a window opens:
    // sway opens it on the focused output.)
    void withoutPortalThePermissionWindowShows()
    {
        vtest::WaylandSession bare(root + QStringLiteral("/no-portal"), {{kFirstArea.size(), {}}, {kSecondArea.size(), {}}}, false,
                                   vtest::Compositor::Sway);
        QVERIFY2(bare.isRunning(), qPrintable(bare.failure()));
        // sway's own screencopy needs no portal: Vornik is told to use the portal alone.
        qputenv("VORNIK_CAPTURE_BACKEND", "portal");
        const auto restore = qScopeGuard([] { qunsetenv("VORNIK_CAPTURE_BACKEND"); });
        wtest::VornikProcess vornik(bare, root + QStringLiteral("/no-portal-vornik"));
        const qint64 pid = vornik.capture();
        QVERIFY2(QTest::qWaitFor([&] { return vornik.log().contains(QLatin1String("screen capture failed")); }, 10000),
                 qPrintable(vornik.log()));
        vornik.capture();
        vtest::WaylandWindow window;
        QVERIFY2(QTest::qWaitFor([&] {
            const auto windows = wtest::windowsOf(bare, pid);
            window = windows.isEmpty() ? vtest::WaylandWindow() : windows.first();
            return windows.size() == 1 && window.title.contains(QLatin1String("Screen Recording"));
        }, 10000), qPrintable(vornik.log()));
        QVERIFY(bare.closeWindow(window));
    }

    // The tray menu over StatusNotifierItem and its D-Bus menu; its capture entry
    // shows the overlays.
    void trayMenuCaptures()
    {
        FakeWatcher watcher;
        QDBusConnection bus = QDBusConnection::connectToBus(session->busAddress(), QStringLiteral("watcher"));
        QVERIFY(bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), &watcher,
                                   QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties));
        QVERIFY(bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher")));

        wtest::VornikProcess vornik(*session, root + QStringLiteral("/tray"));
        const qint64 pid = vornik.start();
        QVERIFY2(QTest::qWaitFor([&] { return !watcher.registered.isEmpty(); }, 10000), qPrintable(vornik.log()));
        QVERIFY(!vornik.log().contains(QLatin1String("no system tray")));

        const QString item = watcher.registered.first().section(QLatin1Char('/'), 0, 0);
        const QString layout = gdbus({QStringLiteral("--dest"), item, QStringLiteral("--object-path"), QStringLiteral("/MenuBar"),
                                      QStringLiteral("--method"), QStringLiteral("com.canonical.dbusmenu.GetLayout"),
                                      QStringLiteral("--"), QStringLiteral("0"), QStringLiteral("-1"), QStringLiteral("[]")});
        const QRegularExpressionMatch entry =
            QRegularExpression(QStringLiteral(R"(\((\d+), \{[^}]*'label': <'Take Vornik)")).match(layout);
        QVERIFY2(entry.hasMatch(), qPrintable(layout));
        gdbus({QStringLiteral("--dest"), item, QStringLiteral("--object-path"), QStringLiteral("/MenuBar"),
               QStringLiteral("--method"), QStringLiteral("com.canonical.dbusmenu.Event"), QStringLiteral("--"),
               entry.captured(1), QStringLiteral("clicked"), QStringLiteral("<0>"), QStringLiteral("0")});
        QVERIFY2(overlaysOnBothOutputs(pid), qPrintable(vornik.log()));
        QVERIFY(session->keys({QStringLiteral("Escape")}));
        QVERIFY(QTest::qWaitFor([&] { return wtest::windowsOf(*session, pid).isEmpty(); }, 5000));
        vornik.stop();
        QDBusConnection::disconnectFromBus(QStringLiteral("watcher"));
    }
};

VORNIK_TEST_MAIN(WaylandDesktopTest, (vtest::EnvironmentOptions{.dbus = false}))
#include "wayland_desktop_test.moc"
