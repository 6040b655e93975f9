#include "tests/harness/WaylandSession.h"

#include "tests/harness/TestEnvironment.h"
#include "tests/harness/WaylandSessionSupport.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QColor>
#include <QCoreApplication>
#include <QProcess>
#include <QUrl>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

// Receives the Response of one portal request.
class WaylandPortalAnswer : public QObject
{
    Q_OBJECT
public:
    uint code = 99;
    QVariantMap results;
    bool answered = false;
public slots:
    void response(uint answer, const QVariantMap &values)
    {
        code = answer;
        results = values;
        answered = true;
    }
};

namespace vtest {
using namespace wayland;

namespace {
const QString kPortal = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");

// Per compositor: the system's D-Bus services its session bus may activate (the
// portal's back ends and the permission store the front end asks before a screenshot
// without a dialog), and the portal files the front end reads.
struct DesktopPortals {
    QStringList services;
    QStringList portalFiles;
};

DesktopPortals portalsOf(Compositor compositor)
{
    const QString store = QStringLiteral("org.freedesktop.impl.portal.PermissionStore");
    switch (compositor) {
    case Compositor::Sway:
        return {{QStringLiteral("org.freedesktop.impl.portal.desktop.wlr"), QStringLiteral("org.freedesktop.impl.portal.desktop.gtk"), store},
                {QStringLiteral("wlr.portal"), QStringLiteral("gtk.portal")}};
    case Compositor::KWin:
        return {{QStringLiteral("org.freedesktop.impl.portal.desktop.kde"), QStringLiteral("org.kde.kglobalaccel"), store},
                {QStringLiteral("kde.portal")}};
    case Compositor::Gnome:
        return {{QStringLiteral("org.freedesktop.impl.portal.desktop.gnome"), QStringLiteral("org.freedesktop.impl.portal.desktop.gtk"), store},
                {QStringLiteral("gnome.portal"), QStringLiteral("gtk.portal"), QStringLiteral("gnome-shell.portal")}};
    }
    return {};
}

// evdev key codes of the names keys() takes.
int evdevCode(const QString &key)
{
    static const QHash<QString, int> named{{QStringLiteral("ctrl"), 29}, {QStringLiteral("shift"), 42},
                                           {QStringLiteral("alt"), 56}, {QStringLiteral("Escape"), 1},
                                           {QStringLiteral("Return"), 28}, {QStringLiteral("9"), 10}};
    if (named.contains(key))
        return named.value(key);
    static const char *const rows[] = {"qwertyuiop", "asdfghjkl", "zxcvbnm"};
    static const int firstCodes[] = {16, 30, 44};
    for (int row = 0; row < 3; ++row) {
        const int column = QByteArray(rows[row]).indexOf(key.toLatin1());
        if (key.size() == 1 && column >= 0)
            return firstCodes[row] + column;
    }
    return -1;
}

bool isModifier(const QString &key)
{
    return key == QLatin1String("ctrl") || key == QLatin1String("shift") || key == QLatin1String("alt");
}
} // namespace

Compositor compositorUnderTest()
{
    const QString name = qEnvironmentVariable("VORNIK_TEST_COMPOSITOR");
    if (name == QLatin1String("kwin"))
        return Compositor::KWin;
    if (name == QLatin1String("gnome"))
        return Compositor::Gnome;
    return Compositor::Sway;
}

QString compositorName(Compositor compositor)
{
    switch (compositor) {
    case Compositor::Sway: return QStringLiteral("sway");
    case Compositor::KWin: return QStringLiteral("KWin");
    case Compositor::Gnome: return QStringLiteral("GNOME Shell");
    }
    return QString();
}

WaylandSession::WaylandSession(const QString &root, const QList<WaylandOutput> &outputs, bool withPortal,
                               Compositor compositor)
    : m_compositor(compositor)
    , m_root(root)
    , m_swayRuntime(root + QStringLiteral("/sway-runtime"))
    , m_runtime(root + QStringLiteral("/runtime"))
{
    // The clients' runtime folder (bus, PipeWire, Vornik's own files): private, and the
    // session's own, so that two sessions of one test do not meet.
    QDir().mkpath(m_runtime);
    chmod(QFile::encodeName(m_runtime).constData(), 0700);
    for (const WaylandOutput &output : outputs)
        m_layout = QSize(m_layout.width() + output.size.width(), std::max(m_layout.height(), output.size.height()));
    if (withPortal && !usePrivateTmp())
        return;
    switch (compositor) {
    case Compositor::Sway:
        startSway(outputs) && addSwayOutputs(outputs) && startBus() && (!withPortal || startPortal()) && startPointer();
        break;
    case Compositor::KWin:
        // KWin registers itself on the session bus, and the bus's environment (the
        // Wayland display among it) is what the back ends it activates get.
        m_waylandDisplay = m_runtime + QStringLiteral("/wayland-vornik");
        startBus() && startKWin(outputs) && (!withPortal || startPortal()) && startPointer() && startWallpapers(outputs);
        break;
    case Compositor::Gnome:
        m_waylandDisplay = m_runtime + QStringLiteral("/wayland-vornik");
        startSystemBus() && startBus() && startGnomeShell(outputs) && (!withPortal || (startPortal() && allowScreenshots()))
            && startRemoteDesktop() && startWallpapers(outputs);
        break;
    }
}

WaylandSession::~WaylandSession()
{
    if (m_pointerFd >= 0)
        close(m_pointerFd);
    if (!m_remoteSession.isEmpty())
        QDBusConnection::disconnectFromBus(QStringLiteral("wayland-session-input"));
    m_probe.reset();
    QDBusConnection::disconnectFromBus(QStringLiteral("wayland-session-kwin-probe"));
    stopBusClients();
    for (auto pid = m_pids.crbegin(); pid != m_pids.crend(); ++pid)
        stop(*pid);
}

bool WaylandSession::fail(const QString &why)
{
    if (m_failure.isEmpty())
        m_failure = compositorName(m_compositor) + QStringLiteral(": ") + why;
    return false;
}

void WaylandSession::step(const QString &name, qint64 startedMs)
{
    m_startTimes << QStringLiteral("%1 %2 s").arg(name).arg((QDateTime::currentMSecsSinceEpoch() - startedMs) / 1000.0, 0, 'f', 2);
}

// The folders under /tmp the session's programs still need once /tmp is covered: the
// session's own root, and the checkout and build when they lie under /tmp (the tests'
// helpers and Vornik itself run from there).
static QStringList foldersToKeepInTmp(const QString &sessionRoot)
{
    QStringList kept{sessionRoot};
    for (const QString &path : {qEnvironmentVariable("VORNIK_SOURCE_DIR"), qEnvironmentVariable("VORNIK_BUILD_DIR"),
                                QCoreApplication::applicationDirPath()}) {
        const QString top = path.section(QLatin1Char('/'), 0, 2);
        if (path.startsWith(QLatin1String("/tmp/")) && !kept.contains(top) && !sessionRoot.startsWith(top + QLatin1Char('/')))
            kept.append(top);
    }
    return kept;
}

bool WaylandSession::usePrivateTmp()
{
    // Once per process: a later session's programs see the same /tmp.
    static bool moved = false;
    if (moved)
        return true;
    if (unshare(CLONE_NEWNS) != 0) {
        qWarning("no mount namespace of the test's own (%s): /tmp/out.png is shared with every other "
                 "Wayland session on this machine", strerror(errno));
        return true;
    }
    // The folders kept lie in the /tmp about to be covered: each is bound in again at
    // the same path, through a handle opened before.
    const QStringList kept = foldersToKeepInTmp(m_root);
    QList<int> handles;
    for (const QString &folder : kept)
        handles.append(open(QFile::encodeName(folder).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    bool bound = !handles.contains(-1) && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0
                 && mount("tmpfs", "/tmp", "tmpfs", MS_NOSUID | MS_NODEV, "mode=1777") == 0;
    for (int i = 0; bound && i < kept.size(); ++i) {
        const QByteArray folder = QFile::encodeName(kept.at(i));
        const QByteArray handle = "/proc/self/fd/" + QByteArray::number(handles.at(i));
        bound = !folder.startsWith("/tmp/") || (QDir().mkpath(kept.at(i)) && mount(handle, folder, nullptr, MS_BIND | MS_REC, nullptr) == 0);
    }
    const int error = errno;
    for (int handle : handles)
        if (handle >= 0)
            close(handle);
    if (!bound)
        return fail(QStringLiteral("cannot give the session a /tmp of its own: %1").arg(QString::fromLocal8Bit(strerror(error))));
    moved = true;
    return true;
}

pid_t WaylandSession::spawnHere(const QStringList &command, const QString &log)
{
    const pid_t pid = spawn(command, m_root + QLatin1Char('/') + log);
    if (pid > 0)
        m_pids.append(pid);
    return pid;
}

// Copies the services the session bus may activate and the portal files the portal
// reads into folders of the session's own; the bus configuration's path.
QString WaylandSession::stageBusServices()
{
    const DesktopPortals portals = portalsOf(m_compositor);
    const QString services = m_root + QStringLiteral("/wayland-bus-services");
    const QString portalFolder = m_root + QStringLiteral("/portals");
    QDir().mkpath(services);
    QDir().mkpath(portalFolder);
    for (const QString &name : portals.services) {
        const QString file = name + QStringLiteral(".service");
        QFile::copy(QStringLiteral("/usr/share/dbus-1/services/") + file, services + QLatin1Char('/') + file);
    }
    for (const QString &file : portals.portalFiles) {
        if (!QFile::copy(QStringLiteral("/usr/share/xdg-desktop-portal/portals/") + file, portalFolder + QLatin1Char('/') + file)) {
            fail(QStringLiteral("no portal file %1 (scripts/install-deps.sh installs the portal back ends)").arg(file));
            return QString();
        }
    }
    const QString config = busConfiguration(QStringLiteral("unix:path=") + m_runtime + QStringLiteral("/wayland-bus"), services);
    const QString path = m_root + QStringLiteral("/wayland-bus.conf");
    return writeFile(path, config.toUtf8()) ? path : QString();
}

bool WaylandSession::startSessionBus(const QString &busName, const QString &configuration)
{
    const pid_t pid = spawnHere({QStringLiteral("dbus-daemon"), QStringLiteral("--config-file=") + configuration,
                                 QStringLiteral("--nofork")},
                                busName + QStringLiteral(".log"));
    if (busName == QLatin1String("wayland-bus"))
        m_busPid = pid;
    if (!waitFor([&] { return QFile::exists(m_runtime + QLatin1Char('/') + busName); }, kStartTimeoutMs))
        return fail(QStringLiteral("the bus %1 did not start").arg(busName));
    return true;
}

bool WaylandSession::startBus()
{
    const qint64 started = QDateTime::currentMSecsSinceEpoch();
    const QString config = stageBusServices();
    if (config.isEmpty())
        return fail(QStringLiteral("cannot write the bus configuration"));
    // What the bus is started with is what the services it activates get.
    m_busAddress = QStringLiteral("unix:path=") + m_runtime + QStringLiteral("/wayland-bus");
    const QProcessEnvironment session = environment();
    for (const QString &name : session.keys())
        qputenv(name.toLocal8Bit(), session.value(name).toLocal8Bit());
    qunsetenv("DISPLAY");
    if (!startSessionBus(QStringLiteral("wayland-bus"), config))
        return false;
    step(QStringLiteral("bus"), started);
    return true;
}

bool WaylandSession::startPortal()
{
    qint64 started = QDateTime::currentMSecsSinceEpoch();
    // xdg-desktop-portal-wlr will not start without PipeWire, nor mutter's screen casts
    // (the GNOME back end's and the test's input) work.
    spawnHere({QStringLiteral("pipewire")}, QStringLiteral("pipewire.log"));
    if (!waitFor([&] { return QFile::exists(m_runtime + QStringLiteral("/pipewire-0")); }, kStartTimeoutMs))
        return fail(QStringLiteral("PipeWire did not start"));
    step(QStringLiteral("pipewire"), started);

    started = QDateTime::currentMSecsSinceEpoch();
    // About one start in four here, xdg-desktop-portal 1.16 hangs before it takes its
    // bus name, waiting (25 s) in the synchronous set-up of one of its back ends; a
    // fresh start has always come up, within half a second when it does.
    constexpr int attempts = 5;
    for (int attempt = 1; attempt <= attempts; ++attempt) {
        const pid_t portal = spawnHere({QStringLiteral("/usr/libexec/xdg-desktop-portal"), QStringLiteral("-r")},
                                       QStringLiteral("xdg-desktop-portal.log"));
        if (waitForScreenshotPortal(attempt < attempts ? 5000 : kStartTimeoutMs)) {
            step(QStringLiteral("portal (start %1)").arg(attempt), started);
            return true;
        }
        stopBusClients();
        stop(portal);
        m_pids.removeAll(portal);
    }
    return fail(QStringLiteral("the screenshot portal did not appear; see %1/xdg-desktop-portal.log").arg(m_root));
}

bool WaylandSession::waitForScreenshotPortal(int timeoutMs)
{
    QDBusConnection bus = QDBusConnection::connectToBus(m_busAddress, QStringLiteral("wayland-session-probe"));
    QString interfaces;
    const auto exported = [&] {
        const QDBusMessage introspect = QDBusMessage::createMethodCall(
            kPortal, kPortalPath, QStringLiteral("org.freedesktop.DBus.Introspectable"), QStringLiteral("Introspect"));
        const QDBusReply<QString> xml = bus.call(introspect, QDBus::Block, 2000);
        interfaces = xml.isValid() ? xml.value() : xml.error().message();
        return xml.isValid() && xml.value().contains(QLatin1String("\"org.freedesktop.portal.Screenshot\""));
    };
    const bool ready = waitFor(exported, timeoutMs);
    QDBusConnection::disconnectFromBus(QStringLiteral("wayland-session-probe"));
    if (!ready)
        writeFile(m_root + QStringLiteral("/portal-without-screenshot.xml"), interfaces.toUtf8());
    return ready;
}

// GNOME's portal asks "Allow Applications to Take Screenshots?" before the first
// screenshot without a dialog: the answer "yes" a user gives once is stored beforehand
// (programs outside a sandbox have the empty application id).
bool WaylandSession::allowScreenshots()
{
    QDBusConnection bus = QDBusConnection::connectToBus(m_busAddress, QStringLiteral("wayland-session-store"));
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.impl.portal.PermissionStore"), QStringLiteral("/org/freedesktop/impl/portal/PermissionStore"),
        QStringLiteral("org.freedesktop.impl.portal.PermissionStore"), QStringLiteral("SetPermission"));
    call << QStringLiteral("screenshot") << true << QStringLiteral("screenshot") << QString() << QStringList{QStringLiteral("yes")};
    const QDBusMessage reply = bus.call(call, QDBus::Block, 10000);
    QDBusConnection::disconnectFromBus(QStringLiteral("wayland-session-store"));
    return reply.type() != QDBusMessage::ErrorMessage
           || fail(QStringLiteral("cannot store the screenshot permission: ") + reply.errorMessage());
}

bool WaylandSession::startPointer()
{
    const qint64 started = QDateTime::currentMSecsSinceEpoch();
    const bool kwin = m_compositor == Compositor::KWin;
    const QString variable = kwin ? QStringLiteral("VORNIK_TEST_KINPUT") : QStringLiteral("VORNIK_TEST_VPTR");
    const QString helper = qEnvironmentVariable(qPrintable(variable));
    if (helper.isEmpty() || !QFile::exists(helper))
        return fail(variable + QStringLiteral(" does not name the input helper"));
    m_pointerFifo = m_root + QStringLiteral("/pointer.fifo");
    m_pointerLog = m_root + QStringLiteral("/pointer.log");
    if (mkfifo(QFile::encodeName(m_pointerFifo).constData(), 0600) != 0)
        return fail(QStringLiteral("cannot make %1").arg(m_pointerFifo));
    QStringList command{helper, m_pointerFifo};
    if (!kwin)
        command << QString::number(m_layout.width()) << QString::number(m_layout.height());
    spawnHere(command, QStringLiteral("pointer.log"));
    const auto logSays = [this](const QByteArray &text) {
        QFile log(m_pointerLog);
        return log.open(QIODevice::ReadOnly) && log.readAll().contains(text);
    };
    if (!waitFor([&] { return logSays("created"); }, kStartTimeoutMs))
        return fail(QStringLiteral("the virtual pointer did not start; see %1").arg(m_pointerLog));
    m_pointerFd = open(QFile::encodeName(m_pointerFifo).constData(), O_WRONLY | O_CLOEXEC);
    step(QStringLiteral("pointer"), started);
    return m_pointerFd >= 0 || fail(QStringLiteral("cannot open %1").arg(m_pointerFifo));
}

void WaylandSession::stopBusClients()
{
    if (m_busAddress.isEmpty() || m_busPid <= 0)
        return;
    // The services the bus activated are its children, not ours: end them by the
    // process ids the bus knows for them.
    QList<pid_t> activated;
    {
        QDBusConnection bus = QDBusConnection::connectToBus(m_busAddress, QStringLiteral("wayland-session-stop"));
        if (bus.isConnected()) {
            const QStringList names = bus.interface()->registeredServiceNames().value();
            for (const QString &name : names) {
                const QDBusReply<uint> pid = bus.interface()->servicePid(name);
                if (pid.isValid() && pid_t(pid.value()) != getpid() && !m_pids.contains(pid_t(pid.value()))
                    && !activated.contains(pid_t(pid.value())))
                    activated.append(pid_t(pid.value()));
            }
        }
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("wayland-session-stop"));
    for (pid_t pid : activated)
        kill(pid, SIGTERM);
}

QProcessEnvironment WaylandSession::environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.insert(QStringLiteral("WAYLAND_DISPLAY"), m_waylandDisplay);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime);
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_busAddress);
    environment.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
    environment.insert(QStringLiteral("NO_AT_BRIDGE"), QStringLiteral("1"));
    environment.insert(QStringLiteral("GTK_USE_PORTAL"), QStringLiteral("0"));
    // The portal uses only the back ends of this desktop, whatever else is installed.
    environment.insert(QStringLiteral("XDG_DESKTOP_PORTAL_DIR"), m_root + QStringLiteral("/portals"));
    switch (m_compositor) {
    case Compositor::Sway:
        environment.insert(QStringLiteral("SWAYSOCK"), m_swaySocket);
        environment.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("sway"));
        break;
    case Compositor::KWin:
        environment.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("KDE"));
        environment.insert(QStringLiteral("KDE_FULL_SESSION"), QStringLiteral("true"));
        environment.insert(QStringLiteral("KDE_SESSION_VERSION"), QStringLiteral("5"));
        break;
    case Compositor::Gnome:
        environment.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("GNOME"));
        environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), m_systemBusAddress);
        // Settings (the Shell's enabled extensions) in a file of the session's own
        // instead of dconf; the harness's extension among the data folders.
        environment.insert(QStringLiteral("GSETTINGS_BACKEND"), QStringLiteral("keyfile"));
        environment.insert(QStringLiteral("XDG_DATA_DIRS"), m_root + QStringLiteral("/gnome-data:/usr/local/share:/usr/share"));
        break;
    }
    return environment;
}

