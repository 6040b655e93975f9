// The two Debian packages of this build, unpacked into a throw-away root with
// dpkg-deb -x: the installed programs answer, Vornik starts on the test's Xvfb without
// capturing, loads its network module from the installed lib/vornik, and after
// `vornik --set-service` an upload from the overlay reaches the installed server with
// no VORNIK_* variable in the environment.
#include "tests/harness/NotificationRecorder.h"
#include "tests/harness/OverlayDriver.h"
#include "tests/harness/ServerProcess.h"
#include "tests/harness/TestMain.h"

#include <QDir>
#include <QFile>
#include <QUrl>
#include <signal.h>

namespace {
// The one package file called NAME_VERSION_ARCH.deb in the package folder.
QString packageFile(const QString &name)
{
    const QStringList found = QDir(qEnvironmentVariable("VORNIK_PACKAGE_DIR")).entryList({name + "_*.deb"}, QDir::Files);
    return found.size() == 1 ? qEnvironmentVariable("VORNIK_PACKAGE_DIR") + "/" + found.first() : QString();
}

bool isAlive(pid_t pid)
{
    return pid > 0 && kill(pid, 0) == 0;
}

QString mappedFiles(pid_t pid)
{
    QFile maps(QStringLiteral("/proc/%1/maps").arg(pid));
    return maps.open(QIODevice::ReadOnly) ? QString::fromUtf8(maps.readAll()) : QString();
}
} // namespace

class InstalledPackagesTest : public QObject
{
    Q_OBJECT
    QString root;     // where the packages are unpacked
    QString version;  // from the package file name
    NotificationRecorder *recorder = nullptr;
    vtest::PatternWindow *pattern = nullptr;
    vtest::ServerProcess server;
    pid_t vornik = -1;

    QString installed(const QString &path) const { return root + path; }

private slots:
    void initTestCase()
    {
        for (const char *tool : {"dpkg-deb", "xdotool", "xclip"})
            if (!vtest::haveProgram(tool))
                QSKIP("dpkg-deb, xdotool and xclip are needed");
        root = QDir::tempPath() + "/root";
        for (const QString name : {"vornik", "vornik-server"}) {
            const QString deb = packageFile(name);
            QVERIFY2(!deb.isEmpty(), qPrintable("no single " + name + " package in " + qEnvironmentVariable("VORNIK_PACKAGE_DIR")));
            QCOMPARE(vtest::run({"dpkg-deb", "-x", deb, root}), 0);
            if (name == "vornik")
                version = QFileInfo(deb).fileName().section('_', 1, 1);
        }
        // Nothing may lead Vornik to its build tree or its service: only the settings.
        for (const char *variable : {"VORNIK_SERVICE_URL", "VORNIK_CA_FILE", "VORNIK_MODULE_DIR"})
            qunsetenv(variable);
        qputenv("VORNIK_SERVER_BINARY", installed("/usr/bin/vornik-server").toLocal8Bit());
    }

    void programsAnswer()
    {
        QString output;
        QCOMPARE(vtest::run({installed("/usr/bin/vornik"), "--version"}, &output), 0);
        QCOMPARE(output, "vornik " + version + "\n");
        QCOMPARE(vtest::run({installed("/usr/bin/vornik-server"), "--help"}, &output), 0);
        QVERIFY2(output.startsWith("Usage: vornik-server --data DIR"), qPrintable(output));
    }

    void startsWithoutCaptureAndUploadsAfterSetService()
    {
        recorder = new NotificationRecorder(this);
        QVERIFY(recorder->isRegistered());
        pattern = new vtest::PatternWindow(QSize(1920, 1080));
        QVERIFY(pattern->showAndWait());
        QVERIFY(server.start());

        // A plain start: Vornik comes up, listens for later starts and stays.
        const QString log = QDir::tempPath() + "/vornik.log";
        vornik = vtest::spawn({installed("/usr/bin/vornik")}, log);
        const QString socket = qEnvironmentVariable("XDG_RUNTIME_DIR") + "/vornik.socket";
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(socket), 20000);
        QVERIFY(isAlive(vornik));
        QVERIFY(vtest::unmapTheFirstStartWindow());
        // The first start says how to take a screenshot, once.
        QTRY_VERIFY_WITH_TIMEOUT(!recorder->received.isEmpty(), 10000);
        QCOMPARE(recorder->received.takeFirst().summary, QStringLiteral("Vornik is ready"));

        // Pointed at the server while it runs, as a user would after installing.
        QString output;
        QCOMPARE(vtest::run({installed("/usr/bin/vornik"), "--set-service", server.baseUrl(), "--ca-file",
                             server.caFile()}, &output), 0);

        QVERIFY(vtest::startCapture(QRect(0, 0, 1920, 1080), log));
        const QRect area(400, 300, 600, 400);
        vtest::selectAndPress(area, 2);
        QTRY_VERIFY_WITH_TIMEOUT(!recorder->received.isEmpty(), 30000);
        QCOMPARE(recorder->received.first().summary, QStringLiteral("SAVED TO CLIPBOARD"));
        const QString link = QString::fromUtf8(vtest::clipboardBytes("text/plain"));
        QVERIFY2(link.startsWith("https://" + server.publicHost() + "/") && link.endsWith(".png"), qPrintable(link));

        // The module came from the installed place, not from the build tree.
        QVERIFY2(mappedFiles(vornik).contains(installed("/usr/lib/vornik/vornik-transport.so")),
                 qPrintable(mappedFiles(vornik)));

        // The server keeps exactly the selected screen pixels.
        qputenv("VORNIK_CA_FILE", server.caFile().toUtf8());
        const QByteArray uploaded = vtest::fetchUrl(QUrl(server.baseUrl() + "raw/" + QUrl(link).fileName()));
        qunsetenv("VORNIK_CA_FILE");
        const QRect kept = vtest::screenRectOf(QImage::fromData(uploaded, "PNG"));
        QVERIFY(!kept.isNull());
        QVERIFY(kept.intersects(area));
    }

    void cleanupTestCase()
    {
        vtest::stop(vornik);
        server.stop();
        delete pattern;
    }
};

VORNIK_TEST_MAIN(InstalledPackagesTest, (vtest::EnvironmentOptions{.x11 = true, .framebuffer = QSize(1920, 1080), .monitors = {}, .dbus = true}))
#include "installed_packages_test.moc"
