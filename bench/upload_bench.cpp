// From the overlay's upload press to the link on the clipboard, for a full-HD
// selection, against a local vornik-server over HTTPS; beside the floor measured in
// the same run and interleaved with it: the same pixels encoded at zlib level 1, then
// curl asking the same server for a salt and posting the same form (token, user id,
// the PNG) as Vornik does. Median and p90 of each, and their ratio.
//
//   upload_bench [rounds]            (15 by default)
//
// Starts its own server (VORNIK_SERVER_BINARY, else the one built beside it) with a
// fresh certificate; runs on Qt's offscreen platform without a session bus.

#include "bench/BenchPictures.h"
#include "helpers/ImageOutput.h"
#include "output/OverlayActions.h"
#include "tests/harness/FakeDesktop.h"
#include "service/MultipartForm.h"
#include "service/ShareClient.h"
#include "tests/harness/ServerProcess.h"

#include <QApplication>
#include <QClipboard>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct Series {
    std::vector<double> ms;
    double at(double q) const
    {
        std::vector<double> sorted = ms;
        std::sort(sorted.begin(), sorted.end());
        return sorted[std::min(sorted.size() - 1, size_t(q * double(sorted.size() - 1) + 0.5))];
    }
};

// curl with the server's certificate; its output, empty on failure.
QByteArray curl(const QStringList &arguments, const QString &caFile)
{
    QProcess process;
    process.start(QStringLiteral("curl"), QStringList{QStringLiteral("-sS"), QStringLiteral("--fail"),
                                                      QStringLiteral("--cacert"), caFile}
                                              + arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return QByteArray();
    return process.readAllStandardOutput();
}

// The floor: encode, salt, token, the same three-entry form, the POST; the link.
// The curl half's parts, for the breakdown: the salt and the POST.
Series g_curlSalt, g_curlPost;

QString uploadWithCurl(const QImage &picture, const QString &base, const QString &caFile, const QString &folder)
{
    QElapsedTimer part;
    const QByteArray png = bench::levelOnePngFloor(picture);
    part.start();
    const QByteArray salt = curl({base + QStringLiteral("salt/")}, caFile);
    g_curlSalt.ms.push_back(part.nsecsElapsed() / 1e6);
    if (png.isEmpty() || salt.isEmpty())
        return QString();
    MultipartForm form;
    form.addText("name", "userid");
    form.addText(ShareClient::userIDFieldName(), ShareClient::getUserID().toUtf8());
    form.addFile("filename", "20261207123456_viewimage.png", "image/png", png);
    const QString bodyPath = folder + QStringLiteral("/form.bin");
    QFile body(bodyPath);
    if (!body.open(QIODevice::WriteOnly) || body.write(form.body()) < 0)
        return QString();
    body.close();
    part.start();
    const QByteArray reply = curl({QStringLiteral("-H"), QStringLiteral("Content-Type: ") + form.contentType(),
                                   QStringLiteral("--data-binary"), QLatin1Char('@') + bodyPath,
                                   base + QStringLiteral("upload/") + ShareClient::tokenForSalt(salt)},
                                  caFile);
    g_curlPost.ms.push_back(part.nsecsElapsed() / 1e6);
    return reply.isEmpty() ? QString() : QStringLiteral("https://") + QString::fromUtf8(reply).trimmed();
}

// A pause between measurements, so that none starts while the server is still busy
// with the one before (it stores each upload after it has answered).
void settle()
{
    QThread::msleep(250);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    QTemporaryDir home;
    for (const char *variable : {"XDG_CONFIG_HOME", "TMPDIR", "HOME"})
        qputenv(variable, home.path().toUtf8());
    if (qEnvironmentVariableIsEmpty("VORNIK_SERVER_BINARY"))
        qputenv("VORNIK_SERVER_BINARY", VORNIK_SERVER_PATH);
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(3, std::atoi(argv[1])) : 15;

    vtest::ServerProcess server;
    if (!server.start()) {
        std::fprintf(stderr, "vornik-server did not start\n");
        return 1;
    }
    qputenv("VORNIK_SERVICE_URL", server.baseUrl().toUtf8());
    qputenv("VORNIK_CA_FILE", server.caFile().toUtf8());
    // The desktop's clipboard, noting when the link has arrived.
    struct LinkNotingClipboard : Clipboard {
        QString linked;
        void putLink(const QString &link, Outcome outcome) override
        {
            QGuiApplication::clipboard()->setText(link);
            linked = link;
            if (outcome)
                outcome(true);
        }
    };
    auto clipboard = std::make_shared<LinkNotingClipboard>();
    QString &linked = clipboard->linked;
    vtest::FakeDesktop desktop;
    desktop.services.clipboard = clipboard;
    OverlayActions actions(desktop.services);

    const QImage picture = bench::desktopPicture(1920, 1080);
    bench::WholePicture selection(picture);
    Series ours, floor, written, chain, salt;
    int failures = 0;
    for (int i = 0; i < rounds; ++i) {
        settle();
        selection.reset();
        linked.clear();
        QElapsedTimer timer;
        settle();
        timer.start();
        actions.uploadSelection(renderSelectionImage(selection).image);
        const QDeadlineTimer deadline(30000);
        while (linked.isEmpty() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
        ours.ms.push_back(timer.nsecsElapsed() / 1e6);
        failures += linked.isEmpty();

        settle();
        timer.start();
        failures += uploadWithCurl(picture, server.baseUrl(), server.caFile(), home.path()).isEmpty();
        floor.ms.push_back(timer.nsecsElapsed() / 1e6);

        // Vornik's two halves on their own: the PNG into the temporary folder, then
        // the request chain for that file.
        settle();
        timer.start();
        const QString path = writeImage(QString(), picture, {}, QRectF(QPointF(0, 0), QSizeF(picture.size())));
        written.ms.push_back(timer.nsecsElapsed() / 1e6);
        bool answered = false;
        settle();
        timer.start();
        ShareClient::uploadFile(path, [&answered](const ShareReply &) { answered = true; });
        const QDeadlineTimer chainDeadline(30000);
        while (!answered && !chainDeadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
        chain.ms.push_back(timer.nsecsElapsed() / 1e6);
        QFile::remove(path);
        answered = false;
        timer.start();
        ShareClient::fetchSalt([&answered](const ShareReply &) { answered = true; });
        while (!answered && !chainDeadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
        salt.ms.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf("upload of a 1920x1080 selection to the link, %d rounds over HTTPS%s\n", rounds,
                failures ? " (SOME UPLOADS FAILED)" : "");
    std::printf("  floor (level-1 encode + curl salt + curl form): median %6.1f ms, p90 %6.1f ms\n", floor.at(0.5),
                floor.at(0.9));
    std::printf("  vornik (upload press -> link on the clipboard): median %6.1f ms, p90 %6.1f ms\n", ours.at(0.5),
                ours.at(0.9));
    std::printf("  ratio (medians): %.2f\n", ours.at(0.5) / floor.at(0.5));
    std::printf("  vornik's parts alone: PNG written median %.1f ms, request chain median %.1f ms"
                " (of which the salt %.1f ms)\n", written.at(0.5), chain.at(0.5), salt.at(0.5));
    std::printf("  curl's parts: salt median %.1f ms, form POST median %.1f ms\n", g_curlSalt.at(0.5),
                g_curlPost.at(0.5));
    return failures ? 1 : 0;
}
