#include "editor/EditorWindow.h"
#include "editor/FigureList.h"
#include "helpers/Clipboard.h"
#include "helpers/FilePanels.h"
#include "helpers/ImageOutput.h"
#include "output/OutputActions.h"
#include "helpers/SaveFolder.h"
#include "helpers/TempFolder.h"
#include "platform/Opener.h"
#include "platform/Reachability.h"
#include "service/ServiceConfiguration.h"
#include "platform/Preferences.h"
#include "tests/harness/FakeAppRequests.h"
#include "tests/harness/FileAccess.h"
#include "tests/harness/NotificationRecorder.h"
#include "tests/harness/ScriptedHttpServer.h"
#include "tests/harness/ServerProcess.h"
#include "tests/harness/FakeDesktop.h"
#include "tests/harness/TestMain.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <memory>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QImage patterned(int width, int height, int seed = 0)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb((x + seed) % 256, (y * 3) % 256, (x * 7 + y * 13 + seed) % 256));
    return image;
}

bool samePixels(const QImage &a, const QImage &b)
{
    return a.size() == b.size()
           && a.convertToFormat(QImage::Format_RGB32) == b.convertToFormat(QImage::Format_RGB32);
}

// The permission bits of a file as the kernel keeps them.
unsigned modeOf(const QString &path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? unsigned(info.st_mode & 07777) : ~0u;
}

QImage readPng(const QString &path)
{
    return QImage(path, "PNG");
}

QStringList viewImages()
{
    return QDir(TempFolder::finalImagesFolder()).entryList({"*_viewimage.png"}, QDir::Files);
}

class ScriptedPanels : public FilePanels
{
public:
    QString saveAnswer;
    int saveRuns = 0;
    QStringList runOpenPanel(const OpenRequest &) override { return {}; }
    QString runSavePanel(const SaveRequest &request) override
    {
        ++saveRuns;
        lastTypes = request.allowedFileTypes;
        return saveAnswer;
    }
    QStringList lastTypes;
};

// An overlay's selection over a fixed picture, in its points.
class FakeSelection : public SelectionSurface
{
public:
    QImage picture;
    QRectF frame;
    bool failRender = false;

    QRectF selectionFrame() const override { return frame; }
    void setSelectionFrame(const QRectF &f) override { frame = f; }
    QImage renderRegion(const QRectF &region) override
    {
        if (failRender)
            return QImage();
        const qreal ratio = picture.devicePixelRatio();
        QImage part = picture.copy(downRect(region, ratio));
        part.setDevicePixelRatio(ratio);
        return part;
    }
    // The pixels of `region` (points) as the picture holds them.
    QRect downRect(const QRectF &region, qreal ratio) const
    {
        return QRectF(region.topLeft() * ratio, region.size() * ratio).toRect();
    }
};

} // namespace

// A desktop that takes every offer and cancels it a moment later, as GNOME and KDE
// do a client whose surface does not hold the keyboard.
struct LateRefusingClipboard : Clipboard {
    QStringList offered;
    QList<QByteArray> offeredPictures;
    void putLink(const QString &link, Outcome outcome) override
    {
        offered << link;
        QTimer::singleShot(50, [outcome] { outcome(false); });
    }
    void putImage(const QByteArray &png, const QImage &, Outcome outcome) override
    {
        offeredPictures << png;
        QTimer::singleShot(50, [outcome] { outcome(false); });
    }
};

class OutputActionsTest : public QObject
{
    Q_OBJECT

    NotificationRecorder *recorder = nullptr;
    ScriptedPanels panels;
    vtest::FakeDesktop fake;
    DesktopServices desktop = fake.withPanels(panels);
    OverlayActions overlayActions{desktop};
    QList<QUrl> &opened = fake.opener->opened;

    // Everything posted so far has arrived: a marker posted last is seen last.
    QList<NotificationRecorder::Notification> settledNotifications()
    {
        desktop.notifier->post(QStringLiteral("marker"), QString());
        [&] { QTRY_VERIFY_WITH_TIMEOUT(!recorder->received.isEmpty() && recorder->received.constLast().summary == "marker", 10000); }();
        QList<NotificationRecorder::Notification> seen = recorder->received;
        seen.removeLast();
        recorder->received.clear();
        return seen;
    }

    // The server's stored copy of the upload behind `link`, as it was sent.
    static QImage uploadedImage(const vtest::ServerProcess &server, const QString &link)
    {
        return QImage::fromData(vtest::fetchUrl(QUrl(server.baseUrl() + "raw/" + QUrl(link).fileName())), "PNG");
    }