QList<WaylandOutputState> WaylandSession::outputs() const
{
    switch (m_compositor) {
    case Compositor::Sway: return swayOutputs();
    case Compositor::KWin: return kwinOutputs();
    case Compositor::Gnome: return gnomeOutputs();
    }
    return {};
}

QString WaylandSession::outputAt(const QRect &rect) const
{
    for (const WaylandOutputState &output : outputs())
        if (output.rect.contains(rect.center()))
            return output.name;
    return QString();
}

QList<WaylandWindow> WaylandSession::visibleWindows() const
{
    QList<WaylandWindow> windows;
    switch (m_compositor) {
    case Compositor::Sway: return swayWindows();
    case Compositor::KWin: windows = kwinWindows(); break;
    case Compositor::Gnome: windows = gnomeWindows(); break;
    }
    QList<WaylandWindow> shown;
    const QList<WaylandOutputState> layout = outputs();
    for (WaylandWindow &window : windows) {
        if (m_wallpaperPids.contains(window.pid))
            continue;
        for (const WaylandOutputState &output : layout)
            if (output.rect.contains(window.rect.center()))
                window.output = output.name;
        shown.append(window);
    }
    return shown;
}

// KWin and GNOME Shell show no wallpaper of their own: a window of the harness shows
// each output's picture full screen, and the session counts as started once the
// portal's picture shows them.
bool WaylandSession::startWallpapers(const QList<WaylandOutput> &outputs)
{
    const qint64 started = QDateTime::currentMSecsSinceEpoch();
    const QString helper = qEnvironmentVariable("VORNIK_TEST_WALLPAPER");
    if (helper.isEmpty() || !QFile::exists(helper))
        return fail(QStringLiteral("VORNIK_TEST_WALLPAPER does not name the wallpaper helper"));
    const QList<WaylandOutputState> layout = this->outputs();
    QList<QImage> pictures;
    for (int i = 0; i < outputs.size() && i < layout.size(); ++i) {
        QImage picture = outputs.at(i).wallpaper;
        if (picture.isNull()) {
            picture = QImage(layout.at(i).rect.size(), QImage::Format_RGB32);
            picture.fill(QColor(0x33, 0x66, 0x99));
        }
        pictures << picture.scaled(layout.at(i).rect.size());
        const QString path = m_root + QStringLiteral("/wallpaper-%1.png").arg(i + 1);
        pictures.last().save(path);
        QStringList command{QStringLiteral("env")};
        command << environment().toStringList() << helper << path << QString::number(layout.at(i).rect.x())
                << QString::number(layout.at(i).rect.y());
        const pid_t pid = spawnHere(command, QStringLiteral("wallpaper-%1.log").arg(i + 1));
        m_wallpaperPids << qint64(pid);
    }
    // env replaces itself with the helper: the window's pid is the one spawned.
    const auto shown = [&] {
        const QList<WaylandWindow> windows = m_compositor == Compositor::KWin ? kwinWindows() : gnomeWindows();
        int full = 0;
        for (const WaylandWindow &window : windows)
            full += m_wallpaperPids.contains(window.pid) && window.fullscreen;
        return full == pictures.size();
    };
    if (!waitFor(shown, kStartTimeoutMs))
        return fail(QStringLiteral("the wallpaper windows did not show; see %1/wallpaper-1.log").arg(m_root));
    QImage desktop;
    const auto painted = [&] {
        desktop = portalScreenshot();
        for (int i = 0; i < pictures.size(); ++i) {
            // Away from the middle, where the compositor puts the pointer at start.
            const QRect output = layout.at(i).rect;
            const QRect middle(output.topLeft() + QPoint(output.width() * 3 / 4, output.height() * 3 / 4), QSize(100, 100));
            if (desktop.isNull() || desktop.copy(middle) != pictures.at(i).copy(middle.translated(-layout.at(i).rect.topLeft())))
                return false;
        }
        return true;
    };
    if (!m_pids.isEmpty() && QFile::exists(m_root + QStringLiteral("/xdg-desktop-portal.log")) && !waitFor(painted, kStartTimeoutMs))
    {
        desktop.save(m_root + QStringLiteral("/portal-picture.png"));
        return fail(QStringLiteral("the portal's picture does not show the wallpapers; see %1/portal-picture.png").arg(m_root));
    }
    step(QStringLiteral("wallpapers"), started);
    return true;
}

