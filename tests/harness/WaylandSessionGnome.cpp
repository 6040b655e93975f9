// The GNOME Shell part of WaylandSession: gnome-shell --headless on a private, empty
// system bus; windows and outputs through the Shell's Eval (opened by an extension of
// the harness's own); input through mutter's RemoteDesktop interface.
#include "tests/harness/WaylandSession.h"

#include "tests/harness/TestEnvironment.h"
#include "tests/harness/WaylandSessionSupport.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDateTime>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace vtest {
using namespace wayland;

namespace {
const QString kInputConnection = QStringLiteral("wayland-session-input");
const QString kExtension = QStringLiteral("vornik-test@vornik.example");

// Eval answers only in unsafe mode, which the extension turns on.
const char kExtensionScript[] = R"(// The Vornik tests' window: lets the harness ask the Shell with Eval.
class Extension {
    enable() { global.context.unsafe_mode = true; }
    disable() { global.context.unsafe_mode = false; }
}
function init() { return new Extension(); }
)";

QDBusMessage callOn(const QString &connection, const QString &service, const QString &path, const QString &interface,
                    const QString &method, const QVariantList &arguments)
{
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, method);
    call.setArguments(arguments);
    return QDBusConnection(connection).call(call, QDBus::Block, 10000);
}
} // namespace

bool WaylandSession::startSystemBus()
{
    // gnome-shell will not start without a system bus; an empty one of the session's
    // own does (no logind, no accounts service: the Shell says so and goes on).
    QString config = busConfiguration(QStringLiteral("unix:path=") + m_runtime + QStringLiteral("/system-bus"),
                                      m_root + QStringLiteral("/no-services"));
    config.replace(QStringLiteral("<type>session</type>"), QStringLiteral("<type>system</type>"));
    const QString path = m_root + QStringLiteral("/system-bus.conf");
    if (!writeFile(path, config.toUtf8()))
        return fail(QStringLiteral("cannot write the system bus configuration"));
    m_systemBusAddress = QStringLiteral("unix:path=") + m_runtime + QStringLiteral("/system-bus");
    return startSessionBus(QStringLiteral("system-bus"), path);
}

bool WaylandSession::installGnomeExtension()
{
    const QString folder = m_root + QStringLiteral("/gnome-data/gnome-shell/extensions/") + kExtension;
    const QString settings = qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/glib-2.0/settings");
    QDir().mkpath(folder);
    QDir().mkpath(settings);
    const QByteArray metadata = "{\"uuid\": \"" + kExtension.toUtf8()
                                + "\", \"name\": \"Vornik tests\", \"description\": \"Opens Eval for the Vornik tests\", "
                                  "\"shell-version\": [\"43\", \"44\", \"45\"]}\n";
    return writeFile(folder + QStringLiteral("/metadata.json"), metadata)
           && writeFile(folder + QStringLiteral("/extension.js"), kExtensionScript)
           && writeFile(settings + QStringLiteral("/keyfile"),
                        "[org/gnome/shell]\nenabled-extensions=['" + kExtension.toUtf8() + "']\n");
}

bool WaylandSession::startGnomeShell(const QList<WaylandOutput> &outputs)
{
    const qint64 started = QDateTime::currentMSecsSinceEpoch();
    if (!haveProgram(QStringLiteral("gnome-shell")))
        return fail(QStringLiteral("gnome-shell is not installed (scripts/install-deps.sh installs it)"));
    if (!installGnomeExtension())
        return fail(QStringLiteral("cannot install the harness's Shell extension"));
    // mutter's screen casts (the GNOME portal's and the test's input) need PipeWire.
    spawnHere({QStringLiteral("pipewire")}, QStringLiteral("pipewire.log"));
    if (!waitFor([&] { return QFile::exists(m_runtime + QStringLiteral("/pipewire-0")); }, kStartTimeoutMs))
        return fail(QStringLiteral("PipeWire did not start"));

    QProcessEnvironment shellEnvironment = environment();
    shellEnvironment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    shellEnvironment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    QStringList command{QStringLiteral("env"), QStringLiteral("-i")};
    command << shellEnvironment.toStringList();
    command << QStringLiteral("gnome-shell") << QStringLiteral("--headless") << QStringLiteral("--wayland")
            << QStringLiteral("--no-x11") << QStringLiteral("--wayland-display") << QFileInfo(m_waylandDisplay).fileName();
    for (const WaylandOutput &output : outputs)
        command << QStringLiteral("--virtual-monitor") << QStringLiteral("%1x%2").arg(output.size.width()).arg(output.size.height());
    if (spawnHere(command, QStringLiteral("gnome-shell.log")) <= 0)
        return fail(QStringLiteral("cannot start gnome-shell"));
    QDBusConnection::connectToBus(m_busAddress, kInputConnection);
    // Up once Eval answers; the Shell opens in the overview, which would cover the windows.
    const auto ready = [&] {
        bool ok = false;
        const QString busy = gnomeEval(QStringLiteral("if (!Main.layoutManager._startingUp) Main.overview.hide();"
                                                      " Main.layoutManager._startingUp || Main.overview.visible"), &ok);
        return ok && busy == QLatin1String("false");
    };
    if (!waitFor(ready, kStartTimeoutMs * 2))
        return fail(QStringLiteral("GNOME Shell did not start; see %1/gnome-shell.log").arg(m_root));
    if (!waitFor([&] { return gnomeOutputs().size() == outputs.size(); }, kStartTimeoutMs))
        return fail(QStringLiteral("GNOME Shell did not make %1 monitors").arg(outputs.size()));
    step(QStringLiteral("gnome-shell"), started);
    return true;
}

