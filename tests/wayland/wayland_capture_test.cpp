// The capture path on a real Wayland compositor: `vornik --capture` on headless sway,
// KWin or GNOME Shell (VORNIK_TEST_COMPOSITOR; CTest runs it once on each) with the
// real xdg-desktop-portal and that desktop's back ends, one overlay per output, a real
// drag, and what copy, save and upload deliver compared pixel for pixel with the
// portal's own picture of the desktop. Vornik reads the screen through the compositor's
// own interface where it has one (screencopy on sway, ScreenShot2 on KWin, as its
// capture trace shows) and through the portal on GNOME, with VORNIK_CAPTURE_BACKEND=portal
// (CTest's wayland_capture_test_portal) or when KWin refuses it.
#include "tests/harness/TestMain.h"
#include "tests/harness/ServerProcess.h"
#include "tests/harness/WaylandSessionSupport.h"
#include "tests/wayland/WaylandTestSupport.h"

#include <QBuffer>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QElapsedTimer>
#include <memory>

namespace {
// The outputs, left to right. KWin's virtual outputs are all of one size.
QList<QSize> outputSizes(vtest::Compositor compositor)
{
    if (compositor == vtest::Compositor::KWin)
        return {QSize(1280, 720), QSize(1280, 720)};
    return {QSize(1280, 720), QSize(800, 600)};
}

// The pointer rests here between drags; what lies under the cursor is not compared.
const QPoint kParked(4, 4);
const QRect kCursorBox(0, 0, 64, 64);
} // namespace

class WaylandCaptureTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<vtest::WaylandSession> session;
    std::unique_ptr<wtest::VornikProcess> vornik;
    vtest::ServerProcess server;
    QImage desktop;   // the portal's picture of the desktop before Vornik ran
    QString kFirst, kSecond;          // the outputs' names, left to right
    QRect kFirstArea, kSecondArea;    // and their places in the layout

    bool onSway() const { return session->compositor() == vtest::Compositor::Sway; }

    // The compositor's own capture where it has one, unless VORNIK_CAPTURE_BACKEND=portal
    // asks for the portal alone (which leaves no "grabbed-by-" line in the trace).
    QString expectedBackend() const
    {
        if (qEnvironmentVariable("VORNIK_CAPTURE_BACKEND") == QLatin1String("portal"))
            return QString();
        switch (session->compositor()) {
        case vtest::Compositor::Sway: return QStringLiteral("screencopy");
        case vtest::Compositor::KWin: return QStringLiteral("kwin");
        case vtest::Compositor::Gnome: return QString();
        }
        return QString();
    }

    // Runs `vornik --capture` and waits until each output shows an overlay of Vornik,
    // full screen on that output; returns how long that took (ms), or -1.
    qint64 captureAndWaitForOverlays(const QMap<QString, QRect> &outputs)
    {
        QElapsedTimer clock;
        clock.start();
        const qint64 pid = vornik->capture();
        const bool shown = QTest::qWaitFor([&] {
            const auto windows = wtest::windowsOf(*session, pid);
            if (windows.size() != outputs.size())
                return false;
            for (auto output = outputs.cbegin(); output != outputs.cend(); ++output) {
                const vtest::WaylandWindow window = windows.value(output.key());
                if (!window.fullscreen || window.rect != output.value())
                    return false;
            }
            return true;
        }, 15000);
        if (!shown) {
            for (const vtest::WaylandWindow &window : session->visibleWindows())
                qInfo("window of pid %lld on %s at %d,%d %dx%d%s: %s", window.pid, qPrintable(window.output), window.rect.x(),
                      window.rect.y(), window.rect.width(), window.rect.height(), window.fullscreen ? " full screen" : "",
                      qPrintable(window.title));
        }
        return shown ? clock.elapsed() : -1;
    }

    bool overlaysClosed() const
    {
        return QTest::qWaitFor([&] { return wtest::windowsOf(*session, vornik->pid()).isEmpty(); }, 5000);
    }

    // Waits until `output` shows `expected` (the window may take a frame or two).
    QString waitForPicture(const QString &output, const QImage &expected, const QRect &ignored = QRect())
    {
        QString difference;
        (void)QTest::qWaitFor([&] {
            difference = wtest::firstDifference(session->outputPicture(output), expected, ignored);
            return difference.isEmpty();
        }, 10000);
        return difference;
    }

    // Drags from `from` to `to` (layout coordinates, on `output` whose top left is
    // `origin`) until the overlay shows a selection there; the region selected. The
    // dragged corner lands a border's width (10 points) past the pointer.
    QRect dragSelection(const QString &output, const QPoint &origin, const QPoint &from, const QPoint &to, qreal scale = 1)
    {
        const QPoint probe = from + QPoint(15, 15) - origin;
        for (int attempt = 1; attempt <= 3; ++attempt) {
            const QRgb before = session->outputPicture(output).pixel((QPointF(probe) * scale).toPoint());
            if (!session->drag(from, to))
                return QRect();
            if (QTest::qWaitFor([&] { return session->outputPicture(output).pixel((QPointF(probe) * scale).toPoint()) != before; }, 3000))
                return QRect(from, to + QPoint(10, 10) - QPoint(1, 1));
            // A press that follows the pointer's entry into a surface within a few
            // milliseconds is lost (sway 1.7 and Qt 6.4; a 300 ms pause, far quicker
            // than a hand, never lost one here): the drag is made again.
            qInfo("the drag from (%d, %d) made no selection (attempt %d)", from.x(), from.y(), attempt);
            session->movePointer(kParked);
        }
        return QRect();
    }

    QImage pastedPng()
    {
        return QImage::fromData(session->paste(QStringLiteral("image/png")), "PNG").convertToFormat(QImage::Format_RGB32);
    }

