#include "tests/harness/TestEnvironment.h"

#include <QProcess>

#include <QByteArray>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

#include <arpa/inet.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace vtest {
namespace {
TestEnvironment *g_current = nullptr;

[[noreturn]] void execCommand(const QStringList &command)
{
    std::vector<QByteArray> storage;
    for (const QString &part : command)
        storage.push_back(part.toLocal8Bit());
    std::vector<char *> argv;
    for (auto &part : storage)
        argv.push_back(part.data());
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
}

// Starts `command` with the write end of a pipe as fd 3 and reads one line from it.
pid_t spawnReadingLine(const QStringList &command, QString *line, int timeoutMs)
{
    int fds[2];
    if (pipe(fds) != 0)
        return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        setpgid(0, 0);
        close(fds[0]);
        if (fds[1] != 3) {
            dup2(fds[1], 3);
            close(fds[1]);
        }
        const int devnull = open("/dev/null", O_RDWR);
        dup2(devnull, 0);
        dup2(devnull, 1);
        dup2(devnull, 2);
        execCommand(command);
    }
    close(fds[1]);
    QByteArray text;
    char buffer[256];
    pollfd waiter{fds[0], POLLIN, 0};
    while (!text.contains('\n') && poll(&waiter, 1, timeoutMs) > 0) {
        const ssize_t got = read(fds[0], buffer, sizeof buffer);
        if (got <= 0)
            break;
        text.append(buffer, got);
    }
    close(fds[0]);
    *line = QString::fromLocal8Bit(text).trimmed();
    return pid;
}
} // namespace