bool WaylandSession::sendPointer(const QByteArray &command)
{
    if (m_compositor == Compositor::Gnome)
        return gnomePointer(command);
    if (m_pointerFd < 0)
        return false;
    const QByteArray line = command + '\n';
    if (write(m_pointerFd, line.constData(), size_t(line.size())) != line.size())
        return false;
    const QByteArray done = "done " + QByteArray::number(++m_pointerCommands) + '\n';
    return waitFor([&] {
        QFile log(m_pointerLog);
        return log.open(QIODevice::ReadOnly) && log.readAll().contains(done);
    }, 5000);
}

QRect WaylandSession::layoutBox() const
{
    QRect box;
    for (const WaylandOutputState &output : outputs())
        box |= output.rect;
    return box;
}

bool WaylandSession::movePointer(const QPoint &point)
{
    if (m_compositor != Compositor::Sway)
        return sendPointer("move " + QByteArray::number(point.x()) + ' ' + QByteArray::number(point.y()));
    // Absolute motion is a fraction of the layout box: it must be the box of now (an
    // output's scale changes it).
    const QRect box = layoutBox();
    return sendPointer("move " + QByteArray::number(point.x() - box.x()) + ' ' + QByteArray::number(point.y() - box.y())
                       + ' ' + QByteArray::number(box.width()) + ' ' + QByteArray::number(box.height()));
}

