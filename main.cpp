#include "Version.h"
#include "app/AppServices.h"
#include "app/CaptureRequest.h"
#include "app/TrayApp.h"
#include "app/Translations.h"
#include "platform/Preferences.h"
#include "app/ServiceSetting.h"
#include "platform/SingleInstance.h"
#include "service/ShareClient.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QPointer>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <optional>

namespace {
struct CommandLine {
    bool capture = false;
    bool preferences = false;
    bool version = false;
    bool help = false;
    bool userId = false;
    const char *serviceUrl = nullptr;  // --set-service URL
    const char *caFile = nullptr;      // --ca-file FILE
    const char *unknown = nullptr;
    const char *missingValue = nullptr;
    // The capture for scripts: at most one mode and one output each.
    QList<CaptureRequest::Mode> modes;
    QList<CaptureRequest::Output> outputs;
    const char *region = nullptr;      // --region X,Y,W,H
    const char *savePath = nullptr;    // --save PATH
    const char *outputTarget = nullptr; // --output -
    const char *delay = nullptr;       // --delay SECONDS
};

// Takes the value after argv[i] into `value`; false (and the option named in
// `line.missingValue`) when there is none.
bool takeValue(int argc, char **argv, int &i, const char *&value, CommandLine &line)
{
    if (i + 1 < argc) {
        value = argv[++i];
        return true;
    }
    line.missingValue = argv[i];
    return false;
}

// The options of `vornik --capture` for scripts; false for any other argument.
bool parseCaptureOption(int argc, char **argv, int &i, CommandLine &line)
{
    const char *argument = argv[i];
    const auto is = [argument](const char *name) { return std::strcmp(argument, name) == 0; };
    if (is("--full"))
        line.modes << CaptureRequest::Mode::Full;
    else if (is("--window"))
        line.modes << CaptureRequest::Mode::Window;
    else if (is("--region")) {
        line.modes << CaptureRequest::Mode::Region;
        takeValue(argc, argv, i, line.region, line);
    } else if (is("--copy"))
        line.outputs << CaptureRequest::Output::Copy;
    else if (is("--upload"))
        line.outputs << CaptureRequest::Output::Upload;
    else if (is("--save")) {
        line.outputs << CaptureRequest::Output::Save;
        if (i + 1 < argc && argv[i + 1][0] != '-') // the path is optional
            line.savePath = argv[++i];
    } else if (is("--output")) {
        line.outputs << CaptureRequest::Output::Stdout;
        takeValue(argc, argv, i, line.outputTarget, line);
    } else if (is("--delay"))
        takeValue(argc, argv, i, line.delay, line);
    else
        return false;
    return true;
}

CommandLine parseCommandLine(int argc, char **argv)
{
    CommandLine line;
    for (int i = 1; i < argc; ++i) {
        const char *argument = argv[i];
        if (std::strcmp(argument, "--capture") == 0)
            line.capture = true;
        else if (std::strcmp(argument, "--preferences") == 0)
            line.preferences = true;
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
        else if (parseCaptureOption(argc, argv, i, line))
            continue;
        else if (argument[0] == '-' && !line.unknown)
            line.unknown = argument; // Qt's own options (-platform, -display ...) pass through
    }
    return line;
}

// Output in the user's language: the command line's texts are translated like the
// windows', so the messages below need a running QCoreApplication with Translations.
void print(FILE *out, const QString &text)
{
    std::fputs(qPrintable(text), out);
}

void printHelp(FILE *out)
{
    //: The output of `vornik --help`. Keep the option names, URL, FILE, PATH, SECONDS,
    //: X,Y,W,H, the hot keys, serviceurl, servicecafile and the settings path as they
    //: are, and the columns aligned; lines should stay within 100 characters.
    print(out, QCoreApplication::translate("CommandLine",
                                           "Usage: vornik [--capture | --preferences | --user-id | --version | --help]\n"
                                           "       vornik --capture [--full | --window | --region X,Y,W,H]\n"
                                           "                        [--copy | --save [PATH] | --upload | --output -] [--delay SECONDS]\n"
                                           "       vornik --set-service URL [--ca-file FILE]\n"
                                           "Vornik lives in the system tray: take, mark up and share screenshots.\n"
                                           "\n"
                                           "  --capture          start a capture in the running Vornik, or start Vornik capturing\n"
                                           "  --preferences      open the Preferences window of the running Vornik, or start\n"
                                           "                     Vornik with it open\n"
                                           "    --full           take the whole display under the pointer, without the overlay\n"
                                           "    --window         take the window under the pointer (needs a window manager that\n"
                                           "                     lists its windows: X11)\n"
                                           "    --region X,Y,W,H take that rectangle of the desktop (on one display)\n"
                                           "    --save [PATH]    write the PNG to PATH, or into the save folder, and print its path\n"
                                           "                     (what a mode does unless told otherwise)\n"
                                           "    --copy           put the picture on the clipboard\n"
                                           "    --upload         upload the picture and print its link\n"
                                           "    --output -       write the PNG to standard output\n"
                                           "    --delay SECONDS  wait first, counting down in the tray's tool tip\n"
                                           "                     A failed capture exits with status 1 and one line on stderr;\n"
                                           "                     a wrong command line with status 2.\n"
                                           "  --set-service URL  upload to the sharing service at URL from now on (kept in the\n"
                                           "                     settings as serviceurl) and exit\n"
                                           "  --ca-file FILE     with --set-service: also trust the PEM certificate in FILE for it\n"
                                           "                     (kept as servicecafile; left out, an earlier one is cleared)\n"
                                           "  --user-id          print the id this Vornik uploads as (for a server that takes\n"
                                           "                     only registered users) and exit\n"
                                           "  --version          print the version and exit\n"
                                           "  --help             print this help and exit\n"
                                           "\n"
                                           "Hot keys: Ctrl+Shift+9 and Ctrl+F9. Settings: $XDG_CONFIG_HOME/Vornik/Vornik.conf\n"));
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

// Prints `problem` (a source text, with %1 replaced by `argument`), then the help, in
// the user's language, and returns `status`.
int printHelpTranslated(int argc, char **argv, FILE *out, const char *problem, int status,
                        const QString &argument = QString())
{
    QCoreApplication core(argc, argv);
    const Translations translations;
    if (problem) {
        QString text = QCoreApplication::translate("CommandLine", problem);
        if (!argument.isEmpty())
            text = text.arg(argument);
        print(out, QStringLiteral("vornik: ") + text + QLatin1Char('\n'));
    }
    printHelp(out);
    return status;
}

// --set-service: writes the service into the settings and tells a running Vornik to
// read them again.
int setService(int argc, char **argv, const CommandLine &line)
{
    QCoreApplication core(argc, argv);
    const Translations translations;
    QString problem;
    const auto choice = ServiceSetting::check(QString::fromLocal8Bit(line.serviceUrl),
                                              line.caFile ? QString::fromLocal8Bit(line.caFile) : QString(), &problem);
    if (!choice) {
        std::fprintf(stderr, "vornik: %s\n", qPrintable(problem));
        return 2;
    }
    if (!ServiceSetting::store(*choice)) {
        //: %1 is the settings file.
        const QString text = QCoreApplication::translate("CommandLine", "cannot write %1");
        print(stderr, QStringLiteral("vornik: ") + text.arg(Preferences::standard().fileName()) + QLatin1Char('\n'));
        return 1;
    }
    //: %1 is the sharing service's address.
    const QString uploadsTo = QCoreApplication::translate("CommandLine", "Vornik uploads to %1").arg(choice->url);
    //: %1 is the service's address, %2 the certificate file trusted for it.
    const QString trusting = QCoreApplication::translate("CommandLine", "Vornik uploads to %1, trusting %2")
                                 .arg(choice->url, choice->caFile);
    print(stdout, (choice->caFile.isEmpty() ? uploadsTo : trusting) + QLatin1Char('\n'));
    SingleInstance instance;
    if (!instance.tryLock())
        instance.sendToPrimary(QByteArrayLiteral("settings"));
    return 0;
}

// The capture for scripts that `line` asks for, or (with `problem` set) why the
// command line is wrong. Without a mode or a delay there is none: plain --capture.
std::optional<CaptureRequest> captureRequestOf(const CommandLine &line, const char **problem)
{
    const bool any = !line.modes.isEmpty() || !line.outputs.isEmpty() || line.delay;
    if (!any)
        return std::nullopt;
    if (!line.capture)
        *problem = QT_TRANSLATE_NOOP("CommandLine",
                                     "--full, --window, --region, --copy, --save, --upload, --output and --delay go "
                                     "with --capture");
    else if (line.modes.size() > 1)
        *problem = QT_TRANSLATE_NOOP("CommandLine", "give only one of --full, --window and --region");
    else if (line.outputs.size() > 1)
        *problem = QT_TRANSLATE_NOOP("CommandLine", "give only one of --copy, --save, --upload and --output");
    else if (!line.outputs.isEmpty() && line.modes.isEmpty())
        *problem = QT_TRANSLATE_NOOP("CommandLine",
                                     "--copy, --save, --upload and --output need --full, --window or --region");
    else if (line.outputTarget && std::strcmp(line.outputTarget, "-") != 0)
        *problem = QT_TRANSLATE_NOOP("CommandLine", "--output takes - (standard output)");
    if (*problem)
        return std::nullopt;
    CaptureRequest request;
    if (!line.modes.isEmpty())
        request.mode = line.modes.first();
    if (!line.outputs.isEmpty())
        request.output = line.outputs.first();
    if (line.region) {
        const std::optional<QRect> region = parseRegion(QString::fromLocal8Bit(line.region));
        if (!region) {
            *problem = QT_TRANSLATE_NOOP("CommandLine", "--region takes X,Y,W,H with a positive width and height");
            return std::nullopt;
        }
        request.region = *region;
    }
    if (line.delay) {
        bool ok = false;
        request.delaySeconds = QByteArray(line.delay).toInt(&ok);
        if (!ok || request.delaySeconds < 0 || request.delaySeconds > 3600) {
            *problem = QT_TRANSLATE_NOOP("CommandLine", "--delay takes a whole number of seconds up to 3600");
            return std::nullopt;
        }
    }
    if (line.savePath)
        request.path = QDir::current().absoluteFilePath(QString::fromLocal8Bit(line.savePath));
    return request;
}

// Starts a Vornik of its own in the background, for this request and later ones (it
// keeps what goes on the clipboard). Its output goes nowhere: a caller reading ours
// through a pipe must not wait for it to end.
bool startPrimaryInBackground()
{
    QProcess process;
    process.setProgram(QCoreApplication::applicationFilePath());
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.setWorkingDirectory(QDir::rootPath());
    return process.startDetached();
}

// `vornik --capture` with a mode, an output or a delay: the running Vornik (started
// now when there is none) does the capture and answers; the answer's output goes to
// stdout, a failure to stderr in one line with status 1.
int runCaptureRequest(int argc, char **argv, const CaptureRequest &request)
{
    QCoreApplication core(argc, argv);
    const Translations translations;
    SingleInstance instance;
    if (instance.tryLock()) {
        instance.release();
        if (!startPrimaryInBackground()) {
            std::fprintf(stderr, "vornik: %s\n", qPrintable(QCoreApplication::translate("main", "Vornik could not be started")));
            return 1;
        }
    }
    QByteArray answer;
    // A capture takes moments; an upload may wait for a slow service.
    const int answerMs = (request.delaySeconds + 300) * 1000;
    if (!instance.requestFromPrimary(request.toLine(), &answer, 20000, answerMs)) {
        std::fprintf(stderr, "vornik: %s\n", qPrintable(QCoreApplication::translate("main", "the running Vornik did not answer")));
        return 1;
    }
    if (answer.startsWith("ok\n")) {
        std::fwrite(answer.constData() + 3, 1, size_t(answer.size() - 3), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    const QByteArray reason = answer.startsWith("error ") ? answer.mid(6).trimmed() : QByteArrayLiteral("unexpected answer");
    std::fprintf(stderr, "vornik: %s\n", reason.constData());
    return 1;
}

// A later start hands its request to the running Vornik and ends.
int passToRunningInstance(int argc, char **argv, SingleInstance &instance, const CommandLine &line)
{
    QCoreApplication core(argc, argv);
    const Translations translations;
    const QByteArray request = line.capture       ? QByteArrayLiteral("capture")
                               : line.preferences ? QByteArrayLiteral("preferences")
                                                  : QByteArrayLiteral("activate");
    if (!instance.sendToPrimary(request)) {
        //: %1 is the lock file of the running Vornik.
        const QString text = QCoreApplication::translate("CommandLine", "another Vornik holds %1 but does not answer");
        print(stderr, QStringLiteral("vornik: ") + text.arg(instance.lockPath()) + QLatin1Char('\n'));
        return 1;
    }
    if (request == "activate")
        print(stderr, QCoreApplication::translate("CommandLine", "Vornik is already running; its window is open.") +
                          QLatin1Char('\n'));
    return 0;
}
// The command line's problems, told with the help and exit status 2; -1 when it has none.
int reportCommandLineProblem(int argc, char **argv, const CommandLine &line)
{
    if (line.missingValue) {
        //: %1 is the option, "--set-service" for instance.
        const char *problem = QT_TRANSLATE_NOOP("CommandLine", "%1 needs a value");
        return printHelpTranslated(argc, argv, stderr, problem, 2, QString::fromLocal8Bit(line.missingValue));
    }
    if (line.caFile && !line.serviceUrl) {
        const char *problem = QT_TRANSLATE_NOOP("CommandLine", "--ca-file goes with --set-service");
        return printHelpTranslated(argc, argv, stderr, problem, 2);
    }
    if (line.unknown && !isQtOption(line.unknown)) {
        //: %1 is the option as it was given.
        const char *unknown = QT_TRANSLATE_NOOP("CommandLine", "unknown option %1");
        return printHelpTranslated(argc, argv, stderr, unknown, 2, QString::fromLocal8Bit(line.unknown));
    }
    return -1;
}

// What later starts send: a plain message, or a capture for a script that waits for
// its answer on the same connection.
void answerLaterStarts(SingleInstance &instance, TrayApp &delegate)
{
    QObject::connect(&instance, &SingleInstance::messageReceived, &delegate, [&delegate](const QByteArray &message) {
        if (message == "capture")
            delegate.requestCapture();
        else if (message == "activate")
            delegate.showLauncherWindow(); // `vornik` again: the way in without a tray
        else if (message == "preferences")
            delegate.openPreferences();
        else if (message == "settings")
            Preferences::standard().synchronize(); // reads what `vornik --set-service` wrote
    });
    QObject::connect(&instance, &SingleInstance::requestReceived, &delegate,
                     [&delegate, &instance](const QByteArray &message, quint64 id) {
                         const std::optional<CaptureRequest> request = CaptureRequest::fromLine(message);
                         if (!request) {
                             instance.answer(id, CaptureAnswer::failure(QStringLiteral("unknown request")));
                             return;
                         }
                         QPointer<SingleInstance> answering(&instance);
                         delegate.runCaptureRequest(*request, [answering, id](const QByteArray &answer) {
                             if (answering)
                                 answering->answer(id, answer);
                         });
                     });
}
} // namespace

int main(int argc, char **argv)
{
    const CommandLine line = parseCommandLine(argc, argv);
    if (line.version) {
        std::printf("vornik %s\n", VORNIK_VERSION);
        return 0;
    }
    if (line.help)
        return printHelpTranslated(argc, argv, stdout, nullptr, 0);
    if (const int status = reportCommandLineProblem(argc, argv, line); status >= 0)
        return status;

    const char *requestProblem = nullptr;
    const std::optional<CaptureRequest> request = captureRequestOf(line, &requestProblem);
    if (requestProblem) {
        // One line, without the help: scripts read it.
        QCoreApplication core(argc, argv);
        const Translations translations;
        print(stderr, QStringLiteral("vornik: ") + QCoreApplication::translate("CommandLine", requestProblem) +
                          QLatin1Char('\n'));
        return 2;
    }
    if (request)
        return runCaptureRequest(argc, argv, *request);

    if (line.serviceUrl)
        return setService(argc, argv, line);
    if (line.userId) {
        QCoreApplication core(argc, argv);
        std::printf("%s\n", qPrintable(ShareClient::getUserID()));
        return 0;
    }

    SingleInstance instance;
    if (!instance.tryLock())
        return passToRunningInstance(argc, argv, instance, line);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vornik"));
    QApplication::setApplicationVersion(QStringLiteral(VORNIK_VERSION));
    QApplication::setQuitOnLastWindowClosed(false);
    const Translations translations;
    if (!instance.listen())
        std::fprintf(stderr, "vornik: cannot listen on %s; later starts cannot reach this one\n",
                     qPrintable(instance.socketPath()));

    // The one place the desktop's back ends are chosen; everything below is handed them.
    TrayApp delegate(AppServices::standard());
    delegate.singleInstance = &instance;
    answerLaterStarts(instance, delegate);
    QTimer::singleShot(0, &delegate, [&delegate, capture = line.capture, preferences = line.preferences] {
        delegate.start(capture);
        if (preferences)
            delegate.openPreferences();
        if (capture)
            delegate.requestCapture();
    });
    return app.exec();
}