// The Shell's answer to `script` (JSON of its value); `ok` false when it failed.
QString WaylandSession::gnomeEval(const QString &script, bool *ok) const
{
    const QDBusMessage reply = callOn(kInputConnection, QStringLiteral("org.gnome.Shell"), QStringLiteral("/org/gnome/Shell"),
                                      QStringLiteral("org.gnome.Shell"), QStringLiteral("Eval"), {script});
    const bool answered = reply.type() == QDBusMessage::ReplyMessage && reply.arguments().size() == 2
                          && reply.arguments().at(0).toBool();
    if (ok)
        *ok = answered;
    return reply.arguments().size() == 2 ? reply.arguments().at(1).toString() : reply.errorMessage();
}

QList<WaylandOutputState> WaylandSession::gnomeOutputs() const
{
    // The virtual monitors are the connectors Meta-0, Meta-1 ... in the order given.
    const QString json = gnomeEval(QStringLiteral(
        "(() => { const manager = global.backend.get_monitor_manager(); const found = [];"
        " for (let k = 0; k < 8; ++k) { const i = manager.get_monitor_for_connector('Meta-' + k); if (i < 0) continue;"
        " const r = global.display.get_monitor_geometry(i);"
        " found.push({name: 'Meta-' + k, x: r.x, y: r.y, width: r.width, height: r.height}); } return found; })()"));
    QList<WaylandOutputState> list;
    for (const QJsonValue &value : QJsonDocument::fromJson(json.toUtf8()).array()) {
        const QJsonObject r = value.toObject();
        list.append({r.value(QStringLiteral("name")).toString(),
                     QRect(r.value(QStringLiteral("x")).toInt(), r.value(QStringLiteral("y")).toInt(),
                           r.value(QStringLiteral("width")).toInt(), r.value(QStringLiteral("height")).toInt())});
    }
    std::sort(list.begin(), list.end(), [](const auto &a, const auto &b) { return a.rect.x() < b.rect.x(); });
    return list;
}

QList<WaylandWindow> WaylandSession::gnomeWindows() const
{
    return windowsFromJson(gnomeEval(QStringLiteral(
        "global.get_window_actors().filter(a => a.visible).map(a => a.meta_window)"
        ".filter(w => [0, 3, 4].includes(w.get_window_type()) && !w.minimized)"
        ".map(w => { const r = w.get_frame_rect(); return {pid: w.get_pid(), x: r.x, y: r.y, width: r.width,"
        " height: r.height, fullscreen: w.is_fullscreen(), title: w.get_title() || '', id: String(w.get_id())}; })")));
}