    void waitIdle()
    {
        QTRY_VERIFY_WITH_TIMEOUT(overlayActions.idle(), 20000);
    }

private slots:
    void initTestCase()
    {
        recorder = new NotificationRecorder(this);
        QVERIFY(recorder->isRegistered());
    }

    void init()
    {
        recorder->received.clear();
        opened.clear();
        fake.reachability->connected = true;
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    }

    // ---- the editor's actions ----

    void editorSaveWritesThePanelsFileAndSaysSo()
    {
        QTemporaryDir dir;
        QImage image = patterned(200, 100);
        image.setDevicePixelRatio(2);   // 100 × 50 points
        FigureList figures;
        auto figure = std::make_shared<Figure>();
        figure->rect = QRectF(60, 10, 10, 10);   // right of the area: widens it to 76 points
        figures.items << figure;
        panels.saveAnswer = dir.filePath("typed");
        saveImageWithPanel(desktop, image, figures.rects(), QRectF(0, 0, 50, 50));
        QCOMPARE(panels.lastTypes, QStringList{"png"});
        QCOMPARE(readPng(dir.filePath("typed.png")).size(), QSize(76, 50));
        auto seen = settledNotifications();
        QCOMPARE(seen.size(), 1);
        QCOMPARE(seen[0].summary, QStringLiteral("Image Saved"));
        QCOMPARE(seen[0].body, QStringLiteral("Your image has been saved."));
        QCOMPARE(seen[0].appName, QStringLiteral("Vornik notification"));

        // Cancelled: nothing written, nothing said.
        panels.saveAnswer.clear();
        saveImageWithPanel(desktop, image, figures.rects(), QRectF(0, 0, 50, 50));
        QVERIFY(settledNotifications().isEmpty());
        // A file that cannot be written is not announced as saved.
        panels.saveAnswer = dir.filePath("no/such/folder/x.png");
        saveImageWithPanel(desktop, image, figures.rects(), QRectF(0, 0, 50, 50));
        QVERIFY(settledNotifications().isEmpty());
    }

    void editorCopyPutsThePngOnTheClipboard()
    {
        const QImage image = patterned(80, 60);
        copyImageToClipboard(desktop, image, {}, QRectF(10, 10, 40, 30));
        const QMimeData *data = QGuiApplication::clipboard()->mimeData();
        QVERIFY(data && data->hasFormat("image/png"));
        QVERIFY(samePixels(QImage::fromData(data->data("image/png"), "PNG"), image.copy(10, 10, 40, 30)));
        QVERIFY(viewImages().isEmpty());
        auto seen = settledNotifications();
        QCOMPARE(seen.size(), 1);
        QCOMPARE(seen[0].summary, QStringLiteral("Clipboard notification"));
        QCOMPARE(seen[0].body, QStringLiteral("Your image was saved to the clipboard."));

        copyImageToClipboard(desktop, QImage(), {}, QRectF(0, 0, 10, 10));
        seen = settledNotifications();
        QCOMPARE(seen.size(), 1);
        QCOMPARE(seen[0].summary, QStringLiteral("Clipboard Error"));
        QCOMPARE(seen[0].body, QStringLiteral("There was a problem saving your image to the clipboard."));
    }

    void editorUploadChecksNetworkAndFile()
    {
        fake.reachability->connected = false;
        uploadImage(desktop, patterned(20, 20), {}, QRectF(0, 0, 20, 20));
        auto seen = settledNotifications();
        QCOMPARE(seen.size(), 1);
        QCOMPARE(seen[0].summary, QStringLiteral("No network connection"));
        QCOMPARE(seen[0].body, QStringLiteral("Please check your Internet connection."));
        QVERIFY(viewImages().isEmpty());   // checked before anything was written

        fake.reachability->connected = true;
        uploadImage(desktop, QImage(), {}, QRectF(0, 0, 20, 20));
        seen = settledNotifications();
        QCOMPARE(seen.size(), 1);
        QCOMPARE(seen[0].summary, QStringLiteral("File Save Error"));
        QCOMPARE(seen[0].body, QStringLiteral("Your image couldn't be saved for upload."));
    }

    // ---- the upload hand-off ----

    void handOffReportsMissingNetworkAndFile()
    {
        fake.reachability->connected = false;
        handOffUpload(desktop, QStringLiteral("/nowhere.png"));
        fake.reachability->connected = true;
        handOffUpload(desktop, QString());
        const auto seen = settledNotifications();
        QCOMPARE(seen.size(), 2);
        QCOMPARE(seen[0].summary, QStringLiteral("No network connection"));
        QCOMPARE(seen[1].summary, QStringLiteral("File Save Error"));
    }