bool WaylandSession::pressButton()
{
    return sendPointer("down");
}

bool WaylandSession::releaseButton()
{
    return sendPointer("up");
}

bool WaylandSession::drag(const QPoint &from, const QPoint &to)
{
    if (!movePointer(from) || !pressButton())
        return false;
    constexpr int steps = 4;
    for (int i = 1; i <= steps; ++i) {
        if (!movePointer(from + (to - from) * i / steps))
            return false;
    }
    return releaseButton();
}

bool WaylandSession::keys(const QStringList &chord)
{
    if (m_compositor == Compositor::Sway) {
        // Without a delay wtype's fresh virtual keyboard loses its first key.
        QStringList arguments{QStringLiteral("-s"), QStringLiteral("100")};
        for (const QString &key : chord)
            arguments << (isModifier(key) ? QStringLiteral("-M") : QStringLiteral("-k")) << key;
        for (auto key = chord.crbegin(); key != chord.crend(); ++key)
            if (isModifier(*key))
                arguments << QStringLiteral("-m") << *key;
        return runIn(environment(), QStringLiteral("wtype"), arguments) == 0;
    }
    QList<int> codes;
    for (const QString &key : chord) {
        if (evdevCode(key) < 0)
            return false;
        codes << evdevCode(key);
    }
    const auto send = [this](int code, bool pressed) {
        return m_compositor == Compositor::Gnome
                   ? gnomeKey(code, pressed)
                   : sendPointer("key " + QByteArray::number(code) + (pressed ? " 1" : " 0"));
    };
    for (int code : codes)
        if (!send(code, true))
            return false;
    for (auto code = codes.crbegin(); code != codes.crend(); ++code)
        if (!send(*code, false))
            return false;
    return true;
}