// A RemoteDesktop session with a screen cast of every monitor: absolute motion is
// given relative to one monitor's stream.
bool WaylandSession::startRemoteDesktop()
{
    const qint64 started = QDateTime::currentMSecsSinceEpoch();
    const QString desktop = QStringLiteral("org.gnome.Mutter.RemoteDesktop");
    const QString cast = QStringLiteral("org.gnome.Mutter.ScreenCast");
    QDBusMessage reply = callOn(kInputConnection, desktop, QStringLiteral("/org/gnome/Mutter/RemoteDesktop"), desktop,
                                QStringLiteral("CreateSession"), {});
    if (reply.type() != QDBusMessage::ReplyMessage)
        return fail(QStringLiteral("no RemoteDesktop session: ") + reply.errorMessage());
    m_remoteSession = reply.arguments().value(0).value<QDBusObjectPath>().path();
    reply = callOn(kInputConnection, desktop, m_remoteSession, QStringLiteral("org.freedesktop.DBus.Properties"),
                   QStringLiteral("Get"), {desktop + QStringLiteral(".Session"), QStringLiteral("SessionId")});
    const QString sessionId = reply.arguments().value(0).value<QDBusVariant>().variant().toString();
    reply = callOn(kInputConnection, cast, QStringLiteral("/org/gnome/Mutter/ScreenCast"), cast, QStringLiteral("CreateSession"),
                   {QVariantMap{{QStringLiteral("remote-desktop-session-id"), sessionId}}});
    if (reply.type() != QDBusMessage::ReplyMessage)
        return fail(QStringLiteral("no ScreenCast session: ") + reply.errorMessage());
    const QString castSession = reply.arguments().value(0).value<QDBusObjectPath>().path();
    for (const WaylandOutputState &output : gnomeOutputs()) {
        reply = callOn(kInputConnection, cast, castSession, cast + QStringLiteral(".Session"), QStringLiteral("RecordMonitor"),
                       {output.name, QVariantMap{{QStringLiteral("cursor-mode"), QVariant::fromValue(uint(1))}}});
        if (reply.type() != QDBusMessage::ReplyMessage)
            return fail(QStringLiteral("no screen cast of %1: %2").arg(output.name, reply.errorMessage()));
        m_monitorStreams << output.name + QLatin1Char('=') + reply.arguments().value(0).value<QDBusObjectPath>().path();
    }
    reply = callOn(kInputConnection, desktop, m_remoteSession, desktop + QStringLiteral(".Session"), QStringLiteral("Start"), {});
    if (reply.type() != QDBusMessage::ReplyMessage)
        return fail(QStringLiteral("the RemoteDesktop session did not start: ") + reply.errorMessage());
    // Motion works once the streams run; the virtual keyboard appears with its first key.
    if (!waitFor([&] { return gnomePointer("move 4 4"); }, kStartTimeoutMs))
        return fail(QStringLiteral("mutter takes no absolute motion on its screen casts"));
    if (!gnomeKey(42, true) || !gnomeKey(42, false))
        return fail(QStringLiteral("mutter takes no keys"));
    step(QStringLiteral("remote desktop"), started);
    return true;
}

bool WaylandSession::gnomePointer(const QByteArray &command)
{
    const QString session = QStringLiteral("org.gnome.Mutter.RemoteDesktop.Session");
    const QList<QByteArray> words = command.split(' ');
    QDBusMessage reply;
    if (words.value(0) == "move" && words.size() == 3) {
        const QPoint point(words.at(1).toInt(), words.at(2).toInt());
        for (const WaylandOutputState &output : gnomeOutputs()) {
            if (!output.rect.contains(point))
                continue;
            const QString stream = m_monitorStreams.filter(output.name + QLatin1Char('=')).value(0).section(QLatin1Char('='), 1);
            reply = callOn(kInputConnection, QStringLiteral("org.gnome.Mutter.RemoteDesktop"), m_remoteSession, session,
                           QStringLiteral("NotifyPointerMotionAbsolute"),
                           {stream, double(point.x() - output.rect.x()), double(point.y() - output.rect.y())});
            m_pointer = point;
        }
    } else if (words.value(0) == "down" || words.value(0) == "up") {
        reply = callOn(kInputConnection, QStringLiteral("org.gnome.Mutter.RemoteDesktop"), m_remoteSession, session,
                       QStringLiteral("NotifyPointerButton"), {272, words.value(0) == "down"});
    }
    return reply.type() == QDBusMessage::ReplyMessage;
}

bool WaylandSession::gnomeKey(int code, bool pressed)
{
    const QDBusMessage reply = callOn(kInputConnection, QStringLiteral("org.gnome.Mutter.RemoteDesktop"), m_remoteSession,
                                      QStringLiteral("org.gnome.Mutter.RemoteDesktop.Session"),
                                      QStringLiteral("NotifyKeyboardKeycode"), {uint(code), pressed});
    return reply.type() == QDBusMessage::ReplyMessage;
}

} // namespace vtest
