// The GlobalShortcuts portal client against a stand-in portal on the test's own bus
// (as KDE's back end behind Debian 12's xdg-desktop-portal 1.16 and later ones do).
#include "tests/harness/TestMain.h"

#include "app/GlobalHotKeys.h"
#include "platform/PortalGlobalShortcuts.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QSignalSpy>
#include <QThread>

namespace {
const QString kPortal = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");

// Answers CreateSession and BindShortcuts as the portal does: the call returns the
// request's path, the answer comes as that request's Response signal.
class FakeShortcutsPortal : public QDBusVirtualObject
{
public:
    QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("fake-shortcuts"));
    QList<PortalShortcut> boundShortcuts;
    QList<PortalShortcut> sessionShortcuts;   // named by CreateSession
    QStringList sessionTokens;                // of every CreateSession, in order
    QString session;
    uint bindAnswer = 0;
    // KDE Plasma 5.27's back end: binds CreateSession's shortcuts, answers
    // BindShortcuts with none and lists the session's own.
    bool bindsOnlySessionShortcuts = false;

    bool start()
    {
        return bus.registerVirtualObject(kPath, this) && bus.registerService(kPortal);
    }

    QString introspect(const QString &) const override { return QString(); }

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        if (message.interface() == QLatin1String("org.freedesktop.DBus.Properties")) {
            connection.send(message.createReply(QVariant::fromValue(QDBusVariant(1u))));
            return true;
        }
        const QVariantMap options = qdbus_cast<QVariantMap>(message.arguments().constLast());
        QString sender = message.service().mid(1);
        sender.replace(QLatin1Char('.'), QLatin1Char('_'));
        const QString request = kPath + QStringLiteral("/request/") + sender + QLatin1Char('/')
                                + options.value(QStringLiteral("handle_token")).toString();
        connection.send(message.createReply(QVariant::fromValue(QDBusObjectPath(request))));
        QVariantMap results;
        uint answer = 0;
        if (message.member() == QLatin1String("CreateSession")) {
            sessionTokens << options.value(QStringLiteral("session_handle_token")).toString();
            sessionShortcuts = qdbus_cast<QList<PortalShortcut>>(options.value(QStringLiteral("shortcuts")));
            session = kPath + QStringLiteral("/session/") + sender + QLatin1Char('/') + sessionTokens.last();
            results.insert(QStringLiteral("session_handle"), session);
        } else if (message.member() == QLatin1String("BindShortcuts")) {
            boundShortcuts = bindsOnlySessionShortcuts ? sessionShortcuts
                                                       : qdbus_cast<QList<PortalShortcut>>(message.arguments().at(1));
            answer = bindAnswer;
            results.insert(QStringLiteral("shortcuts"),
                           QVariant::fromValue(bindsOnlySessionShortcuts ? QList<PortalShortcut>() : boundShortcuts));
        } else {   // ListShortcuts
            results.insert(QStringLiteral("shortcuts"), QVariant::fromValue(boundShortcuts));
        }
        QDBusMessage response = QDBusMessage::createSignal(request, QStringLiteral("org.freedesktop.portal.Request"),
                                                           QStringLiteral("Response"));
        response << answer << results;
        connection.send(response);
        return true;
    }

    void emitKey(const QString &signal, const QString &sessionPath, const QString &id)
    {
        QDBusMessage message = QDBusMessage::createSignal(kPath, kInterface, signal);
        message << QVariant::fromValue(QDBusObjectPath(sessionPath)) << id << qulonglong(1000) << QVariantMap();
        bus.send(message);
    }
};
// The stand-in runs in a thread of its own: the client's calls block until answered.
class PortalThread
{
public:
    explicit PortalThread(uint bindAnswer = 0)
    {
        portal.bindAnswer = bindAnswer;
        portal.moveToThread(&thread);
        thread.start();
    }
    ~PortalThread()
    {
        portal.bus.unregisterService(kPortal);
        portal.bus.unregisterObject(kPath);
        thread.quit();
        thread.wait();
    }
    FakeShortcutsPortal portal;
    QThread thread;
};
} // namespace

class GlobalShortcutsTest : public QObject
{
    Q_OBJECT

private slots:
    void withoutPortalNothingIsAvailable()
    {
        QVERIFY(!PortalGlobalShortcuts::available());
        // What Vornik says then names the command to bind.
        QVERIFY(GlobalHotKeys::noGlobalShortcutsMessage().contains(QLatin1String("\"vornik --capture\"")));
    }

