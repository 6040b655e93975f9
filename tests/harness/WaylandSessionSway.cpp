// The sway part of WaylandSession: sway headless, its outputs, windows and IPC.
#include "tests/harness/WaylandSession.h"

#include "tests/harness/TestEnvironment.h"
#include "tests/harness/WaylandSessionSupport.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vtest {
using namespace wayland;

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

bool WaylandSession::addSwayOutputs(const QList<WaylandOutput> &outputs)
{
    const qint64 started = QDateTime::currentMSecsSinceEpoch();
    for (int i = 1; i < outputs.size(); ++i) {
        if (!swaymsg({QStringLiteral("create_output")}))
            return fail(QStringLiteral("swaymsg create_output failed"));
    }
    if (!waitFor([&] { return swayOutputs().size() == outputs.size(); }, kStartTimeoutMs))
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

bool WaylandSession::swaymsg(const QStringList &arguments, QString *output) const
{
    if (m_compositor != Compositor::Sway)
        return false;
    QByteArray text;
    const int status = runIn(environment(), QStringLiteral("swaymsg"),
                             QStringList{QStringLiteral("-s"), m_swaySocket} + arguments, &text);
    if (output)
        *output = QString::fromUtf8(text);
    return status == 0;
}

namespace {
QRect rectOf(const QJsonObject &node)
{
    const QJsonObject r = node.value(QStringLiteral("rect")).toObject();
    return QRect(r.value(QStringLiteral("x")).toInt(), r.value(QStringLiteral("y")).toInt(),
                 r.value(QStringLiteral("width")).toInt(), r.value(QStringLiteral("height")).toInt());
}

void collectWindows(const QJsonObject &node, const QString &output, QList<WaylandWindow> &windows)
{
    const QString here = node.value(QStringLiteral("type")).toString() == QLatin1String("output")
                             ? node.value(QStringLiteral("name")).toString()
                             : output;
    if (node.contains(QStringLiteral("pid")) && node.value(QStringLiteral("visible")).toBool()) {
        WaylandWindow window;
        window.pid = node.value(QStringLiteral("pid")).toInteger();
        window.output = here;
        window.rect = rectOf(node);
        window.fullscreen = node.value(QStringLiteral("fullscreen_mode")).toInt() == 1;
        window.title = node.value(QStringLiteral("name")).toString();
        window.id = QString::number(node.value(QStringLiteral("id")).toInteger());
        windows.append(window);
    }
    for (const QString &children : {QStringLiteral("nodes"), QStringLiteral("floating_nodes")})
        for (const QJsonValue &child : node.value(children).toArray())
            collectWindows(child.toObject(), here, windows);
}
} // namespace

QList<WaylandOutputState> WaylandSession::swayOutputs() const
{
    QString text;
    swaymsg({QStringLiteral("-r"), QStringLiteral("-t"), QStringLiteral("get_outputs")}, &text);
    QList<WaylandOutputState> list;
    for (const QJsonValue &output : QJsonDocument::fromJson(text.toUtf8()).array())
        list.append({output.toObject().value(QStringLiteral("name")).toString(), rectOf(output.toObject())});
    std::sort(list.begin(), list.end(), [](const auto &a, const auto &b) { return a.rect.x() < b.rect.x(); });
    return list;
}

QList<WaylandWindow> WaylandSession::swayWindows() const
{
    QString text;
    swaymsg({QStringLiteral("-r"), QStringLiteral("-t"), QStringLiteral("get_tree")}, &text);
    QList<WaylandWindow> windows;
    collectWindows(QJsonDocument::fromJson(text.toUtf8()).object(), QString(), windows);
    return windows;
}

} // namespace vtest
