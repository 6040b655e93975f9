#include "Version.h"
#include "app/AppServices.h"
#include "app/TrayApp.h"
#include "platform/Preferences.h"
#include "app/ServiceSetting.h"
#include "platform/SingleInstance.h"
#include "service/ShareClient.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTimer>
#include <cstdio>
#include <cstring>

namespace {
struct CommandLine {
    bool capture = false;
    bool version = false;
    bool help = false;
    bool userId = false;
    const char *serviceUrl = nullptr;  // --set-service URL
    const char *caFile = nullptr;      // --ca-file FILE
    const char *unknown = nullptr;
    const char *missingValue = nullptr;
};

CommandLine parseCommandLine(int argc, char **argv)
{
    CommandLine line;
    for (int i = 1; i < argc; ++i) {
        const char *argument = argv[i];
        if (std::strcmp(argument, "--capture") == 0)
            line.capture = true;
        else if (std::strcmp(argument, "--version") == 0 || std::strcmp(argument, "-v") == 0)
            line.version = true;
        else if (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0)
            line.help = true;
        else if (std::strcmp(argument, "--user-id") == 0)
            line.userId = true;
        else if (std::strcmp(argument, "--set-service") == 0 || std::strcmp(argument, "--ca-file") == 0) {
            const char *&value = std::strcmp(argument, "--set-service") == 0 ? line.serviceUrl : line.caFile;
            if (i + 1 < argc)
                value = argv[++i];
            else
                line.missingValue = argument;
        }
        else if (argument[0] == '-' && !line.unknown)
            line.unknown = argument; // Qt's own options (-platform, -display ...) pass through
    }
    return line;
}

void printHelp(FILE *out)
{
    std::fprintf(out,
                 "Usage: vornik [--capture | --user-id | --version | --help]\n"
                 "       vornik --set-service URL [--ca-file FILE]\n"
                 "Vornik lives in the system tray: take, mark up and share screenshots.\n"
                 "\n"
                 "  --capture          start a capture in the running Vornik, or start Vornik capturing\n"
                 "  --set-service URL  upload to the sharing service at URL from now on (kept in the\n"
                 "                     settings as serviceurl) and exit\n"
                 "  --ca-file FILE     with --set-service: also trust the PEM certificate in FILE for it\n"
                 "                     (kept as servicecafile; left out, an earlier one is cleared)\n"
                 "  --user-id          print the id this Vornik uploads as (for a server that takes\n"
                 "                     only registered users) and exit\n"
                 "  --version          print the version and exit\n"
                 "  --help             print this help and exit\n"
                 "\n"
                 "Hot keys: Ctrl+Shift+9 and Ctrl+F9. Settings: $XDG_CONFIG_HOME/Vornik/Vornik.conf\n");
}

bool isQtOption(const char *argument)
{
    static const char *const options[] = {"-platform", "-display", "-style", "-qwindowgeometry", "-reverse",
                                          "-session", "-name", "-title", "-platformtheme", "-plugin"};
    for (const char *option : options) {
        if (std::strcmp(argument, option) == 0)
            return true;
    }
    return false;
}

// --set-service: writes the service into the settings and tells a running Vornik to
// read them again.
int setService(int argc, char **argv, const CommandLine &line)
{
    QCoreApplication core(argc, argv);
    QString problem;
    const auto choice = ServiceSetting::check(QString::fromLocal8Bit(line.serviceUrl),
                                              line.caFile ? QString::fromLocal8Bit(line.caFile) : QString(), &problem);
    if (!choice) {
        std::fprintf(stderr, "vornik: %s\n", qPrintable(problem));
        return 2;
    }
    if (!ServiceSetting::store(*choice)) {
        std::fprintf(stderr, "vornik: cannot write %s\n", qPrintable(Preferences::standard().fileName()));
        return 1;
    }
    std::printf("Vornik uploads to %s%s%s\n", qPrintable(choice->url),
                choice->caFile.isEmpty() ? "" : ", trusting ", qPrintable(choice->caFile));
    SingleInstance instance;
    if (!instance.tryLock())
        instance.sendToPrimary(QByteArrayLiteral("settings"));
    return 0;
}

// A later start hands its request to the running Vornik and ends.
int passToRunningInstance(int argc, char **argv, SingleInstance &instance, bool capture)
{
    QCoreApplication core(argc, argv);
    if (!instance.sendToPrimary(capture ? QByteArrayLiteral("capture") : QByteArrayLiteral("activate"))) {
        std::fprintf(stderr, "vornik: another Vornik holds %s but does not answer\n", qPrintable(instance.lockPath()));
        return 1;
    }
    if (!capture)
        std::fprintf(stderr, "Vornik is already running; its window is open.\n");
    return 0;
}
} // namespace

int main(int argc, char **argv)
{
    const CommandLine line = parseCommandLine(argc, argv);
    if (line.help) {
        printHelp(stdout);
        return 0;
    }
    if (line.version) {
        std::printf("vornik %s\n", VORNIK_VERSION);
        return 0;
    }
    if (line.missingValue || (line.caFile && !line.serviceUrl)) {
        std::fprintf(stderr, "vornik: %s\n", line.missingValue ? "--set-service and --ca-file need a value"
                                                               : "--ca-file goes with --set-service");
        printHelp(stderr);
        return 2;
    }
    if (line.unknown && !isQtOption(line.unknown)) {
        std::fprintf(stderr, "vornik: unknown option %s\n", line.unknown);
        printHelp(stderr);
        return 2;
    }

    if (line.serviceUrl)
        return setService(argc, argv, line);
    if (line.userId) {
        QCoreApplication core(argc, argv);
        std::printf("%s\n", qPrintable(ShareClient::getUserID()));
        return 0;
    }

    SingleInstance instance;
    if (!instance.tryLock())
        return passToRunningInstance(argc, argv, instance, line.capture);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vornik"));
    QApplication::setApplicationVersion(QStringLiteral(VORNIK_VERSION));
    QApplication::setQuitOnLastWindowClosed(false);
    if (!instance.listen())
        std::fprintf(stderr, "vornik: cannot listen on %s; later starts cannot reach this one\n",
                     qPrintable(instance.socketPath()));

    // The one place the desktop's back ends are chosen; everything below is handed them.
    TrayApp delegate(AppServices::standard());
    delegate.singleInstance = &instance;
    QObject::connect(&instance, &SingleInstance::messageReceived, &delegate, [&delegate](const QByteArray &message) {
        if (message == "capture")
            delegate.requestCapture();
        else if (message == "activate")
            delegate.showLauncherWindow(); // `vornik` again: the way in without a tray
        else if (message == "settings")
            Preferences::standard().synchronize(); // reads what `vornik --set-service` wrote
    });
    QTimer::singleShot(0, &delegate, [&delegate, capture = line.capture] {
        delegate.start(capture);
        if (capture)
            delegate.requestCapture();
    });
    return app.exec();
}
