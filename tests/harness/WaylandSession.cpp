#include "tests/harness/WaylandSession.h"

#include "tests/harness/TestEnvironment.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTest>
#include <QUrl>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
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
namespace {
constexpr int kStartTimeoutMs = 20000;
const QString kPortal = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
// The system's D-Bus services the session's bus may activate: the portal's back ends
// and the permission store the front end asks before a screenshot without a dialog.
const char *const kActivatable[] = {"org.freedesktop.impl.portal.desktop.wlr",
                                    "org.freedesktop.impl.portal.desktop.gtk",
                                    "org.freedesktop.impl.portal.PermissionStore"};

bool waitFor(const std::function<bool()> &condition, int timeoutMs)
{
    return QTest::qWaitFor(condition, timeoutMs);
}

bool writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

// Runs `program` with `arguments` in `environment`; standard output in `output`.
int runIn(const QProcessEnvironment &environment, const QString &program, const QStringList &arguments,
          QByteArray *output = nullptr, int timeoutMs = 10000)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForStarted(timeoutMs))
        return -1;
    process.closeWriteChannel();
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    if (output)
        *output = process.readAllStandardOutput();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}
} // namespace

WaylandSession::WaylandSession(const QString &root, const QList<WaylandOutput> &outputs, bool withPortal)
    : m_root(root)
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
    startSway(outputs) && addOutputs(outputs) && startBus() && (!withPortal || startPortal()) && startPointer();
}

WaylandSession::~WaylandSession()
{
    if (m_pointerFd >= 0)
        close(m_pointerFd);
    stopBusClients();
    for (auto pid = m_pids.crbegin(); pid != m_pids.crend(); ++pid)
        stop(*pid);
}

bool WaylandSession::fail(const QString &why)
{
    if (m_failure.isEmpty())
        m_failure = why;
    return false;
}

