// The KWin part of WaylandSession: kwin_wayland --virtual, and its windows and outputs
// through KWin scripts of the harness's own that report to the test over D-Bus.
#include "tests/harness/WaylandSession.h"

#include "tests/harness/TestEnvironment.h"
#include "tests/harness/WaylandSessionSupport.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDateTime>
#include <QDir>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

// Owns org.vornik.TestProbe on the session bus; the harness's KWin scripts call Report
// with their token and what they found.
class WaylandKWinProbe : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.vornik.TestProbe")
public:
    QHash<QString, QString> reports;
public slots:
    void Report(const QString &token, const QString &json) { reports.insert(token, json); }
};

namespace vtest {
using namespace wayland;

namespace {
// KWin's geometry is in floating point.
int whole(const QJsonValue &value)
{
    return qRound(value.toDouble());
}

const QString kKWin = QStringLiteral("org.kde.KWin");
const QString kProbeConnection = QStringLiteral("wayland-session-kwin-probe");
} // namespace

bool WaylandSession::startKWin(const QList<WaylandOutput> &outputs)
{
    const qint64 started = QDateTime::currentMSecsSinceEpoch();
    if (!QFile::exists(QStringLiteral("/usr/bin/kwin_wayland")))
        return fail(QStringLiteral("kwin_wayland is not installed (scripts/install-deps.sh installs kwin-wayland)"));
    for (const WaylandOutput &output : outputs)
        if (output.size != outputs.first().size)
            return fail(QStringLiteral("KWin's virtual outputs are all of one size"));
    // The packaged binary carries a file capability (cap_sys_resource), and exec of it
    // fails where the capability cannot be granted (a container): a plain copy runs.
    const QString binary = m_root + QStringLiteral("/kwin_wayland");
    if (!QFile::copy(QStringLiteral("/usr/bin/kwin_wayland"), binary)
        || !QFile::setPermissions(binary, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
        return fail(QStringLiteral("cannot copy kwin_wayland to ") + binary);
    // The KDE portal saves its pictures there, and answers "cancelled" without it.
    QDir().mkpath(QDir::homePath() + QStringLiteral("/Pictures"));

    QProcessEnvironment kwinEnvironment = environment();
    kwinEnvironment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    kwinEnvironment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    // Fake input for any client: the test drives the pointer and keyboard with fake
    // input. The screenshot interface stays KWin's to grant, by the clients' desktop
    // entries (the KDE portal's is installed; a test writes one for Vornik).
    kwinEnvironment.insert(QStringLiteral("KWIN_WAYLAND_NO_PERMISSION_CHECKS"), QStringLiteral("1"));
    QStringList command{QStringLiteral("env"), QStringLiteral("-i")};
    command << kwinEnvironment.toStringList();
    command << binary << QStringLiteral("--virtual") << QStringLiteral("--width") << QString::number(outputs.first().size.width())
            << QStringLiteral("--height") << QString::number(outputs.first().size.height())
            << QStringLiteral("--output-count") << QString::number(outputs.size())
            << QStringLiteral("--socket") << QFileInfo(m_waylandDisplay).fileName() << QStringLiteral("--no-lockscreen");
    if (spawnHere(command, QStringLiteral("kwin.log")) <= 0)
        return fail(QStringLiteral("cannot start kwin_wayland"));

    QDBusConnection bus = QDBusConnection::connectToBus(m_busAddress, kProbeConnection);
    const auto answers = [&] {
        const QDBusMessage ping = QDBusMessage::createMethodCall(kKWin, QStringLiteral("/KWin"),
                                                                 QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping"));
        return bus.call(ping, QDBus::Block, 2000).type() == QDBusMessage::ReplyMessage;
    };
    if (!waitFor([&] { return QFile::exists(m_waylandDisplay) && answers(); }, kStartTimeoutMs))
        return fail(QStringLiteral("KWin did not start; see %1/kwin.log").arg(m_root));
    m_probe = std::make_unique<WaylandKWinProbe>();
    if (!bus.registerObject(QStringLiteral("/Probe"), m_probe.get(), QDBusConnection::ExportAllSlots)
        || !bus.registerService(QStringLiteral("org.vornik.TestProbe")))
        return fail(QStringLiteral("cannot own org.vornik.TestProbe on the session bus"));
    if (!waitFor([&] { return kwinOutputs().size() == outputs.size(); }, kStartTimeoutMs))
        return fail(QStringLiteral("KWin did not make %1 outputs").arg(outputs.size()));
    step(QStringLiteral("kwin"), started);
    return true;
}

// Runs `body` as a KWin script; `body` calls report(value) once. The value as JSON,
// empty when the script did not report within 5 s.
QString WaylandSession::kwinScript(const QString &body) const
{
    auto *probe = static_cast<WaylandKWinProbe *>(m_probe.get());
    if (!probe)
        return QString();
    static int scripts = 0;
    const QString token = QStringLiteral("probe%1").arg(++scripts);
    const QString path = m_root + QLatin1Char('/') + token + QStringLiteral(".js");
    const QString text = QStringLiteral("function report(value) { callDBus(\"org.vornik.TestProbe\", \"/Probe\", "
                                        "\"org.vornik.TestProbe\", \"Report\", \"%1\", JSON.stringify(value)); }\n")
                             .arg(token) + body;
    if (!writeFile(path, text.toUtf8()))
        return QString();
    QDBusConnection bus = QDBusConnection::connectToBus(m_busAddress, kProbeConnection);
    const auto scripting = [&](const QString &method, const QVariantList &arguments) {
        QDBusMessage call = QDBusMessage::createMethodCall(kKWin, QStringLiteral("/Scripting"),
                                                           QStringLiteral("org.kde.kwin.Scripting"), method);
        call.setArguments(arguments);
        return bus.call(call, QDBus::Block, 5000);
    };
    scripting(QStringLiteral("loadScript"), {path, token});
    scripting(QStringLiteral("start"), {});
    (void)waitFor([&] { return probe->reports.contains(token); }, 5000);
    scripting(QStringLiteral("unloadScript"), {token});
    QFile::remove(path);
    return probe->reports.take(token);
}

QList<WaylandOutputState> WaylandSession::kwinOutputs() const
{
    const QString json = kwinScript(QStringLiteral(
        "var screens = [];\n"
        "for (var i = 0; i < workspace.numScreens; ++i) {\n"
        "    var a = workspace.clientArea(KWin.ScreenArea, i, 1);\n"
        "    screens.push({x: a.x, y: a.y, width: a.width, height: a.height});\n"
        "}\n"
        "report(screens);\n"));
    QList<WaylandOutputState> list;
    for (const QJsonValue &value : QJsonDocument::fromJson(json.toUtf8()).array()) {
        const QJsonObject r = value.toObject();
        list.append({QString(), QRect(whole(r.value(QStringLiteral("x"))), whole(r.value(QStringLiteral("y"))),
                                      whole(r.value(QStringLiteral("width"))), whole(r.value(QStringLiteral("height"))))});
    }
    std::sort(list.begin(), list.end(), [](const auto &a, const auto &b) { return a.rect.x() < b.rect.x(); });
    for (int i = 0; i < list.size(); ++i)
        list[i].name = QStringLiteral("OUTPUT-%1").arg(i + 1);
    return list;
}

QList<WaylandWindow> wayland::windowsFromJson(const QString &json)
{
    QList<WaylandWindow> windows;
    for (const QJsonValue &value : QJsonDocument::fromJson(json.toUtf8()).array()) {
        const QJsonObject w = value.toObject();
        WaylandWindow window;
        window.pid = w.value(QStringLiteral("pid")).toInteger();
        window.rect = QRect(whole(w.value(QStringLiteral("x"))), whole(w.value(QStringLiteral("y"))),
                            whole(w.value(QStringLiteral("width"))), whole(w.value(QStringLiteral("height"))));
        window.fullscreen = w.value(QStringLiteral("fullscreen")).toBool();
        window.title = w.value(QStringLiteral("title")).toString();
        window.id = w.value(QStringLiteral("id")).toString();
        windows.append(window);
    }
    return windows;
}

QList<WaylandWindow> WaylandSession::kwinWindows() const
{
    return windowsFromJson(kwinScript(QStringLiteral(
        "var found = [];\n"
        "var all = workspace.clientList();\n"
        "for (var i = 0; i < all.length; ++i) {\n"
        "    var c = all[i];\n"
        "    if ((!c.normalWindow && !c.dialog) || c.minimized) continue;\n"
        "    var g = c.frameGeometry;\n"
        "    found.push({pid: c.pid, x: g.x, y: g.y, width: g.width, height: g.height, fullscreen: c.fullScreen,\n"
        "                title: c.caption, id: String(c.internalId)});\n"
        "}\n"
        "report(found);\n")));
}

bool WaylandSession::closeWindow(const WaylandWindow &window)
{
    switch (m_compositor) {
    case Compositor::Sway:
        return swaymsg({QStringLiteral("[con_id=%1]").arg(window.id), QStringLiteral("kill")});
    case Compositor::KWin:
        return kwinScript(QStringLiteral("var all = workspace.clientList(), closed = false;\n"
                                         "for (var i = 0; i < all.length; ++i)\n"
                                         "    if (String(all[i].internalId) === \"%1\") { all[i].closeWindow(); closed = true; }\n"
                                         "report(closed);\n").arg(window.id)) == QLatin1String("true");
    case Compositor::Gnome: {
        bool ok = false;
        const QString closed = gnomeEval(QStringLiteral("(() => { const w = global.get_window_actors().map(a => a.meta_window)"
                                                        ".find(w => String(w.get_id()) === '%1'); if (w) w.delete(global.get_current_time());"
                                                        " return !!w; })()").arg(window.id), &ok);
        return ok && closed == QLatin1String("true");
    }
    }
    return false;
}

} // namespace vtest

#include "WaylandSessionKWin.moc"