private slots:
    void initTestCase()
    {
        const QString root = vtest::TestEnvironment::current()->root();
        const QList<QSize> sizes = outputSizes(vtest::compositorUnderTest());
        QVERIFY(vtest::wayland::grantKWinScreenshots(qEnvironmentVariable("VORNIK_BINARY")));
        session = std::make_unique<vtest::WaylandSession>(
            root, QList<vtest::WaylandOutput>{{sizes.at(0), wtest::wallpaper(sizes.at(0), 0)},
                                              {sizes.at(1), wtest::wallpaper(sizes.at(1), 90)}});
        // A desktop that cannot start here fails the test with the reason.
        QVERIFY2(session->isRunning(), qPrintable(session->failure()));
        qInfo("%s session started: %s", qPrintable(vtest::compositorName(session->compositor())),
              qPrintable(session->startTimes().join(QStringLiteral(", "))));
        const QList<vtest::WaylandOutputState> outputs = session->outputs();
        QCOMPARE(outputs.size(), 2);
        kFirst = outputs.at(0).name;
        kFirstArea = outputs.at(0).rect;
        kSecond = outputs.at(1).name;
        kSecondArea = outputs.at(1).rect;
        QCOMPARE(kFirstArea, QRect(QPoint(0, 0), sizes.at(0)));
        QCOMPARE(kSecondArea, QRect(QPoint(sizes.at(0).width(), 0), sizes.at(1)));
        QVERIFY(session->movePointer(kParked));
        QString failure;
        desktop = session->portalScreenshot(&failure);
        QVERIFY2(!desktop.isNull(), qPrintable(failure));
        // The reference once the desktop shows just the wallpapers (GNOME Shell fades
        // its top bar out over the full-screen wallpaper for a while after start, a
        // level or two above the first output's top row for a few seconds more).
        const auto justWallpapers = [&] {
            return wtest::firstDifference(desktop.copy(kFirstArea), wtest::wallpaper(sizes.at(0), 0), kCursorBox).isEmpty()
                   && wtest::firstDifference(desktop.copy(kSecondArea), wtest::wallpaper(sizes.at(1), 90)).isEmpty();
        };
        (void)QTest::qWaitFor([&] {
            desktop = session->portalScreenshot(&failure);
            return desktop.isNull() || justWallpapers();
        }, 20000);
        QVERIFY2(!desktop.isNull(), qPrintable(failure));
        QCOMPARE(desktop.size(), QSize(sizes.at(0).width() + sizes.at(1).width(), 720));
        // Any portal file seen later was left by Vornik's captures.
        QCOMPARE(session->portalLeftovers(), QStringList());
        // Uploads go to a vornik-server of the test's own; Vornik inherits these.
        QVERIFY(server.start());
        qputenv("VORNIK_SERVICE_URL", server.baseUrl().toUtf8());
        qputenv("VORNIK_CA_FILE", server.caFile().toUtf8());
        vornik = std::make_unique<wtest::VornikProcess>(*session, root);
    }

    void cleanupTestCase()
    {
        if (vornik && QTest::currentTestFailed())
            qInfo("Vornik said:\n%s", qPrintable(vornik->log()));
        vornik.reset();
        session.reset();
    }

    // The clipboard as the tests read it works on this desktop: a text another client
    // offers is pasted back (else the copy checks below say nothing of Vornik).
    void clipboardControl()
    {
        QString pasted;
        QVERIFY2(session->clipboardWorks(&pasted), qPrintable(QStringLiteral("the harness cannot paste here; pasted: ") + pasted));
    }

    // One overlay per output, full screen on it, showing that output's own picture.
    void overlayOnEachOutput()
    {
        const qint64 ms = captureAndWaitForOverlays({{kFirst, kFirstArea}, {kSecond, kSecondArea}});
        QVERIFY2(ms >= 0, qPrintable(vornik->log()));
        qInfo("capture request -> every overlay shown (first capture, Vornik starting): %lld ms", ms);
        // Taken by the backend this desktop should use, without falling back.
        const QString log = vornik->log();
        if (expectedBackend().isEmpty())
            QVERIFY2(!log.contains(QLatin1String("vornik-trace grabbed-by-")), qPrintable(log));
        else
            QVERIFY2(log.contains(QStringLiteral("vornik-trace grabbed-by-%1 ").arg(expectedBackend())), qPrintable(log));
        QCOMPARE(waitForPicture(kFirst, desktop.copy(kFirstArea), kCursorBox), QString());
        QCOMPARE(waitForPicture(kSecond, desktop.copy(kSecondArea)), QString());
    }

    // A real drag on the second output, then Ctrl+C: the Wayland clipboard holds the
    // region, pixel for pixel, and still does once the overlays are gone.
    void dragAndCopy()
    {
        const QRect region = dragSelection(kSecond, kSecondArea.topLeft(), {kSecondArea.x() + 100, 80}, {kSecondArea.x() + 340, 260});
        QCOMPARE(region.size(), QSize(250, 190));
        QVERIFY(session->keys({QStringLiteral("ctrl"), QStringLiteral("c")}));
        QVERIFY(overlaysClosed());
        QImage pasted;
        QVERIFY2(QTest::qWaitFor([&] { return !(pasted = pastedPng()).isNull(); }, 5000), qPrintable(vornik->log()));
        QCOMPARE(wtest::firstDifference(pasted, desktop.copy(region)), QString());
        // Reported as copied once the compositor kept the selection (no notification
        // server here: the words go to stderr), and never as failed.
        QVERIFY2(QTest::qWaitFor([&] { return vornik->log().contains(QLatin1String("Your image was saved to the clipboard.")); }, 5000),
                 qPrintable(vornik->log()));
        QVERIFY2(!vornik->log().contains(QLatin1String("Clipboard Error")), qPrintable(vornik->log()));
        QVERIFY(session->movePointer(kParked));
    }

    // Save writes the selected region, pixel for pixel, into the pictures folder.
    void dragAndSave()
    {
        QVERIFY(captureAndWaitForOverlays({{kFirst, kFirstArea}, {kSecond, kSecondArea}}) >= 0);
        const QRect region = dragSelection(kFirst, kFirstArea.topLeft(), {200, 150}, {520, 400});
        QVERIFY(!region.isEmpty());
        // To look at: the overlays with a selection, as the compositor shows them.
        if (const QString shots = qEnvironmentVariable("VORNIK_TEST_SHOT_DIR"); !shots.isEmpty())
            session->portalScreenshot().save(shots + QStringLiteral("/overlay-%1.png").arg(qEnvironmentVariable("VORNIK_TEST_COMPOSITOR", QStringLiteral("sway"))));
        QVERIFY(session->keys({QStringLiteral("ctrl"), QStringLiteral("s")}));
        QVERIFY(overlaysClosed());
        QString saved;
        QVERIFY2(QTest::qWaitFor([&] {
            QFile opened(vornik->openedLog());
            saved = opened.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(opened.readAll()).trimmed() : QString();
            return !saved.isEmpty();
        }, 5000), qPrintable(vornik->log()));
        const QString path = QUrl(saved).isLocalFile() ? QUrl(saved).toLocalFile() : saved;
        QVERIFY2(path.startsWith(QDir::homePath()), qPrintable(path));
        QCOMPARE(wtest::firstDifference(QImage(path).convertToFormat(QImage::Format_RGB32), desktop.copy(region)), QString());
        // The earlier copy is still on the clipboard: Vornik kept it while it ran.
        QCOMPARE(pastedPng().size(), QSize(250, 190));
        QVERIFY(session->movePointer(kParked));
    }

    // The upload button: the server keeps the region's pixels and the link is on the
    // Wayland clipboard, put there after the overlays closed.
    void dragAndUpload()
    {
        const qsizetype logBefore = vornik->log().size();   // what this upload adds
        QVERIFY(captureAndWaitForOverlays({{kFirst, kFirstArea}, {kSecond, kSecondArea}}) >= 0);
        const QRect region = dragSelection(kFirst, kFirstArea.topLeft(), {640, 300}, {900, 500});
        QVERIFY(!region.isEmpty());
        // The buttons stand in a column inside the box's upper right corner, a border's
        // width (10) in: edit, save, upload, copy, cancel, each 22 x 21.
        const QPoint upload(region.right() - 20, region.top() + 10 + 2 * 21 + 10);
        QVERIFY(session->movePointer(upload) && session->pressButton() && session->releaseButton());
        QVERIFY(overlaysClosed());
        QString link;
        QVERIFY2(QTest::qWaitFor([&] {
            link = QString::fromUtf8(session->paste(QStringLiteral("text/plain")));
            return link.endsWith(QLatin1String(".png"));
        }, 20000), qPrintable(vornik->log() + link));
        QVERIFY2(link.startsWith(QStringLiteral("https://") + server.publicHost() + QLatin1Char('/')), qPrintable(link));
        const QImage uploaded = QImage::fromData(vtest::fetchUrl(QUrl(server.baseUrl() + QStringLiteral("raw/") + QUrl(link).fileName())), "PNG");
        QCOMPARE(wtest::firstDifference(uploaded.convertToFormat(QImage::Format_RGB32), desktop.copy(region)), QString());
        QVERIFY2(QTest::qWaitFor([&] { return vornik->log().contains(QLatin1String("URL to image was copied to clipboard.")); }, 5000),
                 qPrintable(vornik->log()));
        QVERIFY2(!vornik->log().mid(logBefore).contains(QLatin1String("Clipboard Error")), qPrintable(vornik->log()));
        QVERIFY(session->movePointer(kParked));
    }

    void escapeClosesEveryOverlay()
    {
        QVERIFY(captureAndWaitForOverlays({{kFirst, kFirstArea}, {kSecond, kSecondArea}}) >= 0);
        QVERIFY(session->keys({QStringLiteral("Escape")}));
        QVERIFY(overlaysClosed());
    }

    // Plays the user's part in System Settings, which KDE Plasma 5.27's portal opens for
    // it: the portal registers Vornik's shortcuts with kglobalaccel without keys; the
    // first gets Ctrl+Shift+9, which System Settings records as KWin matches it, as
    // Ctrl+( on a US layout (Shift is taken up by the key). What was found, in `found`.
    bool assignKWinShortcut(QString *found)
    {
        const QString service = QStringLiteral("org.kde.kglobalaccel");
        QDBusConnection bus = QDBusConnection::connectToBus(session->busAddress(), QStringLiteral("kglobalaccel-user"));
        const QDBusMessage listed = bus.call(QDBusMessage::createMethodCall(service, QStringLiteral("/kglobalaccel"),
                                                                            QStringLiteral("org.kde.KGlobalAccel"), QStringLiteral("allComponents")));
        for (const QDBusObjectPath &component : qdbus_cast<QList<QDBusObjectPath>>(listed.arguments().value(0))) {
            const QDBusMessage names = bus.call(QDBusMessage::createMethodCall(service, component.path(),
                                                                               QStringLiteral("org.kde.kglobalaccel.Component"), QStringLiteral("shortcutNames")));
            const QStringList shortcuts = names.arguments().value(0).toStringList();
            if (!shortcuts.contains(QStringLiteral("capture1")))
                continue;
            *found = component.path() + QLatin1Char(' ') + shortcuts.join(QLatin1Char(',')) + QLatin1Char('\n');
            const QString unique = component.path().section(QLatin1Char('/'), -1);
            QDBusMessage assign = QDBusMessage::createMethodCall(service, QStringLiteral("/kglobalaccel"), QStringLiteral("org.kde.KGlobalAccel"),
                                                                 QStringLiteral("setForeignShortcut"));
            assign << QStringList{unique, QStringLiteral("capture1"), unique, QString()}
                   << QVariant::fromValue(QList<int>{(Qt::CTRL | Qt::Key_ParenLeft).toCombined()});
            return bus.call(assign).type() == QDBusMessage::ReplyMessage;
        }
        return false;
    }

    // KWin's GlobalShortcuts portal binds Vornik's hot key: Ctrl+Shift+9 shows the overlays.
    void hotKeyThroughTheShortcutsPortal()
    {
        if (session->compositor() != vtest::Compositor::KWin)
            QSKIP("of these desktops' portals only KDE's offers global shortcuts");
        QString found;
        QVERIFY2(QTest::qWaitFor([&] { found.clear(); return assignKWinShortcut(&found); }, 10000), qPrintable(found + vornik->log()));
        QVERIFY2(QTest::qWaitFor([&] {
            (void)session->keys({QStringLiteral("ctrl"), QStringLiteral("shift"), QStringLiteral("9")});
            return QTest::qWaitFor([&] { return wtest::windowsOf(*session, vornik->pid()).size() == 2; }, 3000);
        }, 10000), qPrintable(found + vornik->log()));
        QVERIFY(session->keys({QStringLiteral("Escape")}));
        QVERIFY(overlaysClosed());
    }

    // `vornik` while Vornik runs opens its window with the status menu's entries (the
    // way in where there is no tray).
    void secondStartOpensTheLauncherWindow()
    {
        vornik->start();
        vtest::WaylandWindow window;
        QVERIFY2(QTest::qWaitFor([&] {
            for (const vtest::WaylandWindow &shown : session->visibleWindows())
                if (shown.pid == vornik->pid() && shown.title == QLatin1String("Vornik") && shown.rect.width() > 100)
                    window = shown;
            return !window.id.isEmpty();
        }, 10000), qPrintable(vornik->log()));
        // To look at, once drawn.
        if (const QString shots = qEnvironmentVariable("VORNIK_TEST_SHOT_DIR"); !shots.isEmpty()) {
            QImage shown;
            (void)QTest::qWaitFor([&] { return (shown = session->portalScreenshot()) != desktop; }, 5000);
            shown.save(shots + QStringLiteral("/launcher-%1.png").arg(qEnvironmentVariable("VORNIK_TEST_COMPOSITOR", QStringLiteral("sway"))));
        }
        QVERIFY(session->closeWindow(window));
        QVERIFY(overlaysClosed());
    }

    // The files the portal's back end wrote for Vornik's captures are gone.
    void noPortalFileLeftBehind()
    {
        QCOMPARE(session->portalLeftovers(), QStringList());
    }

    // Enter opens the selection in the editor, a window of its own on Wayland too.
    void enterOpensTheEditor()
    {
        QVERIFY(captureAndWaitForOverlays({{kFirst, kFirstArea}, {kSecond, kSecondArea}}) >= 0);
        QVERIFY(!dragSelection(kFirst, kFirstArea.topLeft(), {300, 200}, {600, 420}).isEmpty());
        QVERIFY(session->keys({QStringLiteral("Return")}));
        vtest::WaylandWindow editor;
        QVERIFY2(QTest::qWaitFor([&] {
            editor = vtest::WaylandWindow();
            int overlays = 0;
            for (const vtest::WaylandWindow &window : session->visibleWindows()) {
                if (window.pid != vornik->pid())
                    continue;
                if (window.title == QLatin1String("Vornik editor"))
                    editor = window;
                overlays += window.fullscreen;
            }
            return !editor.id.isEmpty() && overlays == 0;
        }, 10000), qPrintable(vornik->log()));
        // Closed as the compositor closes a window; nothing was changed, so nothing is asked.
        QVERIFY(session->closeWindow(editor));
        QVERIFY(overlaysClosed());
        QVERIFY(session->movePointer(kParked));
    }

    // A compositor interface that refuses Vornik costs nothing visible: KWin refuses a
    // program no desktop entry names (a copy of Vornik elsewhere), and that capture goes
    // through the portal, to the same pixels.
    void refusedCaptureFallsBackToThePortal()
    {
        if (session->compositor() != vtest::Compositor::KWin)
            QSKIP("only KWin refuses a program by its desktop entry");
        const QString root = vtest::TestEnvironment::current()->root() + QStringLiteral("/unlisted");
        QVERIFY(QDir().mkpath(root));
        const QString copy = root + QStringLiteral("/vornik");
        QVERIFY(QFile::copy(qEnvironmentVariable("VORNIK_BINARY"), copy));
        QVERIFY(QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        vornik = std::make_unique<wtest::VornikProcess>(*session, root, copy);
        QVERIFY2(captureAndWaitForOverlays({{kFirst, kFirstArea}, {kSecond, kSecondArea}}) >= 0, qPrintable(vornik->log()));
        QCOMPARE(waitForPicture(kFirst, desktop.copy(kFirstArea), kCursorBox), QString());
        QCOMPARE(waitForPicture(kSecond, desktop.copy(kSecondArea)), QString());
        QVERIFY2(vornik->log().contains(QLatin1String("the kwin capture failed")), qPrintable(vornik->log()));
        QVERIFY2(vornik->log().contains(QLatin1String("vornik-trace grabbed-by-portal ")), qPrintable(vornik->log()));
        QVERIFY(session->keys({QStringLiteral("Escape")}));
        QVERIFY(overlaysClosed());
    }

    // An output at scale 2: its overlay covers it in logical pixels and shows its
    // picture at full device resolution; a copy from it keeps every device pixel.
    void outputAtScaleTwo()
    {
        if (!onSway())
            QSKIP("the harness sets an output's scale through sway's IPC only");
        QVERIFY(session->swaymsg({QStringLiteral("output"), kSecond, QStringLiteral("scale"), QStringLiteral("2")}));
        const QRect scaledArea(kSecondArea.topLeft(), kSecondArea.size() / 2);
        QVERIFY(QTest::qWaitFor([&] {
            for (const vtest::WaylandOutputState &output : session->outputs())
                if (output.name == kSecond)
                    return output.rect == scaledArea;
            return false;
        }, 5000));
        QVERIFY(session->movePointer(kParked));
        QString failure;
        const QImage scaledDesktop = session->portalScreenshot(&failure);
        QVERIFY2(!scaledDesktop.isNull(), qPrintable(failure));
        // The portal's picture is at the largest scale of any output.
        QCOMPARE(scaledDesktop.size(), QSize(2 * (kFirstArea.width() + scaledArea.width()), 2 * kFirstArea.height()));
        const QRect deviceArea(scaledArea.topLeft() * 2, scaledArea.size() * 2);

        QVERIFY(captureAndWaitForOverlays({{kFirst, kFirstArea}, {kSecond, scaledArea}}) >= 0);
        QCOMPARE(waitForPicture(kSecond, scaledDesktop.copy(deviceArea)), QString());

        const QRect region = dragSelection(kSecond, scaledArea.topLeft(), {scaledArea.x() + 50, 40}, {scaledArea.x() + 250, 190}, 2);
        QVERIFY(!region.isEmpty());   // logical
        QVERIFY(session->keys({QStringLiteral("ctrl"), QStringLiteral("c")}));
        QVERIFY(overlaysClosed());
        QImage pasted;
        QVERIFY(QTest::qWaitFor([&] { pasted = pastedPng(); return pasted.size() == region.size() * 2; }, 5000));
        QCOMPARE(wtest::firstDifference(pasted, scaledDesktop.copy(QRect(region.topLeft() * 2, region.size() * 2))), QString());
    }
};

VORNIK_TEST_MAIN(WaylandCaptureTest, (vtest::EnvironmentOptions{.dbus = false}))
#include "wayland_capture_test.moc"
