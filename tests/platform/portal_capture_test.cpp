#include "tests/harness/TestMain.h"

#include "capture/OverlayController.h"
#include "capture/OverlayWindow.h"
#include "capture/ScreenCapture.h"
#include "platform/CaptureBackendLoader.h"
#include "platform/KWinScreenShotCapture.h"
#include "platform/PortalCapture.h"
#include "app/AppServices.h"
#include "helpers/Notifier.h"
#include "platform/Opener.h"
#include "tests/harness/NotificationRecorder.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QScreen>
#include <QSignalSpy>
#include <QThread>
#include <QStandardPaths>
#include <QUrl>
#include <QWidget>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {
const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");

// Differs between neighbouring pixels in both directions, so a piece cut one pixel
// off, or scaled from the wrong origin, shows.
QRgb patternAt(int x, int y)
{
    return qRgb((x * 7 + y * 3) & 0xff, (y * 5 + x / 3) & 0xff, (x / 16 * 37 + y / 16 * 11) & 0xff);
}

QImage patternImage(const QSize &size, int scale = 1)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, patternAt(x / scale, y / scale));
    return image;
}

// Empty when equal, else the first pixel that differs.
QString firstDifference(const QImage &actual, const QImage &expected)
{
    if (actual.size() != expected.size())
        return QStringLiteral("size %1x%2 instead of %3x%4")
            .arg(actual.width()).arg(actual.height()).arg(expected.width()).arg(expected.height());
    for (int y = 0; y < actual.height(); ++y)
        for (int x = 0; x < actual.width(); ++x)
            if ((actual.pixel(x, y) & 0xffffff) != (expected.pixel(x, y) & 0xffffff))
                return QStringLiteral("pixel (%1, %2) is %3 instead of %4")
                    .arg(x).arg(y).arg(actual.pixel(x, y) & 0xffffff, 6, 16).arg(expected.pixel(x, y) & 0xffffff, 6, 16);
    return QString();
}

// What a display at `geometry` (logical) and `ratio` must get from a desktop picture
// drawn at scale 1 with the pattern: each logical pixel repeated ratio × ratio times.
QImage expectedPiece(const QRect &geometry, int ratio)
{
    QImage image(geometry.size() * ratio, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, patternAt(geometry.x() + x / ratio, geometry.y() + y / ratio));
    return image;
}

// Sends what the process writes on stderr to a file until lines() is called.
class StderrCapture
{
public:
    explicit StderrCapture(const QString &path)
        : m_path(path)
    {
        std::fflush(stderr);
        m_saved = dup(2);
        const int file = open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(file, 2);
        close(file);
    }
    ~StderrCapture() { restore(); }

    // Our own lines (Qt's warnings are left out).
    QStringList lines()
    {
        restore();
        QFile file(m_path);
        file.open(QIODevice::ReadOnly);
        QStringList ours;
        for (const QString &line : QString::fromLocal8Bit(file.readAll()).split(QLatin1Char('\n')))
            if (line.startsWith(QLatin1String("Vornik:")))
                ours.append(line);
        return ours;
    }

private:
    void restore()
    {
        if (m_saved < 0)
            return;
        std::fflush(stderr);
        dup2(m_saved, 2);
        close(m_saved);
        m_saved = -1;
    }
    QString m_path;
    int m_saved = -1;
};
} // namespace

// A portal back end's request object, which it keeps while it works on a request
// (GNOME's, while its dialog asks the user).
class FakeBackEndRequest : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.impl.portal.Request")
public slots:
    void Close() {}
};