void WaylandSession::step(const QString &name, qint64 startedMs)
{
    m_startTimes << QStringLiteral("%1 %2 s").arg(name).arg((QDateTime::currentMSecsSinceEpoch() - startedMs) / 1000.0, 0, 'f', 2);
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
    // The root folder was made in the /tmp about to be covered: it is bound in again
    // at the same path, through a handle opened before.
    const QByteArray root = QFile::encodeName(m_root);
    const int rootFolder = open(root.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    const QByteArray handle = "/proc/self/fd/" + QByteArray::number(rootFolder);
    const bool bound = rootFolder >= 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0
                       && mount("tmpfs", "/tmp", "tmpfs", MS_NOSUID | MS_NODEV, "mode=1777") == 0
                       && (!root.startsWith("/tmp/") || (QDir().mkpath(m_root) && mount(handle, root, nullptr, MS_BIND, nullptr) == 0));
    const int error = errno;
    if (rootFolder >= 0)
        close(rootFolder);
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

QString WaylandSession::writeSwayConfiguration(const QList<WaylandOutput> &outputs)
{
    QString config = QStringLiteral("default_border none\ndefault_floating_border none\nfocus_follows_mouse no\n");
    int left = 0;
    for (int i = 0; i < outputs.size(); ++i) {
        const WaylandOutput &output = outputs.at(i);
        QString background = QStringLiteral("#336699 solid_color");
        if (!output.wallpaper.isNull()) {
            const QString picture = m_root + QStringLiteral("/wallpaper-%1.png").arg(i + 1);
            output.wallpaper.save(picture);
            QFile::setPermissions(picture, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther | QFile::ReadGroup);
            background = picture + QStringLiteral(" stretch");
        }
        config += QStringLiteral("output HEADLESS-%1 resolution %2x%3 position %4 0 bg %5\n")
                      .arg(i + 1).arg(output.size.width()).arg(output.size.height()).arg(left).arg(background);
        left += output.size.width();
    }
    const QString path = m_root + QStringLiteral("/sway.conf");
    if (!writeFile(path, config.toUtf8()))
        return QString();
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther | QFile::ReadGroup);
    return path;
}

bool WaylandSession::startSway(const QList<WaylandOutput> &outputs)
{
    const qint64 started = QDateTime::currentMSecsSinceEpoch();
    if (!haveProgram(QStringLiteral("sway")))
        return fail(QStringLiteral("sway is not installed (scripts/install-deps.sh installs it)"));
    const QString config = writeSwayConfiguration(outputs);
    if (config.isEmpty())
        return fail(QStringLiteral("cannot write the sway configuration"));
    QDir().mkpath(m_swayRuntime);
    const QString home = m_root + QStringLiteral("/sway-home");
    QDir().mkpath(home);
    chmod(QFile::encodeName(m_swayRuntime).constData(), 0700);
    QStringList command{QStringLiteral("env"), QStringLiteral("-i"), QStringLiteral("PATH=/usr/sbin:/usr/bin:/sbin:/bin"),
                        QStringLiteral("HOME=") + home, QStringLiteral("XDG_RUNTIME_DIR=") + m_swayRuntime,
                        QStringLiteral("WLR_BACKENDS=headless"), QStringLiteral("WLR_RENDERER=pixman"),
                        QStringLiteral("WLR_LIBINPUT_NO_DEVICES=1"), QStringLiteral("WLR_HEADLESS_OUTPUTS=1")};
    if (geteuid() == 0) {
        // sway will not run as root. Its account must reach the root folder (only pass
        // through it) and own its runtime and home folders.
        const passwd *account = getpwnam("vornik-test");
        if (!account)
            return fail(QStringLiteral("no account vornik-test to run sway as (scripts/install-deps.sh makes it)"));
        for (QString folder = m_root; folder != QLatin1String("/") && !folder.isEmpty();
             folder = QFileInfo(folder).path()) {
            struct stat info{};
            if (stat(QFile::encodeName(folder).constData(), &info) == 0 && !(info.st_mode & S_IXOTH))
                chmod(QFile::encodeName(folder).constData(), (info.st_mode & 07777) | S_IXOTH);
        }
        for (const QString &owned : {m_swayRuntime, home})
            if (chown(QFile::encodeName(owned).constData(), account->pw_uid, account->pw_gid) != 0)
                return fail(QStringLiteral("cannot give %1 to vornik-test").arg(owned));
        // A change of account clears the signal a child gets when its parent dies: set
        // it again, so that sway ends with a test that is killed.
        command << QStringLiteral("setpriv") << QStringLiteral("--reuid=%1").arg(account->pw_uid)
                << QStringLiteral("--regid=%1").arg(account->pw_gid) << QStringLiteral("--clear-groups")
                << QStringLiteral("--pdeathsig=TERM");
    }
    command << QStringLiteral("sway") << QStringLiteral("-c") << config;
    if (spawnHere(command, QStringLiteral("sway.log")) <= 0)
        return fail(QStringLiteral("cannot start sway"));

    const auto socketIn = [this](const QString &pattern) {
        const QStringList found = QDir(m_swayRuntime).entryList({pattern}, QDir::System);
        return found.isEmpty() ? QString() : m_swayRuntime + QLatin1Char('/') + found.first();
    };
    if (!waitFor([&] { return !socketIn(QStringLiteral("wayland-?")).isEmpty()
                              && !socketIn(QStringLiteral("sway-ipc.*.sock")).isEmpty(); }, kStartTimeoutMs))
        return fail(QStringLiteral("sway did not start; see %1/sway.log").arg(m_root));
    // An absolute path: clients keep their own runtime folder.
    m_waylandDisplay = socketIn(QStringLiteral("wayland-?"));
    m_swaySocket = socketIn(QStringLiteral("sway-ipc.*.sock"));
    // The socket file exists a moment before sway answers on it: a command sent in
    // between fails, so wait for an answer before the session counts as started.
    if (!waitFor([&] { return swaymsg({QStringLiteral("-t"), QStringLiteral("get_version")}); }, kStartTimeoutMs))
        return fail(QStringLiteral("sway does not answer on its socket; see %1/sway.log").arg(m_root));
    step(QStringLiteral("sway"), started);
    return true;
}

bool WaylandSession::addOutputs(const QList<WaylandOutput> &outputs)
{
    const qint64 started = QDateTime::currentMSecsSinceEpoch();
    for (int i = 1; i < outputs.size(); ++i) {
        if (!swaymsg({QStringLiteral("create_output")}))
            return fail(QStringLiteral("swaymsg create_output failed"));
    }
    if (!waitFor([&] { return this->outputs().size() == outputs.size(); }, kStartTimeoutMs))
        return fail(QStringLiteral("sway did not make %1 outputs").arg(outputs.size()));
    // The configuration's rules apply to outputs made later too; the first is set again
    // since it came up before the others existed.
    int left = 0;
    for (int i = 0; i < outputs.size(); ++i) {
        swaymsg({QStringLiteral("output"), QStringLiteral("HEADLESS-%1").arg(i + 1), QStringLiteral("resolution"),
                 QStringLiteral("%1x%2").arg(outputs.at(i).size.width()).arg(outputs.at(i).size.height()),
                 QStringLiteral("position"), QString::number(left), QStringLiteral("0")});
        left += outputs.at(i).size.width();
    }
    step(QStringLiteral("outputs"), started);
    return true;
}

QString WaylandSession::writeBusConfiguration()
{
    const QString services = m_root + QStringLiteral("/wayland-bus-services");
    QDir().mkpath(services);
    for (const char *name : kActivatable) {
        const QString file = QLatin1String(name) + QStringLiteral(".service");
        QFile::copy(QStringLiteral("/usr/share/dbus-1/services/") + file, services + QLatin1Char('/') + file);
    }
    const QString config = busConfiguration(QStringLiteral("unix:path=") + m_runtime + QStringLiteral("/wayland-bus"), services);
    const QString path = m_root + QStringLiteral("/wayland-bus.conf");
    return writeFile(path, config.toUtf8()) ? path : QString();
}

bool WaylandSession::startBus()
{
    const qint64 started = QDateTime::currentMSecsSinceEpoch();
    const QString config = writeBusConfiguration();
    if (config.isEmpty())
        return fail(QStringLiteral("cannot write the bus configuration"));
    // What the bus is started with is what the services it activates get.
    m_busAddress = QStringLiteral("unix:path=") + m_runtime + QStringLiteral("/wayland-bus");
    const QProcessEnvironment session = environment();
    for (const QString &name : session.keys())
        qputenv(name.toLocal8Bit(), session.value(name).toLocal8Bit());
    qunsetenv("DISPLAY");
    m_busPid = spawnHere({QStringLiteral("dbus-daemon"), QStringLiteral("--config-file=") + config,
                          QStringLiteral("--nofork")},
                         QStringLiteral("wayland-bus.log"));
    if (!waitFor([&] { return QFile::exists(m_runtime + QStringLiteral("/wayland-bus")); }, kStartTimeoutMs))
        return fail(QStringLiteral("the session bus did not start"));
    step(QStringLiteral("bus"), started);
    return true;
}

bool WaylandSession::startPortal()
{
    qint64 started = QDateTime::currentMSecsSinceEpoch();
    // xdg-desktop-portal-wlr will not start without PipeWire.
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
        if (waitForScreenshotPortal(attempt < attempts ? 3000 : kStartTimeoutMs)) {
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

bool WaylandSession::startPointer()
{
    const qint64 started = QDateTime::currentMSecsSinceEpoch();
    const QString helper = qEnvironmentVariable("VORNIK_TEST_VPTR");
    if (helper.isEmpty() || !QFile::exists(helper))
        return fail(QStringLiteral("VORNIK_TEST_VPTR does not name the virtual pointer helper"));
    m_pointerFifo = m_root + QStringLiteral("/vptr.fifo");
    m_pointerLog = m_root + QStringLiteral("/vptr.log");
    if (mkfifo(QFile::encodeName(m_pointerFifo).constData(), 0600) != 0)
        return fail(QStringLiteral("cannot make %1").arg(m_pointerFifo));
    spawnHere({helper, m_pointerFifo, QString::number(m_layout.width()), QString::number(m_layout.height())},
              QStringLiteral("vptr.log"));
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
    environment.insert(QStringLiteral("SWAYSOCK"), m_swaySocket);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime);
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_busAddress);
    environment.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("sway"));
    environment.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
    environment.insert(QStringLiteral("NO_AT_BRIDGE"), QStringLiteral("1"));
    environment.insert(QStringLiteral("GTK_USE_PORTAL"), QStringLiteral("0"));
    return environment;
}

