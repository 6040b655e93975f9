#include "Version.h"
#include "platform/SingleInstance.h"
#include "tests/harness/TestMain.h"

#include <QDir>
#include <QDateTime>
#include <QFile>
#include <QRegularExpression>
#include <QLockFile>
#include <QSettings>
#include <QFileInfo>
#include <QSignalSpy>
#include <QSysInfo>
#include <QSystemTrayIcon>

#include <QElapsedTimer>

#include <atomic>
#include <csignal>
#include <thread>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
QString readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// A socket file nobody listens on, as a crashed instance leaves it.
bool leaveDeadSocket(const QString &path)
{
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray bytes = path.toLocal8Bit();
    qstrncpy(address.sun_path, bytes.constData(), sizeof address.sun_path);
    const bool bound = bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    close(fd);
    return bound && QFile::exists(path);
}

// The pid of a process that has ended.
qint64 deadPid()
{
    const pid_t pid = fork();
    if (pid == 0)
        _exit(0);
    waitpid(pid, nullptr, 0);
    return pid;
}
} // namespace

// One Vornik per session: the lock and socket in-process, then the real program
// under Xvfb with a tray host.
class SingleInstanceTest : public QObject
{
    Q_OBJECT

    QString folder(const char *name) const
    {
        return qEnvironmentVariable("XDG_RUNTIME_DIR") + QLatin1Char('/') + QLatin1String(name);
    }

    // CTest names the program; run by hand, it sits one folder up from the tests.
    QString m_binary = qEnvironmentVariableIsEmpty("VORNIK_BINARY")
                           ? QCoreApplication::applicationDirPath() + QStringLiteral("/../vornik")
                           : qEnvironmentVariable("VORNIK_BINARY");
    QString m_settings = qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Vornik/Vornik.conf");

    pid_t startVornik(const QString &log, const QStringList &arguments = {})
    {
        return vtest::spawn(QStringList{QStringLiteral("env"), QStringLiteral("VORNIK_STARTUP_TRACE=1"), m_binary}
                                + arguments,
                            log);
    }

private slots:
    void laterStartReachesTheFirst()
    {
        SingleInstance first(folder("pair"));
        QVERIFY(first.becomePrimary());
        QSignalSpy messages(&first, &SingleInstance::messageReceived);

        SingleInstance second(folder("pair"));
        QVERIFY(!second.tryLock());
        QVERIFY(second.sendToPrimary("capture"));
        QVERIFY(messages.wait(10000));
        QCOMPARE(messages.first().first().toByteArray(), QByteArray("capture"));

        // A flood without a line end is cut off, not buffered without limit (a line may
        // hold up to 8 KiB: a request names a file).
        QVERIFY(second.sendToPrimary(QByteArray(16384, 'x')));
        QVERIFY(second.sendToPrimary("activate"));
        QTRY_COMPARE_WITH_TIMEOUT(messages.size(), 2, 10000);
        QCOMPARE(messages.last().first().toByteArray(), QByteArray("activate"));

        // Released, the next one takes over.
        first.release();
        QVERIFY(second.becomePrimary());
    }

    // A second start that comes while the first holds the lock but is not listening
    // yet keeps trying until its deadline, so the request is delivered once it listens.
    void laterStartWaitsForTheFirstToListen()
    {
        SingleInstance first(folder("race"));
        QVERIFY(first.tryLock());
        QSignalSpy messages(&first, &SingleInstance::messageReceived);
        SingleInstance second(folder("race"));
        QVERIFY(!second.tryLock());

        // Nobody listening: it gives up only when its time is up.
        QElapsedTimer waited;
        waited.start();
        QVERIFY(!second.sendToPrimary("capture", 300));
        QVERIFY(waited.elapsed() >= 300);

        std::atomic<int> delivered{-1};
        std::thread sender([&] { delivered = second.sendToPrimary("capture", 20000) ? 1 : 0; });
        QVERIFY(first.listen());
        const bool received = messages.wait(20000);
        sender.join();
        QVERIFY(received);
        QCOMPARE(delivered.load(), 1);
        QCOMPARE(messages.first().first().toByteArray(), QByteArray("capture"));
    }