    // Both keys are asked for with their preferred triggers; a capture fires on the
    // release that follows a press of a bound shortcut of this session, once.
    void bindsAndFiresOnRelease()
    {
        PortalThread running;
        FakeShortcutsPortal &portal = running.portal;
        QVERIFY(portal.start());
        QVERIFY(PortalGlobalShortcuts::available());

        GlobalHotKeys keys;
        QSignalSpy captures(&keys, &GlobalHotKeys::captureRequested);
        keys.registerHotKeys();
        QVERIFY(keys.portalShortcuts);
        QSignalSpy bound(keys.portalShortcuts.get(), &PortalGlobalShortcuts::bound);
        QVERIFY(bound.wait(5000));
        QCOMPARE(portal.boundShortcuts.size(), 2);
        // The desktop files the user's choice under these names: they stay the same.
        QCOMPARE(portal.boundShortcuts.at(0).id, QStringLiteral("capture1"));
        QCOMPARE(portal.boundShortcuts.at(1).id, QStringLiteral("capture2"));
        QCOMPARE(portal.boundShortcuts.at(0).properties.value(QStringLiteral("preferred_trigger")).toString(), QStringLiteral("CTRL+SHIFT+9"));
        QCOMPARE(portal.boundShortcuts.at(1).properties.value(QStringLiteral("preferred_trigger")).toString(), QStringLiteral("CTRL+F9"));
        QCOMPARE(bound.at(0).at(0).value<QList<PortalShortcut>>().size(), 2);
        QCOMPARE(keys.portalShortcuts->sessionHandle(), portal.session);

        const QString id = portal.boundShortcuts.at(0).id;
        portal.emitKey(QStringLiteral("Activated"), portal.session, id);
        QVERIFY(!captures.wait(300));   // a press alone does not capture
        portal.emitKey(QStringLiteral("Deactivated"), portal.session, id);
        QVERIFY(captures.wait(2000));
        QCOMPARE(captures.size(), 1);

        // A release without a press, and a press and release of another session, do nothing.
        portal.emitKey(QStringLiteral("Deactivated"), portal.session, portal.boundShortcuts.at(1).id);
        portal.emitKey(QStringLiteral("Activated"), kPath + QStringLiteral("/session/other/s1"), id);
        portal.emitKey(QStringLiteral("Deactivated"), kPath + QStringLiteral("/session/other/s1"), id);
        // The second key still works after them.
        portal.emitKey(QStringLiteral("Activated"), portal.session, portal.boundShortcuts.at(1).id);
        portal.emitKey(QStringLiteral("Deactivated"), portal.session, portal.boundShortcuts.at(1).id);
        QVERIFY(QTest::qWaitFor([&] { return captures.size() >= 2; }, 2000));
        QCOMPARE(captures.size(), 2);
    }

    void declinedBindingIsReported()
    {
        PortalThread running(1);
        QVERIFY(running.portal.start());
        PortalGlobalShortcuts shortcuts;
        QSignalSpy failed(&shortcuts, &PortalGlobalShortcuts::failed);
        shortcuts.bind({{QStringLiteral("capture1"), {}}});
        QVERIFY(failed.wait(5000));
        QVERIFY(failed.at(0).at(0).toString().contains(QLatin1String("declined")));
    }

    // KDE Plasma 5.27: the keys are named in CreateSession under the same session
    // token at every start (the back end registers a component per token and opens
    // System Settings for each new one); BindShortcuts answers with none, the
    // session's list shows them bound. A portal that binds nothing at all has failed.
    void sessionShortcutsUnderOneTokenAndEmptyBindingsFail()
    {
        PortalThread running;
        FakeShortcutsPortal &portal = running.portal;
        portal.bindsOnlySessionShortcuts = true;
        QVERIFY(portal.start());
        GlobalHotKeys keys;
        for (int start = 0; start < 2; ++start) {
            keys.registerHotKeys();
            QVERIFY(keys.portalShortcuts);
            QSignalSpy bound(keys.portalShortcuts.get(), &PortalGlobalShortcuts::bound);
            QVERIFY(bound.wait(5000));
            QCOMPARE(bound.at(0).at(0).value<QList<PortalShortcut>>().size(), 2);
        }
        QCOMPARE(portal.sessionShortcuts.size(), 2);
        QCOMPARE(portal.sessionShortcuts.at(1).properties.value(QStringLiteral("preferred_trigger")).toString(),
                 QStringLiteral("CTRL+F9"));
        QCOMPARE(portal.sessionTokens.size(), 2);
        QCOMPARE(portal.sessionTokens.at(0), portal.sessionTokens.at(1));

        // Nothing bound: not reported as bound.
        PortalGlobalShortcuts shortcuts;
        QSignalSpy failed(&shortcuts, &PortalGlobalShortcuts::failed);
        QSignalSpy bound(&shortcuts, &PortalGlobalShortcuts::bound);
        shortcuts.bind({});
        QVERIFY(failed.wait(5000));
        QVERIFY2(failed.at(0).at(0).toString().contains(QLatin1String("bound no shortcuts")),
                 qPrintable(failed.at(0).at(0).toString()));
        QCOMPARE(bound.size(), 0);
    }
};

VORNIK_TEST_MAIN(GlobalShortcutsTest, vtest::EnvironmentOptions{})
#include "global_shortcuts_test.moc"