pid_t spawn(const QStringList &command, const QString &logFile)
{
    const QByteArray log = logFile.isEmpty() ? QByteArray("/dev/null") : logFile.toLocal8Bit();
    const pid_t pid = fork();
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        setpgid(0, 0);
        const int out = open(log.constData(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        const int devnull = open("/dev/null", O_RDONLY);
        dup2(devnull, 0);
        dup2(out, 1);
        dup2(out, 2);
        execCommand(command);
    }
    return pid;
}

int run(const QStringList &command, QString *output)
{
    int fds[2];
    if (pipe(fds) != 0)
        return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        dup2(fds[1], 1);
        dup2(fds[1], 2);
        execCommand(command);
    }
    close(fds[1]);
    QByteArray text;
    char buffer[4096];
    ssize_t got;
    while ((got = read(fds[0], buffer, sizeof buffer)) > 0)
        text.append(buffer, got);
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (output)
        *output = QString::fromLocal8Bit(text);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int runKeepingOutput(const QStringList &command, QByteArray *out, QByteArray *err, int timeoutMs)
{
    QProcess process;
    process.start(command.first(), command.mid(1));
    if (!process.waitForFinished(timeoutMs) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    *out = process.readAllStandardOutput();
    *err = process.readAllStandardError();
    return process.exitCode();
}

void stopUnrelated(pid_t pid, int timeoutMs)
{
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    for (int waited = 0; waited < timeoutMs && kill(pid, 0) == 0; waited += 20)
        usleep(20 * 1000);
    kill(pid, SIGKILL);
}

bool stop(pid_t pid, int timeoutMs)
{
    if (pid <= 0)
        return false;
    kill(pid, SIGTERM);
    int status = 0;
    for (int waited = 0; waited < timeoutMs; waited += 20) {
        if (waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) && WEXITSTATUS(status) == 0;
        usleep(20 * 1000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return false;
}

bool haveProgram(const QString &program)
{
    return !QStandardPaths::findExecutable(program).isEmpty();
}

int freeLoopbackPort()
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    int port = -1;
    if (bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0
        && getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    close(fd);
    return port;
}

QString busConfiguration(const QString &listen, const QString &serviceFolder)
{
    return QStringLiteral(R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <keep_umask/>
  <listen>%1</listen>
  <auth>EXTERNAL</auth>
  <servicedir>%2</servicedir>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)").arg(listen, serviceFolder);
}

TestEnvironment::TestEnvironment(const EnvironmentOptions &options)
{
    g_current = this;
    makeFolders();
    if (options.dbus)
        startBus();
    if (options.x11)
        startXvfb(options);
    else
        useOffscreen(options.offscreenScreens);
}

TestEnvironment::~TestEnvironment()
{
    for (auto step = m_teardown.rbegin(); step != m_teardown.rend(); ++step)
        (*step)();
    stop(m_xvfbPid);
    stop(m_busPid);
    if (qEnvironmentVariableIsEmpty("VORNIK_KEEP_TEST_DIRS"))
        QDir(m_root).removeRecursively();
    g_current = nullptr;
}

TestEnvironment *TestEnvironment::current()
{
    return g_current;
}

void TestEnvironment::makeFolders()
{
    QByteArray pattern = QDir::tempPath().toLocal8Bit() + "/vornik-test-XXXXXX";
    m_root = QString::fromLocal8Bit(mkdtemp(pattern.data()));
    const struct {
        const char *variable;
        const char *folder;
    } layout[] = {{"XDG_CONFIG_HOME", "config"}, {"XDG_DATA_HOME", "data"}, {"XDG_CACHE_HOME", "cache"},
                  {"XDG_RUNTIME_DIR", "runtime"}, {"TMPDIR", "tmp"},       {"HOME", "home"}};
    for (const auto &entry : layout) {
        const QString path = m_root + QLatin1Char('/') + QLatin1String(entry.folder);
        QDir().mkpath(path);
        qputenv(entry.variable, path.toLocal8Bit());
    }
    QFile::setPermissions(m_root + QStringLiteral("/runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void TestEnvironment::useOffscreen(const QList<OffscreenScreen> &screens)
{
    if (screens.isEmpty()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return;
    }
    QJsonArray list;
    for (int i = 0; i < screens.size(); ++i) {
        const QRect &r = screens.at(i).geometry;
        list.append(QJsonObject{{QStringLiteral("name"), QStringLiteral("OFF-%1").arg(i + 1)},
                                {QStringLiteral("x"), r.x()}, {QStringLiteral("y"), r.y()},
                                {QStringLiteral("width"), r.width()}, {QStringLiteral("height"), r.height()},
                                {QStringLiteral("logicalDpi"), 96}, {QStringLiteral("logicalBaseDpi"), 96},
                                {QStringLiteral("dpr"), screens.at(i).ratio}});
    }
    const QJsonObject config{{QStringLiteral("synchronousWindowSystemEvents"), false},
                             {QStringLiteral("windowFrameMargins"), false},
                             {QStringLiteral("screens"), list}};
    const QString path = m_root + QStringLiteral("/offscreen-screens.json");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(config).toJson()) < 0) {
        std::fprintf(stderr, "test environment: could not write %s\n", qPrintable(path));
        std::abort();
    }
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + path.toLocal8Bit());
}

// A session bus of the test's own: it activates services only from the test's
// folder, never from the system's (dbus-daemon --session would read
// /usr/share/dbus-1/services and start the desktop's real portal or notification
// daemon), and takes no configuration from the machine.
QString TestEnvironment::writeBusConfiguration()
{
    const QString services = serviceFolder();
    QDir().mkpath(services);
    const QString config = busConfiguration(QStringLiteral("unix:dir=") + m_root + QStringLiteral("/runtime"), services);
    const QString path = m_root + QStringLiteral("/session-bus.conf");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(config.toUtf8()) < 0)
        return QString();
    return path;
}

void TestEnvironment::startBus()
{
    const QString config = writeBusConfiguration();
    QString address;
    if (!config.isEmpty())
        m_busPid = spawnReadingLine({QStringLiteral("dbus-daemon"), QStringLiteral("--config-file=") + config,
                                     QStringLiteral("--nofork"), QStringLiteral("--print-address=3")},
                                    &address, 10000);
    if (m_busPid <= 0 || address.isEmpty()) {
        std::fprintf(stderr, "test environment: could not start a session bus\n");
        std::abort();
    }
    m_busAddress = address;
    qputenv("DBUS_SESSION_BUS_ADDRESS", address.toLocal8Bit());
}

void TestEnvironment::startXvfb(const EnvironmentOptions &options)
{
    const QString screen = QStringLiteral("%1x%2x24").arg(options.framebuffer.width()).arg(options.framebuffer.height());
    QString number;
    m_xvfbPid = spawnReadingLine({QStringLiteral("Xvfb"), QStringLiteral("-displayfd"), QStringLiteral("3"),
                                  QStringLiteral("-nolisten"), QStringLiteral("tcp"), QStringLiteral("-noreset"),
                                  QStringLiteral("-screen"), QStringLiteral("0"), screen},
                                 &number, 20000);
    if (m_xvfbPid <= 0 || number.isEmpty()) {
        std::fprintf(stderr, "test environment: could not start Xvfb\n");
        std::abort();
    }
    m_display = QLatin1Char(':') + number;
    qputenv("DISPLAY", m_display.toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "xcb");
    qunsetenv("WAYLAND_DISPLAY");

    // Cut the framebuffer into monitors: the first takes over the output "screen",
    // the rest stand alone, so Qt reports one QScreen per monitor.
    const char names[] = "ABCDEFGH";
    for (int i = 0; i < options.monitors.size() && i < 8; ++i) {
        const QRect &r = options.monitors.at(i);
        // Physical size in millimetres at 96 dpi.
        const QString geometry = QStringLiteral("%1/%2x%3/%4+%5+%6")
                                     .arg(r.width()).arg(r.width() * 254 / 960)
                                     .arg(r.height()).arg(r.height() * 254 / 960)
                                     .arg(r.x()).arg(r.y());
        run({QStringLiteral("xrandr"), QStringLiteral("--setmonitor"), QString(QLatin1Char(names[i])), geometry,
             i == 0 ? QStringLiteral("screen") : QStringLiteral("none")});
    }
}

} // namespace vtest