    void socketIsPrivateAndGoesWithTheInstance()
    {
        SingleInstance first(folder("private"));
        QVERIFY(first.becomePrimary());
        const QFileInfo socket(first.socketPath());
        QVERIFY(socket.exists());
        QCOMPARE(socket.permissions() & (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
                 QFile::Permissions());

        // Several requests in one conversation arrive one by one, blank lines dropped.
        QSignalSpy messages(&first, &SingleInstance::messageReceived);
        SingleInstance second(folder("private"));
        QVERIFY(second.sendToPrimary("capture\n\nactivate"));
        QTRY_COMPARE_WITH_TIMEOUT(messages.size(), 2, 10000);
        QCOMPARE(messages.at(0).first().toByteArray(), QByteArray("capture"));
        QCOMPARE(messages.at(1).first().toByteArray(), QByteArray("activate"));

        first.release();
        QVERIFY(!first.isPrimary());
        QVERIFY(!QFileInfo::exists(first.socketPath()));
        QVERIFY(!second.sendToPrimary("capture", 300));
    }

    void deadInstanceDoesNotBlock()
    {
        SingleInstance probe(folder("stale"));
        QDir().mkpath(folder("stale"));
        QVERIFY(leaveDeadSocket(probe.socketPath()));
        QFile lock(probe.lockPath());
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write(QByteArray::number(deadPid()) + "\nvornik\n" + QSysInfo::machineHostName().toUtf8() + '\n');
        lock.close();

        // Nobody answers on the dead socket.
        QVERIFY(!probe.sendToPrimary("capture", 300));

        SingleInstance next(folder("stale"));
        QVERIFY(next.becomePrimary());
        QSignalSpy messages(&next, &SingleInstance::messageReceived);
        SingleInstance later(folder("stale"));
        QVERIFY(!later.tryLock());
        QVERIFY(later.sendToPrimary("capture"));
        QVERIFY(messages.wait(10000));
    }

    void commandLine()
    {
        QVERIFY(!m_binary.isEmpty());
        QString output;
        QCOMPARE(vtest::run({m_binary, QStringLiteral("--version")}, &output), 0);
        QCOMPARE(output.trimmed(), QStringLiteral("vornik " VORNIK_VERSION));
        QCOMPARE(vtest::run({m_binary, QStringLiteral("--help")}, &output), 0);
        QVERIFY(output.contains(QStringLiteral("--capture")));
        QCOMPARE(vtest::run({m_binary, QStringLiteral("--frobnicate")}, &output), 2);

        // The help comes in the first of the user's languages Vornik has; English, the
        // language of its texts, counts as one of them.
        const QString english = output;
        const auto helpIn = [&](const char *languages) {
            qputenv("LANGUAGE", languages);
            qputenv("LC_ALL", "de_DE.UTF-8");
            vtest::run({m_binary, QStringLiteral("--frobnicate")}, &output);
            qunsetenv("LANGUAGE");
            qunsetenv("LC_ALL");
            return output;
        };
        QVERIFY(helpIn("de") != english);
        QCOMPARE(helpIn("de_AT:uk"), helpIn("de"));
        QCOMPARE(helpIn("en_GB:de"), english);
        QCOMPARE(helpIn("fr:en:de"), english);
    }

    void withoutTrayHostItSaysSoOnce()
    {
        QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
        const QString log = vtest::TestEnvironment::current()->root() + QStringLiteral("/notray.log");
        const pid_t vornik = startVornik(log);
        QTRY_VERIFY_WITH_TIMEOUT(readAll(log).contains(QStringLiteral("tray ready")), 20000);
        QCOMPARE(readAll(log).count(QStringLiteral("no system tray")), 1);
        vtest::stop(vornik);
    }

    void captureWithNoneRunningStartsOneThatCaptures()
    {
        // Its own settings folder, so the later tests start from a fresh account.
        const QString config = vtest::TestEnvironment::current()->root() + QStringLiteral("/config-capture");
        const QString log = vtest::TestEnvironment::current()->root() + QStringLiteral("/capture.log");
        const pid_t vornik = vtest::spawn({QStringLiteral("env"), QStringLiteral("XDG_CONFIG_HOME=") + config, m_binary,
                                           QStringLiteral("--capture")},
                                          log);
        QTRY_VERIFY_WITH_TIMEOUT(readAll(config + QStringLiteral("/Vornik/Vornik.conf"))
                                     .contains(QStringLiteral("triedonce" VORNIK_VERSION "=1")),
                                 20000);
        vtest::stop(vornik);
    }

    void oneTrayIconCaptureForwardedAndCrashRecovery()
    {
        const QString root = vtest::TestEnvironment::current()->root();
        const pid_t trayer = vtest::spawn({QStringLiteral("trayer"), QStringLiteral("--expand"), QStringLiteral("true")},
                                          root + QStringLiteral("/trayer.log"));
        QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), 20000);