QImage WaylandSession::outputPicture(const QString &output) const
{
    if (m_compositor == Compositor::Sway) {
        QByteArray png;
        if (runIn(environment(), QStringLiteral("grim"), {QStringLiteral("-t"), QStringLiteral("png"), QStringLiteral("-o"), output, QStringLiteral("-")}, &png) != 0)
            return QImage();
        return QImage::fromData(png, "PNG").convertToFormat(QImage::Format_RGB32);
    }
    for (const WaylandOutputState &state : outputs())
        if (state.name == output)
            return portalScreenshot().copy(state.rect);
    return QImage();
}

namespace {
QString clipboardProbe()
{
    return qEnvironmentVariable("VORNIK_SOURCE_DIR") + QStringLiteral("/tests/harness/wayland/clipboard_probe.py");
}
} // namespace

QByteArray WaylandSession::paste(const QString &mimeType) const
{
    QByteArray data;
    if (m_compositor == Compositor::Gnome) {
        // mutter offers wl-paste no data-control protocol: paste as a focused window does.
        const QString out = m_root + QStringLiteral("/pasted");
        QFile::remove(out);
        if (runIn(environment(), QStringLiteral("/usr/bin/python3"), {clipboardProbe(), QStringLiteral("paste"), mimeType, out}, nullptr, 15000) != 0)
            return QByteArray();
        QFile file(out);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    if (runIn(environment(), QStringLiteral("wl-paste"), {QStringLiteral("-n"), QStringLiteral("-t"), mimeType}, &data) != 0)
        return QByteArray();
    return data;
}

bool WaylandSession::clipboardWorks(QString *pasted) const
{
    const QString text = QStringLiteral("clipboard control %1").arg(QDateTime::currentMSecsSinceEpoch());
    QProcess copier;
    copier.setProcessEnvironment(environment());
    if (m_compositor == Compositor::Gnome)
        copier.start(QStringLiteral("/usr/bin/python3"), {clipboardProbe(), QStringLiteral("copy"), text});
    else
        copier.start(QStringLiteral("wl-copy"), {QStringLiteral("--foreground"), text});
    if (!copier.waitForStarted(5000))
        return false;
    // GNOME: a paste's window would take the keyboard before the copier's window had
    // it and copied: paste once it says it has.
    if (m_compositor == Compositor::Gnome
        && !waitFor([&] { return copier.canReadLine() || copier.state() == QProcess::NotRunning; }, 15000))
        return false;
    QString seen;
    const bool works = waitFor([&] { return (seen = QString::fromUtf8(paste(QStringLiteral("text/plain")))) == text; }, 15000);
    if (pasted)
        *pasted = seen;
    copier.kill();
    copier.waitForFinished(3000);
    return works;
}

QImage WaylandSession::portalScreenshot(QString *failure) const
{
    const QString connection = QStringLiteral("wayland-session-portal");
    QImage picture;
    QString why;
    {
        QDBusConnection bus = QDBusConnection::connectToBus(m_busAddress, connection);
        // The Response signal goes to the caller only: listen on the calling connection,
        // before calling.
        const QString token = QStringLiteral("test%1").arg(QDateTime::currentMSecsSinceEpoch());
        QString sender = bus.baseService().mid(1);
        sender.replace(QLatin1Char('.'), QLatin1Char('_'));
        const QString request = kPortalPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
        WaylandPortalAnswer answer;
        bus.connect(kPortal, request, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"),
                    &answer, SLOT(response(uint, QVariantMap)));
        QDBusMessage call = QDBusMessage::createMethodCall(
            kPortal, kPortalPath, QStringLiteral("org.freedesktop.portal.Screenshot"), QStringLiteral("Screenshot"));
        call << QString() << QVariantMap{{QStringLiteral("handle_token"), token}, {QStringLiteral("interactive"), false}};
        const QDBusMessage reply = bus.call(call, QDBus::Block, 20000);
        if (reply.type() == QDBusMessage::ErrorMessage)
            why = QStringLiteral("the portal refused: ") + reply.errorMessage();
        else if (!waitFor([&] { return answer.answered; }, 20000))
            why = QStringLiteral("the portal did not answer");
        else if (answer.code != 0)
            why = QStringLiteral("the portal answered %1").arg(answer.code);
        else {
            const QString path = QUrl(answer.results.value(QStringLiteral("uri")).toString()).toLocalFile();
            picture = QImage(path).convertToFormat(QImage::Format_RGB32);
            if (picture.isNull())
                why = QStringLiteral("cannot read the portal's picture ") + path;
            // What the test reads must not count as what Vornik left behind.
            QFile::remove(path);
        }
    }
    QDBusConnection::disconnectFromBus(connection);
    if (failure)
        *failure = why;
    return picture;
}

QStringList WaylandSession::portalLeftovers() const
{
    switch (m_compositor) {
    case Compositor::Sway:
        return QFile::exists(QStringLiteral("/tmp/out.png")) ? QStringList{QStringLiteral("/tmp/out.png")} : QStringList();
    case Compositor::KWin: {
        const QDir pictures(QDir::homePath() + QStringLiteral("/Pictures"));
        QStringList found = pictures.entryList({QStringLiteral("Screenshot_*.png")}, QDir::Files);
        for (QString &name : found)
            name = pictures.filePath(name);
        return found;
    }
    case Compositor::Gnome: {
        const QDir home(QDir::homePath());
        QStringList found = home.entryList({QStringLiteral("Screenshot*.png")}, QDir::Files);
        for (QString &name : found)
            name = home.filePath(name);
        return found;
    }
    }
    return {};
}

} // namespace vtest

#include "WaylandSession.moc"