bool WaylandSession::swaymsg(const QStringList &arguments, QString *output) const
{
    QByteArray text;
    const int status = runIn(environment(), QStringLiteral("swaymsg"),
                             QStringList{QStringLiteral("-s"), m_swaySocket} + arguments, &text);
    if (output)
        *output = QString::fromUtf8(text);
    return status == 0;
}

QJsonObject WaylandSession::tree() const
{
    QString text;
    swaymsg({QStringLiteral("-r"), QStringLiteral("-t"), QStringLiteral("get_tree")}, &text);
    return QJsonDocument::fromJson(text.toUtf8()).object();
}

QList<QJsonObject> WaylandSession::outputs() const
{
    QString text;
    swaymsg({QStringLiteral("-r"), QStringLiteral("-t"), QStringLiteral("get_outputs")}, &text);
    QList<QJsonObject> list;
    for (const QJsonValue &output : QJsonDocument::fromJson(text.toUtf8()).array())
        list.append(output.toObject());
    return list;
}

namespace {
void collectWindows(const QJsonObject &node, const QString &output, QList<QJsonObject> &windows)
{
    const QString here = node.value(QStringLiteral("type")).toString() == QLatin1String("output")
                             ? node.value(QStringLiteral("name")).toString()
                             : output;
    if (node.contains(QStringLiteral("pid")) && node.value(QStringLiteral("visible")).toBool()) {
        QJsonObject window = node;
        window.insert(QStringLiteral("output"), here);
        windows.append(window);
    }
    for (const QString &children : {QStringLiteral("nodes"), QStringLiteral("floating_nodes")})
        for (const QJsonValue &child : node.value(children).toArray())
            collectWindows(child.toObject(), here, windows);
}
} // namespace