// Stands in for the desktop portal, on a bus connection of its own as a real portal
// would be: answers Screenshot with the request handle and then (as told) emits the
// request's Response, before the call's reply is even sent.
class FakeScreenshotPortal : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Screenshot")
public:
    enum Mode { Answer, Silent };

    FakeScreenshotPortal()
        : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("fake-portal")))
    {
        // A back end is another process: it answers while the capture waits in a call.
        m_backEndRequest.moveToThread(&m_backEndThread);
        m_backEndThread.start();
    }
    ~FakeScreenshotPortal() override
    {
        m_backEndThread.quit();
        m_backEndThread.wait();
        stop();
        QDBusConnection::disconnectFromBus(QStringLiteral("fake-portal"));
    }

    bool start()
    {
        return m_bus.registerObject(kPortalPath, this, QDBusConnection::ExportAllSlots)
            && m_bus.registerService(kPortalService);
    }
    void stop()
    {
        m_bus.unregisterService(kPortalService);
        m_bus.unregisterObject(kPortalPath);
    }

    Mode mode = Answer;
    uint response = 0;
    // A back end of its own keeps a request object at each request's handle (as one
    // that asks the user does) until answer() or dropBackEnd().
    bool backEndAsks = false;
    QString fileToSend;

    QString writeWhenAsked;             // the desktop picture is written here at the call
    QImage desktopPicture;
    bool picturesFolderWhenAsked = false;

    int calls = 0;
    QString lastParent;
    QVariantMap lastOptions;
    QString lastHandle;

public slots:
    QDBusObjectPath Screenshot(const QString &parentWindow, const QVariantMap &options, const QDBusMessage &message)
    {
        ++calls;
        picturesFolderWhenAsked = QFileInfo(QStandardPaths::writableLocation(QStandardPaths::PicturesLocation)).isDir();
        if (!writeWhenAsked.isEmpty() && desktopPicture.save(writeWhenAsked, "PNG"))
            fileToSend = writeWhenAsked;
        lastParent = parentWindow;
        lastOptions = options;
        lastHandle = PortalScreenshot::requestPath(message.service(), options.value(QStringLiteral("handle_token")).toString());
        if (backEndAsks) {
            m_backEnd.registerObject(lastHandle, &m_backEndRequest, QDBusConnection::ExportAllSlots);
            m_backEnd.registerService(QStringLiteral("org.freedesktop.impl.portal.desktop.vorniktest"));
        }
        if (mode == Answer)
            answer(response);
        return QDBusObjectPath(lastHandle);
    }

public:
    void answer(uint code)
    {
        dropBackEnd();
        QDBusMessage signal = QDBusMessage::createSignal(lastHandle, QStringLiteral("org.freedesktop.portal.Request"),
                                                         QStringLiteral("Response"));
        QVariantMap results;
        if (code == 0)
            results.insert(QStringLiteral("uri"), QUrl::fromLocalFile(fileToSend).toString());
        signal << code << results;
        m_bus.send(signal);
    }
    void dropBackEnd() { m_backEnd.unregisterObject(lastHandle); }

private:
    QDBusConnection m_bus;
    QDBusConnection m_backEnd = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("fake-back-end"));
    FakeBackEndRequest m_backEndRequest;
    QThread m_backEndThread;
};

class PortalCaptureTest : public QObject
{
    Q_OBJECT

private:
    FakeScreenshotPortal portal;
    QString root = vtest::TestEnvironment::current()->root();
    std::shared_ptr<Notifier> m_notifier = std::make_shared<Notifier>(std::make_shared<Opener>());

    // Writes the whole-desktop picture (scale 1, the pattern) to `path` for the portal to send.
    void prepareDesktopFile(const QString &path)
    {
        QDir().mkpath(QFileInfo(path).path());
        QRect desktop;
        for (QScreen *screen : QGuiApplication::screens())
            desktop = desktop.united(screen->geometry());
        portal.desktopPicture = patternImage(desktop.size());
        QVERIFY(portal.desktopPicture.save(path, "PNG"));
        portal.fileToSend = path;
    }

    static bool anyOverlayVisible(ScreenCapture &sc)
    {
        return sc.openOverlayCount() > 0;
    }

    // One capture that must fail: no overlay, one line on stderr naming `reason`.
    void expectCleanFailure(ScreenCapture &sc, const QString &reason)
    {
        QSignalSpy shown(&sc, &ScreenCapture::overlaysShown);
        StderrCapture err(root + QStringLiteral("/stderr.txt"));
        sc.captureAllScreens();
        QVERIFY(shown.wait(15000));
        const QStringList lines = err.lines();
        QCOMPARE(shown.count(), 1);
        QCOMPARE(shown.at(0).at(0).toInt(), 0);
        QVERIFY(!anyOverlayVisible(sc));
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines.at(0).contains(reason), qPrintable(lines.at(0)));
    }