    void aLinkReplyGoesToTheClipboardAndRemovesTheFile()
    {
        TempFolder::ensureFinalImagesFolder();
        const QString path = TempFolder::viewImagePath(1);
        QVERIFY(writePNG(patterned(10, 10), path));
        uploadFinished(desktop, ShareReply::answer(200, QStringLiteral("127.0.0.1:9/abc.png")), path);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("https://127.0.0.1:9/abc.png"));
        QVERIFY(!QFile::exists(path));
        const auto seen = settledNotifications();
        QCOMPARE(seen.size(), 1);
        QCOMPARE(seen[0].summary, QStringLiteral("SAVED TO CLIPBOARD"));
        QCOMPARE(seen[0].body, QStringLiteral("URL to image was copied to clipboard."));
    }

    void aLinkTheClipboardRefusesIsShownInstead()
    {
        TempFolder::ensureFinalImagesFolder();
        const QString path = TempFolder::viewImagePath(2);
        QVERIFY(writePNG(patterned(10, 10), path));
        // A desktop that refuses the link (as GNOME and KDE do a client without focus).
        auto refusing = std::make_shared<LateRefusingClipboard>();
        DesktopServices refused = desktop;
        refused.clipboard = refusing;
        uploadFinished(refused, ShareReply::answer(200, QStringLiteral("127.0.0.1:9/def.png")), path);
        QCOMPARE(refusing->offered, QStringList{QStringLiteral("https://127.0.0.1:9/def.png")});
        // The refusal comes later; nothing is reported before it.
        QVERIFY(recorder->received.isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(!recorder->received.isEmpty(), 10000);
        const auto seen = settledNotifications();
        QCOMPARE(seen.size(), 1);
        QCOMPARE(seen[0].summary, QStringLiteral("Clipboard Error"));
        QCOMPARE(seen[0].body, QStringLiteral("Your image was uploaded, but its link could not be copied to the "
                                              "clipboard: https://127.0.0.1:9/def.png"));
        // Uploaded: nothing to keep.
        QVERIFY(!QFile::exists(path));
    }

    void aFailedReplyKeepsTheImage()
    {
        TempFolder::ensureFinalImagesFolder();
        const QImage image = patterned(30, 20, 5);
        const QString unsent = TempFolder::unsentFolder();
        QVERIFY(unsent.startsWith(qEnvironmentVariable("XDG_DATA_HOME") + "/Vornik/unsent/"));
        QStringList keptAt;
        // Two failures of files with the same name keep both.
        const ShareReply failures[] = {ShareReply::failure(ShareError::FileMissing),
                                       ShareReply::failure(ShareError::Transport, QStringLiteral("Connection refused"))};
        for (const ShareReply &reply : failures) {
            const QString path = TempFolder::viewImagePath(7);
            QVERIFY(writePNG(image, path));
            uploadFinished(desktop, reply, path);
            QVERIFY(!QFile::exists(path));
            const auto seen = settledNotifications();
            QCOMPARE(seen.size(), 1);
            QCOMPARE(seen[0].summary, QStringLiteral("File Upload Error"));
            const QString lead = QStringLiteral("There was a problem uploading your image. ");
            QVERIFY2(seen[0].body.startsWith(lead), qPrintable(seen[0].body));
            keptAt << seen[0].body.section(QStringLiteral(" It was kept at "), 1);
            QVERIFY(keptAt.constLast().startsWith(unsent));
            QVERIFY(samePixels(readPng(keptAt.constLast()), image));
        }
        // The first keeps its name, the second is numbered.
        QCOMPARE(keptAt[0], unsent + QFileInfo(TempFolder::viewImagePath(7)).fileName());
        QCOMPARE(keptAt[1], unsent + QFileInfo(TempFolder::viewImagePath(7)).completeBaseName() + "-2.png");
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));

        // Nothing left to keep: the plain text.
        uploadFinished(desktop, ShareReply::answer(200, QStringLiteral("not a link")), TempFolder::viewImagePath(8));
        const auto seen = settledNotifications();
        QCOMPARE(seen.size(), 1);
        QCOMPARE(seen[0].body, QStringLiteral("There was a problem uploading your image. The sharing service's answer "
                                              "was not a link to the picture."));
    }

    // An error page whose text passes for a host name is no link: a proxy answering
    // 502 "Gateway" must not put "https://Gateway" on the clipboard.
    void anErrorStatusFailsWhateverTheBody()
    {
        vtest::ScriptedHttpServer service([](const vtest::ScriptedHttpServer::Request &request) {
            vtest::ScriptedHttpServer::Reply reply;
            if (request.target.startsWith("/upload/")) {
                reply.status = 502;
                reply.body = "Gateway";
            } else {
                reply.body = "salt";
            }
            return std::optional(reply);
        });
        QVERIFY(service.start());
        qputenv("VORNIK_SERVICE_URL", service.baseUrl().toUtf8());
        const QImage image = patterned(30, 20, 9);
        const QString path = TempFolder::viewImagePath(9);
        QVERIFY(writePNG(image, path));
        handOffUpload(desktop, path);
        QTRY_VERIFY_WITH_TIMEOUT(!recorder->received.isEmpty(), 20000);
        const auto seen = settledNotifications();
        QCOMPARE(seen.size(), 1);
        QCOMPARE(seen[0].summary, QStringLiteral("File Upload Error"));
        const QString lead = QStringLiteral("There was a problem uploading your image. ");
        QVERIFY2(seen[0].body.startsWith(lead), qPrintable(seen[0].body));
        QVERIFY(samePixels(readPng(seen[0].body.section(QStringLiteral(" It was kept at "), 1)), image));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
        // Every status outside 2xx fails the same way; 2xx with a link succeeds.
        for (int status : {0, 199, 300, 404, 500}) {
            QVERIFY(writePNG(image, path));
            uploadFinished(desktop, ShareReply::answer(status, QStringLiteral("example.org/a.png")), path);
            QCOMPARE(settledNotifications().value(0).summary, QStringLiteral("File Upload Error"));
        }
        QVERIFY(writePNG(image, path));
        uploadFinished(desktop, ShareReply::answer(201, QStringLiteral("example.org/a.png")), path);
        QCOMPARE(settledNotifications().value(0).summary, QStringLiteral("SAVED TO CLIPBOARD"));
        qunsetenv("VORNIK_SERVICE_URL");
    }

    // The temporary folder is this user's alone: view images are written 0600 into a
    // folder of mode 0700, and a folder that another account could reach is refused.
    void temporaryFilesArePrivate()
    {
        QVERIFY(TempFolder::root().startsWith(qEnvironmentVariable("XDG_RUNTIME_DIR") + "/"));
        QVERIFY(TempFolder::ensureFinalImagesFolder());
        const QString written = writeImage(QString(), patterned(8, 8), {}, QRectF(0, 0, 8, 8));
        QVERIFY(!written.isEmpty());
        QCOMPARE(modeOf(written), 0600u);
        QCOMPARE(modeOf(TempFolder::finalImagesFolder()), 0700u);
        QFile::remove(written);

        const QString folder = QDir::tempPath() + QStringLiteral("/checked");
        QVERIFY(QDir().mkpath(folder));
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(TempFolder::privacyProblem(folder + "/"), QString());
        // Each access bit for the group or other accounts alone is enough to refuse it.
        for (const mode_t bit : {S_IRGRP, S_IWGRP, S_IXGRP, S_IROTH, S_IWOTH, S_IXOTH}) {
            QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0700 | bit) == 0);
            QVERIFY2(TempFolder::privacyProblem(folder).contains(QStringLiteral("may be entered by other users")),
                     qPrintable(QString::number(bit, 8)));
        }
        QVERIFY(QFile::link(folder, folder + QStringLiteral("-link")));
        QVERIFY(TempFolder::privacyProblem(folder + QStringLiteral("-link/")).contains(QStringLiteral("symbolic link")));
        QVERIFY(TempFolder::privacyProblem(written).contains(QStringLiteral("No such file")));
        // Another account's folder (root can hand it over; others skip this line).
        if (::geteuid() == 0) {
            QVERIFY(::chown(QFile::encodeName(folder).constData(), 65534, 65534) == 0);
            QVERIFY(TempFolder::privacyProblem(folder).contains(QStringLiteral("belongs to another user")));
        }

        // Without a runtime folder, a per-user folder in the shared temporary folder,
        // refused when someone else prepared it.
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
        qunsetenv("XDG_RUNTIME_DIR");
        const QString fallback = QDir::tempPath() + QStringLiteral("/vornik-") + QString::number(::geteuid()) + "/";
        QCOMPARE(TempFolder::root(), fallback);
        QCOMPARE(TempFolder::preparePrivateFolders(), QString());
        QCOMPARE(modeOf(fallback), 0700u);
        QVERIFY(QDir(fallback).removeRecursively());
        QVERIFY(QFile::link(folder, fallback.chopped(1)));   // planted by another account
        QVERIFY(TempFolder::preparePrivateFolders().contains(QStringLiteral("symbolic link")));
        QVERIFY(!TempFolder::ensureFinalImagesFolder());
        // Even with the image folder laid out ready inside it, nothing is written there.
        QVERIFY(QDir(folder).mkdir(QStringLiteral("Vornik")));
        QVERIFY(writeImage(QString(), patterned(8, 8), {}, QRectF(0, 0, 8, 8)).isEmpty());
        QVERIFY(QDir(folder + QStringLiteral("/Vornik")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
        QVERIFY(QDir(folder + QStringLiteral("/Vornik")).removeRecursively());
        QVERIFY(QDir(folder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
        QFile::remove(fallback.chopped(1));
        // A fallback folder that cannot be made is refused for that reason.
        const QByteArray tmpdir = qgetenv("TMPDIR");
        const QString notAFolder = QDir::tempPath() + QStringLiteral("/plain-file");
        QVERIFY(QFile(notAFolder).open(QIODevice::WriteOnly));
        qputenv("TMPDIR", notAFolder.toUtf8());
        const QString problem = TempFolder::preparePrivateFolders();
        tmpdir.isNull() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", tmpdir);
        QVERIFY2(problem.startsWith(notAFolder + QStringLiteral("/vornik-")) && problem.contains(QStringLiteral("could not be made"))
                     && problem.endsWith(QString::fromLocal8Bit(std::strerror(ENOTDIR))),
                 qPrintable(problem));
        QFile::remove(notAFolder);
        qputenv("XDG_RUNTIME_DIR", runtime);
    }

    // When the image cannot be kept in the unsent folder, the message names the only
    // copy where it still is: the folder cannot be made, or the move is refused.
    void aFailedKeepStillSaysWhereTheImageIs()
    {
        TempFolder::ensureFinalImagesFolder();
        const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
        const QString blocker = QDir::tempPath() + QStringLiteral("/a-file");
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        qputenv("XDG_DATA_HOME", (blocker + QStringLiteral("/data")).toUtf8());
        const QString path = TempFolder::viewImagePath(9);
        QVERIFY(writePNG(patterned(10, 10), path));
        uploadFinished(desktop, ShareReply::failure(ShareError::Transport, QStringLiteral("Connection refused")), path);
        qputenv("XDG_DATA_HOME", dataHome);
        const QString lead = QStringLiteral("There was a problem uploading your image. ");
        auto seen = settledNotifications();
        QCOMPARE(seen.size(), 1);
        QVERIFY2(seen[0].body.startsWith(lead) && seen[0].body.endsWith(" It was kept at " + path), qPrintable(seen[0].body));
        QVERIFY(QFile::exists(path));

        // The folder is there but takes no new names.
        const QString unsent = TempFolder::unsentFolder();
        QVERIFY(QDir().mkpath(unsent));
        const qsizetype keptBefore = QDir(unsent).entryList(QDir::Files).size();
        QVERIFY(QFile::setPermissions(unsent, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        {
            vtest::WithoutFileAccessOverride asAUser;
            QVERIFY(asAUser.active());
            uploadFinished(desktop, ShareReply::failure(ShareError::Transport, QStringLiteral("Connection refused")), path);
        }
        QFile::setPermissions(unsent, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        seen = settledNotifications();
        QCOMPARE(seen.size(), 1);
        QVERIFY2(seen[0].body.startsWith(lead) && seen[0].body.endsWith(" It was kept at " + path), qPrintable(seen[0].body));
        QVERIFY(QFile::exists(path));
        QCOMPARE(QDir(unsent).entryList(QDir::Files).size(), keptBefore);
        QVERIFY(QFile::remove(path));
    }

    // ---- the overlay's actions ----

    void overlaySaveWritesEveryPixelAndOpensIt_data()
    {
        QTest::addColumn<qreal>("ratio");
        QTest::newRow("ratio 1") << 1.0;
        QTest::newRow("ratio 2") << 2.0;
    }
    void overlaySaveWritesEveryPixelAndOpensIt()
    {
        QFETCH(qreal, ratio);
        FakeSelection overlay;
        overlay.picture = patterned(int(300 * ratio), int(200 * ratio), 3);
        overlay.picture.setDevicePixelRatio(ratio);
        overlay.frame = QRectF(20, 30, 120, 70);
        const QRect expected = overlay.downRect(overlay.frame, ratio);
        overlayActions.saveSelectionLocally(renderSelectionImage(overlay).image);
        QVERIFY(overlay.frame.isEmpty());   // the box is out of the picture at once
        QTRY_COMPARE_WITH_TIMEOUT(opened.size(), 1, 20000);
        const QString file = opened[0].toLocalFile();
        // Kept in the pictures folder, named for the time, never in the temporary one.
        const QString pictures = QDir::homePath() + QStringLiteral("/Pictures/Vornik/");
        QVERIFY2(file.startsWith(pictures + "Vornik 20") && file.endsWith(".png"), qPrintable(file));
        QVERIFY(viewImages().isEmpty());
        QVERIFY(samePixels(readPng(file), overlay.picture.copy(expected)));
        QVERIFY(!QFile::exists(TempFolder::renderedSelectionPath()));
        QVERIFY(settledNotifications().isEmpty());   // saving says nothing

        // A second save in the same second takes a new name; the first file stays.
        opened.clear();
        overlay.frame = QRectF(0, 0, 10, 10);
        overlayActions.saveSelectionLocally(renderSelectionImage(overlay).image);
        QTRY_COMPARE_WITH_TIMEOUT(opened.size(), 1, 20000);
        QVERIFY(opened[0].toLocalFile() != file);
        QVERIFY(samePixels(readPng(file), overlay.picture.copy(expected)));
    }

    void savedNamesSortByTimeAndNeverReplaceAFile()
    {
        const QString folder = QDir::tempPath() + QStringLiteral("/named/deeper");
        const QDateTime time(QDate(2026, 12, 7), QTime(14, 3, 27));
        QString error;
        const QString first = SaveFolder::claimNewFile(folder, time, &error);
        QCOMPARE(first, folder + QStringLiteral("/Vornik 2026-12-07 14.03.27.png"));
        QFile taken(first);
        QVERIFY(taken.open(QIODevice::WriteOnly));
        taken.write("mine");
        taken.close();
        QCOMPARE(SaveFolder::claimNewFile(folder, time, &error), folder + QStringLiteral("/Vornik 2026-12-07 14.03.27 (2).png"));
        QCOMPARE(SaveFolder::claimNewFile(folder, time, &error), folder + QStringLiteral("/Vornik 2026-12-07 14.03.27 (3).png"));
        QVERIFY(taken.open(QIODevice::ReadOnly));
        QCOMPARE(taken.readAll(), QByteArray("mine"));
        QCOMPARE(SaveFolder::fileName(QDateTime(QDate(2027, 1, 2), QTime(3, 4, 5))), QStringLiteral("Vornik 2027-01-02 03.04.05.png"));

        // A folder that cannot be made says why.
        QFile blocker(QDir::tempPath() + QStringLiteral("/plain-file"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        error.clear();
        QVERIFY(SaveFolder::claimNewFile(blocker.fileName() + QStringLiteral("/sub"), time, &error).isEmpty());
        QVERIFY2(error.contains(blocker.fileName()), qPrintable(error));

        // The setting names another folder; "~/" is the home folder.
        QCOMPARE(SaveFolder::folder(), QDir::homePath() + QStringLiteral("/Pictures/Vornik"));
        Preferences::standard().setString(QStringLiteral("savefolder"), QStringLiteral("~/Shots"));
        QCOMPARE(SaveFolder::folder(), QDir::homePath() + QStringLiteral("/Shots"));
        Preferences::standard().setString(QStringLiteral("savefolder"), folder);
        QCOMPARE(SaveFolder::folder(), folder);

        // An overlay save that cannot write says so instead of doing nothing.
        Preferences::standard().setString(QStringLiteral("savefolder"), blocker.fileName() + QStringLiteral("/sub"));
        FakeSelection overlay;
        overlay.picture = patterned(40, 40);
        overlay.frame = QRectF(0, 0, 20, 20);
        overlayActions.saveSelectionLocally(renderSelectionImage(overlay).image);
        waitIdle();
        const auto seen = settledNotifications();
        QCOMPARE(seen.size(), 1);
        QCOMPARE(seen[0].summary, QStringLiteral("File Save Error"));
        QVERIFY2(seen[0].body.startsWith(QStringLiteral("Your image could not be saved: ")), qPrintable(seen[0].body));
        QVERIFY(opened.isEmpty());
        Preferences::standard().setString(QStringLiteral("savefolder"), QString());
    }

    void overlayCopyOffersThePngOrSaysItFailed()
    {
        FakeSelection overlay;
        overlay.picture = patterned(100, 100, 9);
        overlay.frame = QRectF(10, 10, 50, 40);
        const QRect expected = overlay.downRect(overlay.frame, 1);
        overlayActions.copySelectionToClipboard(renderSelectionImage(overlay).image);
        waitIdle();
        const QMimeData *data = QGuiApplication::clipboard()->mimeData();
        QVERIFY(data && data->hasFormat("image/png"));
        QVERIFY(samePixels(QImage::fromData(data->data("image/png"), "PNG"), overlay.picture.copy(expected)));
        auto seen = settledNotifications();
        QCOMPARE(seen.size(), 1);
        QCOMPARE(seen[0].summary, QStringLiteral("Clipboard notification"));

        // Nothing rendered, nothing on the clipboard: not reported as copied.
        overlay.frame = QRectF(10, 10, 50, 40);
        overlay.failRender = true;
        overlayActions.copySelectionToClipboard(renderSelectionImage(overlay).image);
        waitIdle();
        const QMimeData *after = QGuiApplication::clipboard()->mimeData();
        QVERIFY(!after || !after->hasFormat("image/png"));
        seen = settledNotifications();
        QCOMPARE(seen.size(), 1);
        QCOMPARE(seen[0].summary, QStringLiteral("Clipboard Error"));
        QCOMPARE(seen[0].body, QStringLiteral("There was a problem saving your image to the clipboard."));

        // Cancelled after the overlays went: never reported as copied, and the picture
        // is kept in a file the message names, byte for byte what was offered.
        auto refusing = std::make_shared<LateRefusingClipboard>();
        DesktopServices refused = desktop;
        refused.clipboard = refusing;
        OverlayActions refusedActions(refused);
        overlay.failRender = false;
        overlay.frame = QRectF(10, 10, 50, 40);
        refusedActions.copySelectionToClipboard(renderSelectionImage(overlay).image);
        QTRY_VERIFY_WITH_TIMEOUT(!recorder->received.isEmpty(), 10000);
        QCOMPARE(refusing->offeredPictures.size(), 1);
        seen = settledNotifications();
        QCOMPARE(seen.size(), 1);
        QCOMPARE(seen[0].summary, QStringLiteral("Clipboard Error"));
        const QString prefix = QStringLiteral("There was a problem saving your image to the clipboard. It was kept at ");
        QVERIFY2(seen[0].body.startsWith(prefix), qPrintable(seen[0].body));
        const QString kept = seen[0].body.mid(prefix.size());
        QVERIFY2(kept.startsWith(QDir::cleanPath(TempFolder::unsentFolder())), qPrintable(kept));
        QFile keptFile(kept);
        QVERIFY(keptFile.open(QIODevice::ReadOnly));
        QCOMPARE(keptFile.readAll(), refusing->offeredPictures.at(0));
        QVERIFY(samePixels(QImage(kept), overlay.picture.copy(expected)));
        QVERIFY(QFile::remove(kept));
    }

    // An empty selection renders nothing, and an earlier render lying there goes; a
    // region that could not be rendered is neither saved nor uploaded.
    void emptySelectionRendersNothingAndNeverAnOldRender()
    {
        FakeSelection overlay;
        overlay.picture = patterned(100, 100);
        QVERIFY(writePNG(patterned(40, 40), TempFolder::renderedSelectionPath()));
        overlay.frame = QRectF(30, 30, 0, 0);
        const RenderedSelection rendered = renderSelectionImage(overlay);
        QVERIFY(rendered.frame.isEmpty());
        QVERIFY(rendered.image.isNull());
        QVERIFY(!QFile::exists(TempFolder::renderedSelectionPath()));
        QCOMPARE(overlay.frame, QRectF(30, 30, 0, 0));
        for (auto action : {&OverlayActions::saveSelectionLocally, &OverlayActions::uploadSelection})
            (overlayActions.*action)(QImage());
        waitIdle();
        QVERIFY(opened.isEmpty());
        QVERIFY(viewImages().isEmpty());
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
        QVERIFY(settledNotifications().isEmpty());
    }

    void overlayEditOpensTheEditorOnTheRender()
    {
        FakeSelection overlay;
        overlay.picture = patterned(200, 100);
        overlay.frame = QRectF(0, 0, 60, 40);
        vtest::FakeAppRequests delegate;
        QScreen *screen = QGuiApplication::primaryScreen();
        QPointer<EditorWindow> editor = EditorWindow::openOn(renderSelectionImage(overlay).image, screen, &delegate, desktop);
        QTRY_VERIFY_WITH_TIMEOUT(editor && editor->isLoaded(), 20000);
        QCOMPARE(editor->canvasView->imageRect()->size(), QSizeF(60, 40));
        QCOMPARE(editor->screenIndex, 0);
        QVERIFY(editor->isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(editor->frameGeometry(), screen->geometry(), 10000);
        // The editor deletes itself when it closes.
        editor->close();
        QTRY_VERIFY_WITH_TIMEOUT(editor.isNull(), 10000);
    }

    void overlayUploadWithoutNetworkSaysSo()
    {
        fake.reachability->connected = false;
        FakeSelection overlay;
        overlay.picture = patterned(64, 64);
        overlay.frame = QRectF(0, 0, 32, 32);
        overlayActions.uploadSelection(renderSelectionImage(overlay).image);
        waitIdle();
        const auto seen = settledNotifications();
        QCOMPARE(seen.size(), 1);
        QCOMPARE(seen[0].summary, QStringLiteral("No network connection"));
        // The screenshot is not left for the next capture's clean-up: it moved to the
        // unsent folder and the text says where.
        QVERIFY(viewImages().isEmpty());
        const QString prefix = QStringLiteral("Please check your Internet connection. It was kept at ");
        QVERIFY2(seen[0].body.startsWith(prefix), qPrintable(seen[0].body));
        const QString kept = seen[0].body.mid(prefix.size());
        QVERIFY(kept.startsWith(TempFolder::unsentFolder()));
        QCOMPARE(QImage(kept).size(), QSize(32, 32));
        QFile::remove(kept);
    }

    // ---- against a real vornik-server on loopback ----

    void overlayUploadEndsAsALinkOrAKeptFile()
    {
        vtest::ServerProcess server;
        QVERIFY(server.start());
        qputenv("VORNIK_SERVICE_URL", server.baseUrl().toUtf8());
        qputenv("VORNIK_CA_FILE", server.caFile().toUtf8());
        // The kernel's answer: loopback is up.
        DesktopServices desktop = this->desktop;
        desktop.reachability = std::make_shared<Reachability>();
        OverlayActions overlayActions(desktop);

        FakeSelection overlay;
        overlay.picture = patterned(240, 160, 11);
        overlay.frame = QRectF(40, 20, 100, 90);
        const QImage expected = overlay.picture.copy(overlay.downRect(overlay.frame, 1));
        overlayActions.uploadSelection(renderSelectionImage(overlay).image);
        QTRY_VERIFY_WITH_TIMEOUT(!recorder->received.isEmpty(), 30000);
        QCOMPARE(recorder->received[0].summary, QStringLiteral("SAVED TO CLIPBOARD"));
        const QString link = QGuiApplication::clipboard()->text();
        QVERIFY2(link.startsWith(QStringLiteral("https://") + server.publicHost() + "/"), qPrintable(link));
        QVERIFY(viewImages().isEmpty());
        QVERIFY(!QFile::exists(TempFolder::renderedSelectionPath()));

        // The server's copy as uploaded holds the same pixels.
        QVERIFY(samePixels(uploadedImage(server, link), expected));

        // The editor's upload: the area widened for its figures goes up the same way.
        recorder->received.clear();
        const QImage canvas = patterned(160, 120, 23);
        FigureList figures;
        auto figure = std::make_shared<Figure>();
        figure->rect = QRectF(100, 40, 30, 20);   // past the area's right and bottom edges
        figures.items << figure;
        uploadImage(desktop, canvas, figures.rects(), QRectF(10, 10, 60, 50));
        QTRY_VERIFY_WITH_TIMEOUT(!recorder->received.isEmpty(), 30000);
        QCOMPARE(recorder->received[0].summary, QStringLiteral("SAVED TO CLIPBOARD"));
        const QString editorLink = QGuiApplication::clipboard()->text();
        QVERIFY2(editorLink != link && editorLink.startsWith(QStringLiteral("https://") + server.publicHost() + "/"),
                 qPrintable(editorLink));
        QVERIFY(samePixels(uploadedImage(server, editorLink), canvas.copy(10, 10, 126, 56)));
        QVERIFY(viewImages().isEmpty());

        // With the server gone the image is kept where the notification says.
        server.stop();
        recorder->received.clear();
        overlay.frame = QRectF(40, 20, 100, 90);
        overlayActions.uploadSelection(renderSelectionImage(overlay).image);
        QTRY_VERIFY_WITH_TIMEOUT(!recorder->received.isEmpty(), 30000);
        const auto failure = recorder->received[0];
        QCOMPARE(failure.summary, QStringLiteral("File Upload Error"));
        const QString lead = QStringLiteral("There was a problem uploading your image. ");
        QVERIFY2(failure.body.startsWith(lead), qPrintable(failure.body));
        QVERIFY(samePixels(readPng(failure.body.section(QStringLiteral(" It was kept at "), 1)), expected));
        QCOMPARE(QGuiApplication::clipboard()->text(), editorLink);
        QVERIFY(viewImages().isEmpty());
    }
};

VORNIK_TEST_MAIN(OutputActionsTest, vtest::EnvironmentOptions{})
#include "output_actions_test.moc"