QList<QJsonObject> WaylandSession::visibleWindows() const
{
    QList<QJsonObject> windows;
    collectWindows(tree(), QString(), windows);
    return windows;
}

bool WaylandSession::sendPointer(const QByteArray &command)
{
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
    for (const QJsonObject &output : outputs()) {
        const QJsonObject r = output.value(QStringLiteral("rect")).toObject();
        box |= QRect(r.value(QStringLiteral("x")).toInt(), r.value(QStringLiteral("y")).toInt(),
                     r.value(QStringLiteral("width")).toInt(), r.value(QStringLiteral("height")).toInt());
    }
    return box;
}

bool WaylandSession::movePointer(const QPoint &point)
{
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

bool WaylandSession::type(const QStringList &arguments) const
{
    // Without a delay wtype's fresh virtual keyboard loses its first key.
    return runIn(environment(), QStringLiteral("wtype"), QStringList{QStringLiteral("-s"), QStringLiteral("100")} + arguments) == 0;
}

QImage WaylandSession::grim(const QString &output) const
{
    QStringList arguments{QStringLiteral("-t"), QStringLiteral("png")};
    if (!output.isEmpty())
        arguments << QStringLiteral("-o") << output;
    arguments << QStringLiteral("-");
    QByteArray png;
    if (runIn(environment(), QStringLiteral("grim"), arguments, &png) != 0)
        return QImage();
    return QImage::fromData(png, "PNG").convertToFormat(QImage::Format_RGB32);
}

QByteArray WaylandSession::paste(const QString &mimeType) const
{
    QByteArray data;
    if (runIn(environment(), QStringLiteral("wl-paste"), {QStringLiteral("-n"), QStringLiteral("-t"), mimeType}, &data) != 0)
        return QByteArray();
    return data;
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
        }
    }
    QDBusConnection::disconnectFromBus(connection);
    if (failure)
        *failure = why;
    return picture;
}

} // namespace vtest

#include "WaylandSession.moc"