        const QString log = root + QStringLiteral("/first.log");
        const pid_t first = startVornik(log);
        QTRY_VERIFY_WITH_TIMEOUT(readAll(log).contains(QStringLiteral("tray ready")), 20000);
        QVERIFY(!readAll(log).contains(QStringLiteral("no system tray")));
        // The start-up benchmark reads the mark's time, in seconds since the epoch.
        const QRegularExpressionMatch mark = QRegularExpression(QStringLiteral(R"(tray ready at (\d+)\.(\d{3})\n)")).match(readAll(log));
        QVERIFY2(mark.hasMatch(), qPrintable(readAll(log)));
        QVERIFY(std::abs(mark.captured(1).toLongLong() - QDateTime::currentSecsSinceEpoch()) < 60);
        // Sitting in the tray needs neither the network stack nor the SVG renderer:
        // both are loaded on first use.
        const QString mapped = readAll(QStringLiteral("/proc/%1/maps").arg(first));
        QVERIFY(mapped.contains(QStringLiteral("libQt6Widgets")));
        for (const char *module : {"libQt6Network", "vornik-transport", "libQt6Svg", "libssl"})
            QVERIFY2(!mapped.contains(QLatin1String(module)), module);

        // A second plain start leaves the first alone and ends.
        QString output;
        QCOMPARE(vtest::run({m_binary}, &output), 0);
        QVERIFY2(output.contains(QStringLiteral("already running")), qPrintable(output));
        QCOMPARE(readAll(log).count(QStringLiteral("tray ready")), 1);

        // --capture reaches the running instance: its first capture request of this
        // version leaves its mark in the settings.
        QVERIFY(!readAll(m_settings).contains(QStringLiteral("triedonce")));
        QCOMPARE(vtest::run({m_binary, QStringLiteral("--capture")}, &output), 0);
        QTRY_VERIFY_WITH_TIMEOUT(readAll(m_settings).contains(QStringLiteral("triedonce" VORNIK_VERSION "=1")),
                                 20000);

        // A crash leaves lock and socket behind; the next start takes over.
        kill(first, SIGKILL);
        waitpid(first, nullptr, 0);
        QVERIFY(QFile::exists(qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/vornik.lock")));
        const QString nextLog = root + QStringLiteral("/next.log");
        const pid_t next = startVornik(nextLog);
        QTRY_VERIFY_WITH_TIMEOUT(readAll(nextLog).contains(QStringLiteral("tray ready")), 20000);
        QCOMPARE(vtest::run({m_binary}, &output), 0);
        QVERIFY(output.contains(QStringLiteral("already running")));

        vtest::stop(next);
        vtest::stop(trayer);
    }
};

VORNIK_TEST_MAIN(SingleInstanceTest, (vtest::EnvironmentOptions{.x11 = true, .framebuffer = QSize(1024, 768), .monitors = {}}))
#include "single_instance_test.moc"