private slots:
    void initTestCase()
    {
        qputenv("VORNIK_CAPTURE_BACKEND", "portal");
        QVERIFY(portal.start());
        const auto screens = QGuiApplication::screens();
        QCOMPARE(screens.size(), 2);
        QCOMPARE(screens.at(1)->geometry(), QRect(320, 0, 200, 150));
        QCOMPARE(screens.at(1)->devicePixelRatio(), 2.0);
    }

    void init()
    {
        portal.mode = FakeScreenshotPortal::Answer;
        portal.response = 0;
        portal.calls = 0;
        portal.backEndAsks = false;
        portal.writeWhenAsked.clear();
    }

    void requestPathFollowsTheSendersName()
    {
        QCOMPARE(PortalScreenshot::requestPath(QStringLiteral(":1.42"), QStringLiteral("vornik1_ab")),
                 QStringLiteral("/org/freedesktop/portal/desktop/request/1_42/vornik1_ab"));
    }

    // A desktop picture at twice the logical size, displays off the origin: the ratio-2
    // display gets its pixels untouched, the ratio-1 one the reduced picture.
    void cuttingAPictureAtTwiceTheScale()
    {
        const QList<PortalScreenshot::DisplayArea> displays{{QRect(-64, 0, 64, 48), 1}, {QRect(0, 10, 40, 30), 2}};
        const QImage desktop = patternImage(QSize(208, 96), 2); // 2 × 2 blocks of one colour
        const QList<QImage> pieces = PortalScreenshot::cutDesktop(desktop, displays);
        QCOMPARE(pieces.size(), 2);
        QCOMPARE(pieces.at(0).devicePixelRatio(), 1.0);
        QCOMPARE(pieces.at(1).devicePixelRatio(), 2.0);
        QCOMPARE(firstDifference(pieces.at(0), patternImage(QSize(64, 48))), QString());
        QCOMPARE(firstDifference(pieces.at(1), desktop.copy(128, 20, 80, 60)), QString());
        QVERIFY(PortalScreenshot::cutDesktop(QImage(), displays).isEmpty());
    }

    // KWin's raw picture is read as its answer describes it (premultiplied ARGB rows
    // with padding), and an answer the bytes do not bear out is a failure, not a
    // picture read past its end.
    void kwinPicturesAreReadAsDescribed()
    {
        const QImage sent = patternImage(QSize(33, 7)).convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QByteArray pixels;
        for (int y = 0; y < sent.height(); ++y)
            pixels += QByteArray(reinterpret_cast<const char *>(sent.constScanLine(y)), 33 * 4) + QByteArray(8, '\0');
        QVariantMap results{{QStringLiteral("type"), QStringLiteral("raw")}, {QStringLiteral("width"), 33u},
                            {QStringLiteral("height"), 7u}, {QStringLiteral("stride"), 33u * 4 + 8},
                            {QStringLiteral("format"), uint(QImage::Format_ARGB32_Premultiplied)}};
        QString failure;
        QCOMPARE(firstDifference(KWinScreenShotCapture::pictureFrom(pixels, results, &failure), patternImage(QSize(33, 7))), QString());
        QVERIFY(failure.isEmpty());
        QVERIFY(KWinScreenShotCapture::pictureFrom(pixels.left(pixels.size() - 1), results, &failure).isNull());
        QVERIFY(!failure.isEmpty());
        for (const auto &[key, wrong] : {std::pair{"stride", QVariant(33u * 4 - 1)}, {"format", QVariant(999u)}, {"type", QVariant(QStringLiteral("png"))}}) {
            QVariantMap broken = results;
            broken.insert(QString::fromLatin1(key), wrong);
            failure.clear();
            QVERIFY2(KWinScreenShotCapture::pictureFrom(pixels, broken, &failure).isNull() && !failure.isEmpty(), key);
        }
    }

    // The file a portal names is removed once read, wherever it lies, when it was
    // written for this request; an older one is the user's and a link is never followed.
    void onlyFilesWrittenForTheRequestAreRemoved()
    {
        const QDateTime asked = QDateTime::currentDateTime();
        const QString inTmp = QDir::tempPath() + QStringLiteral("/shot.png");
        const QString users = root + QStringLiteral("/home/Pictures/Screenshot.png");
        const QString old = root + QStringLiteral("/home/Pictures/Holiday.png");
        const QString link = QDir::tempPath() + QStringLiteral("/link.png");
        for (const QString &path : {inTmp, users, old}) {
            QDir().mkpath(QFileInfo(path).path());
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QFile oldFile(old);
        QVERIFY(oldFile.open(QIODevice::ReadWrite));
        QVERIFY(oldFile.setFileTime(asked.addSecs(-60), QFileDevice::FileModificationTime));
        oldFile.close();
        QVERIFY(QFile::link(users, link));
        QVERIFY(PortalScreenshot::isDisposable(inTmp, asked));
        QVERIFY(PortalScreenshot::isDisposable(users, asked));
        QVERIFY(!PortalScreenshot::isDisposable(old, asked));
        QVERIFY(!PortalScreenshot::isDisposable(link, asked));
        QVERIFY(!PortalScreenshot::isDisposable(inTmp, QDateTime()));
        QVERIFY(!PortalScreenshot::isDisposable(QDir::tempPath(), asked));
        QVERIFY(!PortalScreenshot::isDisposable(QDir::tempPath() + QStringLiteral("/missing.png"), asked));
        QVERIFY(QFile::remove(link) && QFile::remove(old) && QFile::remove(users));
    }

    // The whole path: the portal is asked non-interactively with a fresh token, its
    // answer comes before the call's reply, and every display gets exactly its pixels.
    // The picture the portal wrote goes, in the temporary folder as in the user's
    // pictures (where KDE's back end saves); the pictures folder exists while the
    // portal works and is removed again when it was made for the request and is empty.
    void captureShowsEachDisplaysPartOfThePortalPicture()
    {
        QCOMPARE(makeCaptureBackend()->name(), QStringLiteral("portal"));
        const auto screens = QGuiApplication::screens();
        const QString temporary = QDir::tempPath() + QStringLiteral("/portal-screenshot.png");
        const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
        const QString users = pictures + QStringLiteral("/Screenshot from today.png");
        QString firstToken;
        for (const QString &file : {temporary, users}) {
            QDir(pictures).removeRecursively();
            prepareDesktopFile(file);
            if (file == temporary)
                portal.fileToSend.clear();   // written when asked, as a back end does
            portal.writeWhenAsked = file == temporary ? file : QString();
            ScreenCapture sc(m_notifier);
            QSignalSpy shown(&sc, &ScreenCapture::overlaysShown);
            sc.captureAllScreens();
            QVERIFY(shown.wait(15000));
            QCOMPARE(shown.at(0).at(0).toInt(), 2);
            QCOMPARE(portal.calls, 1);
            QCOMPARE(portal.lastParent, QString());
            QCOMPARE(portal.lastOptions.value(QStringLiteral("interactive")), QVariant(false));
            const QString token = portal.lastOptions.value(QStringLiteral("handle_token")).toString();
            QVERIFY(!token.isEmpty());
            QVERIFY(token != firstToken);
            firstToken = token;

            for (int i = 0; i < 2; ++i) {
                OverlayController *overlay = sc.overlay(i);
                const int ratio = int(screens.at(i)->devicePixelRatio());
                QCOMPARE(overlay->picture().devicePixelRatio(), qreal(ratio));
                QCOMPARE(firstDifference(overlay->picture(), expectedPiece(screens.at(i)->geometry(), ratio)), QString());
                QVERIFY(overlay->window()->isVisible());
            }
            QVERIFY(!QFile::exists(file));
            QVERIFY(portal.picturesFolderWhenAsked);
            // Made for the request (the first round) and left empty: gone again. The
            // second round's folder held the file before the request: it stays.
            QCOMPARE(QFileInfo::exists(pictures), file == users);
            sc.closeOverlays();
            portal.calls = 0;
        }
        // One display alone, its answer waited for: the same piece.
        prepareDesktopFile(temporary);
        portal.fileToSend.clear();
        portal.writeWhenAsked = temporary;
        const QImage single = makeCaptureBackend()->grabScreen(screens.at(1));
        QCOMPARE(firstDifference(single, expectedPiece(screens.at(1)->geometry(), int(screens.at(1)->devicePixelRatio()))), QString());
        QCOMPARE(makeCaptureBackend()->grabScreen(nullptr), QImage());
    }

    // The client listens for the answer before it asks: a portal may answer before the
    // call's reply arrives. The bus sees one client's messages in the order sent, so a
    // monitor shows the subscription (AddMatch) ahead of the Screenshot call.
    void listensBeforeAsking()
    {
        if (!vtest::haveProgram(QStringLiteral("dbus-monitor")))
            QSKIP("dbus-monitor is not installed");
        const QString log = root + QStringLiteral("/monitor.log");
        const QString rule = QStringLiteral("type='method_call',sender='%1'").arg(QDBusConnection::sessionBus().baseService());
        const pid_t monitor = vtest::spawn({QStringLiteral("dbus-monitor"), QStringLiteral("--address"),
                                            vtest::TestEnvironment::current()->busAddress(), rule},
                                           log);
        QVERIFY(monitor > 0);
        auto logText = [&log] {
            QFile file(log);
            return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
        };
        // The monitor is in place once it has given up its own name.
        QTRY_VERIFY_WITH_TIMEOUT(logText().contains(QLatin1String("NameLost")), 10000);

        prepareDesktopFile(QDir::tempPath() + QStringLiteral("/ordered.png"));
        ScreenCapture sc(m_notifier);
        QSignalSpy shown(&sc, &ScreenCapture::overlaysShown);
        sc.captureAllScreens();
        QVERIFY(shown.wait(15000));
        sc.closeOverlays();
        const QString subscription = QStringLiteral("path='%1'").arg(portal.lastHandle);
        QTRY_VERIFY_WITH_TIMEOUT(logText().contains(QLatin1String("member=Screenshot")), 10000);
        vtest::stop(monitor);
        const QString text = logText();
        const qsizetype subscribed = text.indexOf(subscription);
        QVERIFY2(subscribed >= 0, qPrintable(text));
        QVERIFY2(subscribed < text.indexOf(QLatin1String("member=Screenshot")), qPrintable(text));
    }

    void cancelledScreenshotShowsNothing()
    {
        portal.response = 1;
        ScreenCapture sc(m_notifier);
        expectCleanFailure(sc, QStringLiteral("cancelled"));
    }

    // A portal that never answers: the capture gives up after its limit, ignores a
    // second request meanwhile, and the next capture works again.
    void silentPortalTimesOut()
    {
        portal.mode = FakeScreenshotPortal::Silent;
        ScreenCapture sc(m_notifier);
        sc.setBackend(std::make_unique<PortalCapture>(400));
        QSignalSpy shown(&sc, &ScreenCapture::overlaysShown);
        StderrCapture err(root + QStringLiteral("/stderr.txt"));
        sc.captureAllScreens();
        sc.captureAllScreens();
        QVERIFY(shown.wait(15000));
        const QStringList lines = err.lines();
        QCOMPARE(portal.calls, 1);
        QCOMPARE(shown.count(), 1);
        QCOMPARE(shown.at(0).at(0).toInt(), 0);
        QVERIFY(!anyOverlayVisible(sc));
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines.at(0).contains(QLatin1String("did not answer")), qPrintable(lines.at(0)));

        portal.mode = FakeScreenshotPortal::Answer;
        prepareDesktopFile(QDir::tempPath() + QStringLiteral("/again.png"));
        shown.clear();
        sc.captureAllScreens();
        QVERIFY(shown.wait(15000));
        QCOMPARE(shown.at(0).at(0).toInt(), 2);
        sc.closeOverlays();
    }

    // A back end that asks the user keeps the capture waiting past its limit, said once;
    // the user's refusal is told as one, and a late permission still shows the overlays.
    // A dialog that closes without the portal answering ends the wait.
    void captureWaitsWhileTheUserIsAsked()
    {
        NotificationRecorder notifications;
        QVERIFY(notifications.isRegistered());
        portal.mode = FakeScreenshotPortal::Silent;
        portal.backEndAsks = true;
        ScreenCapture sc(m_notifier);
        sc.setBackend(std::make_unique<PortalCapture>(300));
        QSignalSpy shown(&sc, &ScreenCapture::overlaysShown);
        StderrCapture err(root + QStringLiteral("/stderr.txt"));
        sc.captureAllScreens();
        QTRY_COMPARE_WITH_TIMEOUT(notifications.received.size(), 1, 5000);
        QCOMPARE(notifications.received.at(0).summary, QStringLiteral("Waiting for permission"));
        QVERIFY(!shown.wait(1000));   // three limits later, still waiting, said once
        QCOMPARE(notifications.received.size(), 1);
        portal.answer(2);
        QVERIFY(shown.wait(5000));
        QCOMPARE(shown.at(0).at(0).toInt(), 0);
        QTRY_COMPARE(notifications.received.size(), 2);
        QCOMPARE(notifications.received.at(1).summary, QStringLiteral("Screenshot not allowed"));
        QStringList lines = err.lines();
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines.at(0).contains(QLatin1String("did not allow")), qPrintable(lines.at(0)));

        prepareDesktopFile(QDir::tempPath() + QStringLiteral("/late.png"));
        shown.clear();
        sc.captureAllScreens();
        QTRY_COMPARE_WITH_TIMEOUT(notifications.received.size(), 3, 5000);
        portal.answer(0);
        QVERIFY(shown.wait(5000));
        QCOMPARE(shown.at(0).at(0).toInt(), 2);
        sc.closeOverlays();

        shown.clear();
        StderrCapture lost(root + QStringLiteral("/stderr2.txt"));
        sc.captureAllScreens();
        QTRY_COMPARE_WITH_TIMEOUT(notifications.received.size(), 4, 5000);
        portal.dropBackEnd();
        QVERIFY(shown.wait(5000));
        QCOMPARE(shown.at(0).at(0).toInt(), 0);
        lines = lost.lines();
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines.at(0).contains(QLatin1String("dialog closed")), qPrintable(lines.at(0)));
    }

    void unreadablePictureIsAFailure()
    {
        const QString broken = QDir::tempPath() + QStringLiteral("/broken.png");
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a picture");
        file.close();
        portal.fileToSend = broken;
        ScreenCapture sc(m_notifier);
        expectCleanFailure(sc, QStringLiteral("cannot read"));
    }

    // The test's bus starts nothing of the desktop's (its real portal, installed on
    // any GNOME or KDE machine, would answer in place of the stand-in), only what
    // the test's own service folder names.
    void busActivatesOnlyTheTestsOwnServices()
    {
        QDBusConnectionInterface *bus = QDBusConnection::sessionBus().interface();
        const QStringList before = bus->activatableServiceNames().value();
        QVERIFY2(!before.contains(kPortalService), qPrintable(before.join(QLatin1Char(' '))));
        QVERIFY2(before == QStringList{QStringLiteral("org.freedesktop.DBus")}, qPrintable(before.join(QLatin1Char(' '))));

        const QString folder = vtest::TestEnvironment::current()->serviceFolder();
        QFile service(folder + QStringLiteral("/org.example.VornikTestService.service"));
        QVERIFY(service.open(QIODevice::WriteOnly));
        service.write("[D-BUS Service]\nName=org.example.VornikTestService\nExec=/bin/true\n");
        service.close();
        const QDBusMessage reload = QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("ReloadConfig")));
        QCOMPARE(reload.type(), QDBusMessage::ReplyMessage);
        QVERIFY(bus->activatableServiceNames().value().contains(QStringLiteral("org.example.VornikTestService")));
        QVERIFY(service.remove());
    }

    // The desktop has a capture back end while the portal is on the bus.
    void recordingPermittedOnlyWithThePortal()
    {
        const AppServices desktop = AppServices::standard();
        QVERIFY(desktop.captureBackendPresent());
        portal.stop();
        QTRY_VERIFY_WITH_TIMEOUT(!QDBusConnection::sessionBus().interface()->isServiceRegistered(kPortalService), 10000);
        QVERIFY(!desktop.captureBackendPresent());

        ScreenCapture sc(m_notifier);
        expectCleanFailure(sc, QStringLiteral("refused"));
        QVERIFY(portal.start());
    }
};

VORNIK_TEST_MAIN(PortalCaptureTest,
                 (vtest::EnvironmentOptions{.offscreenScreens = {{QRect(0, 0, 320, 240), 1}, {QRect(320, 0, 200, 150), 2}}}))
#include "portal_capture_test.moc"
