#include "tests/harness/TestMain.h"

#include "app/TrayApp.h"
#include "capture/OverlayController.h"
#include "capture/OverlayWindow.h"
#include "capture/ScreenCapture.h"
#include "capture/SelectionView.h"
#include "platform/TopLevelWindows.h"
#include "editor/EditorWindow.h"
#include "helpers/PinWindow.h"
#include "platform/Preferences.h"
#include "helpers/TempFolder.h"
#include "helpers/DisplayInfo.h"
#include "platform/ScreenGrabBackend.h"
#include "tests/capture/CaptureTestSupport.h"
#include "tests/harness/FakeAppServices.h"
#include "tests/harness/NotificationRecorder.h"
#include "tests/harness/OverlayDriver.h"
#include "tests/harness/ServerProcess.h"

#include <QClipboard>
#include <QDir>
#include <QMimeData>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLockFile>
#include <QtGui/qguiapplication_platform.h>
#include <QRegularExpression>
#include <QUrl>
#include <QSignalSpy>
#include <QToolButton>
#include <QWindow>

#include <cstdlib>
#include <xcb/xcb.h>

using namespace capturetest;
using vtest::clipboardBytes;

// Captures on a real X server cut into four displays, driven with real X input, with
// the application's own capture service and what it does with a choice. The slots run
// in order: four displays first, then monitors are taken away.
class OverlayTest : public QObject
{
    Q_OBJECT
    vtest::FakeAppServices m_services;

    TrayApp *app = nullptr;
    ScreenCapture *sc = nullptr;
    PatternWindow *pattern = nullptr;
    vtest::ServerProcess server;
    pid_t windowManager = -1;
    QWidget *target = nullptr; // the window the window-picking tests pick
    qint64 scriptsVornik = 0;  // the Vornik the first script started, which answers every later one

    // The frame of `window` as the window manager says: the window's place on the
    // root (xwininfo) grown by its _NET_FRAME_EXTENTS (xprop); null before it has them.
    static QRect frameFromWindowManager(WId window)
    {
        QString place, extents;
        vtest::run({"xwininfo", "-id", QString::number(window)}, &place);
        vtest::run({"xprop", "-id", QString::number(window), "_NET_FRAME_EXTENTS"}, &extents);
        const auto value = [&place](const char *name) {
            return QRegularExpression(QLatin1String(name) + QStringLiteral(":\\s+(-?\\d+)")).match(place).captured(1).toInt();
        };
        const QRegularExpressionMatch sides =
            QRegularExpression(QStringLiteral("= (\\d+), (\\d+), (\\d+), (\\d+)")).match(extents);
        if (!sides.hasMatch())
            return QRect();
        return QRect(value("Absolute upper-left X"), value("Absolute upper-left Y"), value("Width"), value("Height"))
            .adjusted(-sides.captured(1).toInt(), -sides.captured(3).toInt(), sides.captured(2).toInt(),
                      sides.captured(4).toInt());
    }

    static QByteArray readAll(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QList<OverlayController *> controllers() const
    {
        QList<OverlayController *> overlays;
        for (int i = 0; i < sc->overlayCount(); ++i)
            overlays << sc->overlay(i);
        return overlays;
    }

    int openOverlays() const { return sc->openOverlayCount(); }

    // Captures and waits until every overlay shown has painted its picture.
    void captureAndWait(int expectedOverlays)
    {
        QList<QSignalSpy *> spies;
        for (OverlayController *c : controllers())
            spies << new QSignalSpy(c->window()->view(), &SelectionView::painted);
        sc->captureAllScreens();
        QTRY_COMPARE_WITH_TIMEOUT(openOverlays(), expectedOverlays, 10000);
        for (int i = 0; i < expectedOverlays; ++i)
            QTRY_VERIFY_WITH_TIMEOUT(spies.at(i)->count() > 0, 10000);
        qDeleteAll(spies);
    }

    void setMonitorCount(int count)
    {
        static const char *names[] = {"A", "B", "C", "D"};
        for (int i = int(QGuiApplication::screens().size()); i > count; --i)
            QCOMPARE(vtest::run({QStringLiteral("xrandr"), QStringLiteral("--delmonitor"), QLatin1String(names[i - 1])}), 0);
        QTRY_COMPARE_WITH_TIMEOUT(int(QGuiApplication::screens().size()), count, 10000);
    }

    void closeAll()
    {
        sc->closeOverlays();
        QTRY_COMPARE_WITH_TIMEOUT(openOverlays(), 0, 5000);
    }

private slots:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::screens().size(), 4);
        // The sharing service the scripts' uploads go to, and the Vornik they start.
        QVERIFY(server.start());
        qputenv("VORNIK_SERVICE_URL", server.baseUrl().toUtf8());
        qputenv("VORNIK_CA_FILE", server.caFile().toUtf8());
        app = new TrayApp(m_services.services());
        sc = app->screenCapture;
        pattern = new PatternWindow(QRect(0, 0, 3840, 2160));
        pattern->show();
        QTRY_VERIFY_WITH_TIMEOUT(pattern->paintedOnce, 10000);
        // Make sure the pattern has reached the server before any grab.
        QTRY_VERIFY_WITH_TIMEOUT(firstDifference(ScreenGrabBackend().grabScreen(QGuiApplication::screens().at(0)),
                                                 expectedPattern(QRect(0, 0, 1920, 1080))).isEmpty(), 10000);
    }

    void cleanupTestCase()
    {
        vtest::stop(windowManager);
        delete target;
        server.stop();
        delete pattern;
        delete app;
    }

    void displaysHaveStableIds()
    {
        const auto screens = QGuiApplication::screens();
        for (QScreen *screen : screens) {
            QCOMPARE(getByDisplayID(displayID(screen)), screen);
            QCOMPARE(displayName(screen), QStringLiteral("Unknown")); // Xvfb names no product
        }
        QCOMPARE(displayID(screens.at(0)), displayIDForName(screens.at(0)->name()));
        QVERIFY(displayID(screens.at(0)) != displayID(screens.at(1)));
        QCOMPARE(getByDisplayID(displayIDForName(QStringLiteral("not-connected"))), nullptr);
        QCOMPARE(displayNameFrom(QStringLiteral(" Acme "), QStringLiteral("View 27")), QStringLiteral("Acme View 27"));
        QCOMPARE(displayNameFrom(QString(), QStringLiteral("View 27")), QStringLiteral("View 27"));
    }

    // Every display gets an overlay of its own, showing that display's picture.
    void fourDisplaysGiveFourFrozenOverlays()
    {
        captureAndWait(4);
        const auto screens = QGuiApplication::screens();
        QCOMPARE(sc->overlayCount(), 4);
        for (int i = 0; i < 4; ++i) {
            OverlayController *c = controllers().at(i);
            QCOMPARE(c->screen(), screens.at(i));
            QCOMPARE(c->window()->geometry(), screens.at(i)->geometry());
            QCOMPARE(c->window()->windowHandle()->screen(), screens.at(i));
            QVERIFY(c->window()->windowFlags() & Qt::WindowStaysOnTopHint);
            // The picture is the display's own part of the framebuffer...
            const QString grabbed = firstDifference(c->picture(), expectedPattern(screens.at(i)->geometry()));
            QVERIFY2(grabbed.isEmpty(), qPrintable(QStringLiteral("display %1: %2").arg(i).arg(grabbed)));
            // ...and the overlay shows it pixel for pixel.
            const QImage shown = ScreenGrabBackend().grabScreen(screens.at(i));
            const QString onScreen = firstDifference(shown, c->picture());
            QVERIFY2(onScreen.isEmpty(), qPrintable(QStringLiteral("overlay %1: %2").arg(i).arg(onScreen)));
        }
    }

    void buttonsCarryTheirTips()
    {
        for (OverlayController *c : controllers()) {
            // Screen readers (and scripts) know each button by its plain text...
            QCOMPARE(c->editButton->accessibleName(), QStringLiteral("Edit screenshot now"));
            QCOMPARE(c->saveButton->accessibleName(), QStringLiteral("Save screenshot locally"));
            QCOMPARE(c->uploadButton->accessibleName(), QStringLiteral("Upload/Share screenshot"));
            QCOMPARE(c->copyButton->accessibleName(), QStringLiteral("Copy selection area to clipboard"));
            QCOMPARE(c->cancelButton->accessibleName(), QStringLiteral("Cancel"));
            // ...and the tip shows the key after it.
            QCOMPARE(c->editButton->toolTip(), QStringLiteral("Edit screenshot now (Enter)"));
            QCOMPARE(c->saveButton->toolTip(), QStringLiteral("Save screenshot locally (Ctrl+S)"));
            QCOMPARE(c->uploadButton->toolTip(), QStringLiteral("Upload/Share screenshot"));
            QCOMPARE(c->copyButton->toolTip(), QStringLiteral("Copy selection area to clipboard (Ctrl+C)"));
            QCOMPARE(c->cancelButton->toolTip(), QStringLiteral("Cancel (Esc)"));
            // The crosshair picture is the cursor from the first showing on.
            QCOMPARE(c->selectionView->cursor().shape(), Qt::BitmapCursor);
            QCOMPARE(c->selectionView->cursor().hotSpot(), QPoint(18, 18));
        }
    }

    // An action chosen with nothing selected changes nothing: no choice, every overlay up.
    void anActionWithoutASelectionDoesNothing()
    {
        QSignalSpy chosen(sc, &ScreenCapture::selectionChosen);
        OverlayController *c = sc->overlay(3);
        QVERIFY(!c->hasSelection());
        for (QToolButton *button : {c->editButton.data(), c->saveButton.data(), c->uploadButton.data(), c->copyButton.data()})
            button->click();
        QCOMPARE(chosen.size(), 0);
        QCOMPARE(openOverlays(), 4);
    }

    void realDragMakesTheModelsBox()
    {
        // Second display, at (1920, 0): press at view (100, 280), drag to (400, 580).
        OverlayController *c = sc->overlay(1);
        QVERIFY(xdotool({"mousemove", "2020", "280"}));
        QTRY_COMPARE_WITH_TIMEOUT(CursorTracker::shared().current(), c->selectionView->model().crosshairCursor, 5000);
        QVERIFY(xdotool({"mousedown", "1"}));
        QTRY_VERIFY_WITH_TIMEOUT(c->selectionView->model().pointerDown, 5000);
        QVERIFY(xdotool({"mousemove", "2320", "580"}));
        QTRY_COMPARE_WITH_TIMEOUT(c->selectionView->selectionFrame(), QRectF(100, 280, 310, 310), 5000);
        QVERIFY(xdotool({"mouseup", "1"}));
        QTRY_VERIFY_WITH_TIMEOUT(!c->selectionView->model().pointerDown, 5000);
        QCOMPARE(c->statusLabel->text(), QStringLiteral("width:310: height:310"));
        QVERIFY(c->statusLabel->isVisible());
        QCOMPARE(c->selectionBox->geometry(), QRect(100, 280, 310, 310));
        QVERIFY(c->selectionBox->isVisible());
        if (qEnvironmentVariableIsSet("VORNIK_TEST_SHOT")) // to look at the overlay by eye
            vtest::run({"import", "-window", "root", "-display", vtest::TestEnvironment::current()->display(),
                        qEnvironmentVariable("VORNIK_TEST_SHOT")});
        // The region handed to the output actions is that part of the frozen picture.
        QVERIFY(firstDifference(c->selectionView->renderRegion(c->selectionView->selectionFrame()),
                                expectedPattern(QRect(2020, 280, 310, 310))).isEmpty());
    }

    void crosshairPressClearsEverySelection()
    {
        sc->overlay(0)->selectionView->setSelectionFrame(QRectF(10, 870, 200, 200));
        QVERIFY(sc->overlay(1)->hasSelection());
        // Outside the second display's box the crosshair shows; a press there empties both.
        QVERIFY(xdotool({"mousemove", "3000", "900"}));
        QTRY_COMPARE_WITH_TIMEOUT(CursorTracker::shared().current(), sc->overlay(1)->selectionView->model().crosshairCursor, 5000);
        QVERIFY(xdotool({"click", "1"}));
        QTRY_COMPARE_WITH_TIMEOUT(sc->overlay(0)->selectionView->selectionFrame(), QRectF(), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(sc->overlay(1)->selectionView->selectionFrame().size(), QSizeF(0, 0), 5000);
        QVERIFY(!sc->overlay(1)->selectionBox->isVisible());
    }

    void escapeOnTheSecondDisplayClosesAll()
    {
        QCOMPARE(openOverlays(), 4);
        QSignalSpy closed(sc, &ScreenCapture::overlaysClosed);
        QSignalSpy chosen(sc, &ScreenCapture::selectionChosen);
        sc->overlay(1)->window()->activateWindow();
        QTRY_VERIFY_WITH_TIMEOUT(sc->overlay(1)->window()->isActiveWindow(), 5000);
        QVERIFY(xdotool({"key", "Escape"}));
        QTRY_COMPARE_WITH_TIMEOUT(openOverlays(), 0, 5000);
        QCOMPARE(closed.size(), 1);
        QCOMPARE(chosen.size(), 0);
        QCOMPARE(sc->overlay(0)->selectionView->cursor().shape(), Qt::ArrowCursor);
    }

    // The overlays go past the window manager and hold the keyboard while they are up,
    // and the server itself draws each one's frozen picture as its background: what
    // another client paints over an overlay is replaced by the picture, not by black.
    void overlaysHoldTheKeyboardOverTheirFrozenPicture()
    {
        xcb_connection_t *other = xcb_connect(nullptr, nullptr);
        QVERIFY(!xcb_connection_has_error(other));
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(other)).data->root;
        const auto keyboardFree = [other, root] {
            auto *reply = xcb_grab_keyboard_reply(other,
                xcb_grab_keyboard(other, 0, root, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC), nullptr);
            const bool free = reply && reply->status == XCB_GRAB_STATUS_SUCCESS;
            std::free(reply);
            if (free)
                xcb_ungrab_keyboard(other, XCB_CURRENT_TIME);
            std::free(xcb_get_input_focus_reply(other, xcb_get_input_focus(other), nullptr));
            return free;
        };
        QVERIFY(keyboardFree());
        captureAndWait(4);
        QVERIFY(!keyboardFree());
        const auto screens = QGuiApplication::screens();
        for (int i = 0; i < 4; ++i) {
            OverlayController *c = controllers().at(i);
            const xcb_window_t window = xcb_window_t(c->window()->winId());
            auto *attributes = xcb_get_window_attributes_reply(other, xcb_get_window_attributes(other, window), nullptr);
            QVERIFY(attributes && attributes->override_redirect);
            std::free(attributes);
            // Black over the whole window, then the window's background, without an
            // Expose that would make the overlay paint.
            const xcb_gcontext_t gc = xcb_generate_id(other);
            const uint32_t black = 0;
            xcb_create_gc(other, gc, window, XCB_GC_FOREGROUND, &black);
            const xcb_rectangle_t all{0, 0, 1920, 1080};
            xcb_poly_fill_rectangle(other, window, gc, 1, &all);
            xcb_clear_area(other, 0, window, 0, 0, 0, 0);
            xcb_free_gc(other, gc);
            std::free(xcb_get_input_focus_reply(other, xcb_get_input_focus(other), nullptr));
            const QString shown = firstDifference(ScreenGrabBackend().grabScreen(screens.at(i)), c->picture());
            QVERIFY2(shown.isEmpty(), qPrintable(QStringLiteral("overlay %1: %2").arg(i).arg(shown)));
        }
        closeAll();
        QVERIFY(keyboardFree());
        xcb_disconnect(other);
    }

    void secondCaptureReusesTheWindows()
    {
        QList<QWidget *> windows;
        QList<int> shows;
        for (OverlayController *c : controllers()) {
            windows << c->window();
            shows << c->showCount();
        }
        captureAndWait(4);
        captureAndWait(4); // again, with the overlays still open
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(static_cast<QWidget *>(controllers().at(i)->window()), windows.at(i));
            QCOMPARE(controllers().at(i)->showCount(), shows.at(i) + 2);
        }
        // Any overlay's cancel button takes them all down.
        sc->overlay(2)->cancelButton->click();
        QTRY_COMPARE_WITH_TIMEOUT(openOverlays(), 0, 5000);
    }

    void dragIntoTheNextDisplayStaysOnItsOwn()
    {
        // First display (0, 0, 1920x1080); the drag runs on into the second one.
        captureAndWait(4);
        OverlayController *c = sc->overlay(0);
        QVERIFY(xdotool({"mousemove", "1700", "300"}));
        QTRY_COMPARE_WITH_TIMEOUT(CursorTracker::shared().current(), c->selectionView->model().crosshairCursor, 5000);
        QVERIFY(xdotool({"mousedown", "1"}));
        QTRY_VERIFY_WITH_TIMEOUT(c->selectionView->model().pointerDown, 5000);
        QVERIFY(xdotool({"mousemove", "2300", "600"}));
        QTRY_VERIFY_WITH_TIMEOUT(c->selectionBox->geometry().height() > 250, 5000);
        QVERIFY(xdotool({"mouseup", "1"}));
        QTRY_VERIFY_WITH_TIMEOUT(!c->selectionView->model().pointerDown, 5000);

        const QRect view = c->selectionView->rect();
        QCOMPARE(view, QRect(0, 0, 1920, 1080));
        const QRect box = c->selectionBox->geometry();
        QVERIFY2(view.contains(box), qPrintable(QStringLiteral("box %1,%2 %3x%4").arg(box.x()).arg(box.y()).arg(box.width()).arg(box.height())));
        QCOMPARE(box.left(), 1700);
        QCOMPARE(box.right(), 1919);
        QCOMPARE(c->statusLabel->text(), QStringLiteral("width:%1: height:%2").arg(box.width()).arg(box.height()));
        // The buttons are drawn on this display, where they can be pressed.
        QWidget *buttons = c->selectionView->findChild<QWidget *>(QStringLiteral("overlayButtons"));
        QVERIFY(buttons && buttons->isVisible());
        QVERIFY(view.contains(buttons->geometry()));
        QVERIFY(box.contains(buttons->geometry()));
        QVERIFY(!sc->overlay(1)->hasSelection());

        // Moved as a whole, away and then on into the next display, it keeps its size
        // and stops at this display's edge.
        QVERIFY(xdotool({"mousemove", "1800", "450", "mousedown", "1"}));
        QTRY_VERIFY_WITH_TIMEOUT(c->selectionView->model().pointerDown, 5000);
        QVERIFY(xdotool({"mousemove", "1500", "450"}));
        QTRY_COMPARE_WITH_TIMEOUT(c->selectionBox->geometry().left(), 1400, 5000);
        QVERIFY(xdotool({"mousemove", "2600", "450"}));
        QTRY_COMPARE_WITH_TIMEOUT(c->selectionBox->geometry().right(), 1919, 5000);
        QVERIFY(xdotool({"mouseup", "1"}));
        QTRY_VERIFY_WITH_TIMEOUT(!c->selectionView->model().pointerDown, 5000);
        QCOMPARE(c->selectionBox->geometry().size(), box.size());
        closeAll();
    }

    void keysMoveCopySaveAndEdit()
    {
        const QList<QUrl> &opened = m_services.desktop.opener->opened;
        captureAndWait(4);
        OverlayController *c = sc->overlay(1);
        c->selectionView->setSelectionFrame(QRectF(100, 630, 200, 150));
        const QRect start = c->selectionBox->geometry();
        c->window()->activateWindow();
        QTRY_VERIFY_WITH_TIMEOUT(c->window()->isActiveWindow(), 5000);

        const auto movedBy = [&](const char *key, QPoint by) {
            return xdotool({"key", key})
                   && QTest::qWaitFor([&] { return c->selectionBox->geometry() == start.translated(by); }, 5000);
        };
        QVERIFY(movedBy("Left", QPoint(-1, 0)));
        QVERIFY(movedBy("Up", QPoint(-1, -1)));
        QVERIFY(movedBy("shift+Right", QPoint(9, -1)));
        QVERIFY(movedBy("shift+Down", QPoint(9, 9)));
        // Never past the display's edge, and never on another overlay.
        c->selectionView->setSelectionFrame(QRectF(1715, 630, 200, 150));
        QVERIFY(xdotool({"key", "shift+Right"}));
        QTRY_COMPARE_WITH_TIMEOUT(c->selectionBox->geometry().right(), 1919, 5000);
        QCOMPARE(c->selectionBox->geometry().width(), 200);
        QVERIFY(!sc->overlay(0)->hasSelection());

        // Ctrl+C copies exactly the selection: the capture says what was chosen where,
        // and the application puts it on the clipboard.
        QSignalSpy chosen(sc, &ScreenCapture::selectionChosen);
        QVERIFY(xdotool({"key", "ctrl+c"}));
        QTRY_COMPARE_WITH_TIMEOUT(openOverlays(), 0, 10000);
        QCOMPARE(chosen.size(), 1);
        const CaptureChoice choice = chosen[0][0].value<CaptureChoice>();
        QCOMPARE(choice.action, CaptureChoice::Action::Copy);
        QCOMPARE(choice.screen.data(), QGuiApplication::screens().at(1));
        QCOMPARE(choice.region, QRectF(1720, 630, 200, 150));
        QVERIFY(firstDifference(choice.picture, expectedPattern(QRect(1920 + 1720, 630, 200, 150))).isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(QGuiApplication::clipboard()->mimeData()->hasImage(), 10000);
        QCOMPARE(qvariant_cast<QImage>(QGuiApplication::clipboard()->mimeData()->imageData()).size(), QSize(200, 150));

        // Ctrl+S saves the selection and opens the file.
        captureAndWait(4);
        c->selectionView->setSelectionFrame(QRectF(100, 630, 200, 150));
        c->window()->activateWindow();
        QTRY_VERIFY_WITH_TIMEOUT(c->window()->isActiveWindow(), 5000);
        QVERIFY(xdotool({"key", "ctrl+s"}));
        QTRY_COMPARE_WITH_TIMEOUT(opened.size(), 1, 10000);
        QVERIFY(opened.first().isLocalFile());
        QCOMPARE(QImage(opened.first().toLocalFile()).size(), QSize(200, 150));
        QCOMPARE(openOverlays(), 0);

        // Enter opens the editor on the selection.
        captureAndWait(4);
        c->selectionView->setSelectionFrame(QRectF(100, 630, 200, 150));
        c->window()->activateWindow();
        QTRY_VERIFY_WITH_TIMEOUT(c->window()->isActiveWindow(), 5000);
        QVERIFY(!app->editorOpen);
        QVERIFY(xdotool({"key", "Return"}));
        QTRY_VERIFY_WITH_TIMEOUT(app->editorOpen, 10000);
        QCOMPARE(openOverlays(), 0);
        QPointer<EditorWindow> editor = app->lastEditor;
        QVERIFY(editor);
        QCOMPARE(editor->screen(), QGuiApplication::screens().at(1));
        QCOMPARE(editor->canvasView->imageRect()->size(), QSizeF(200, 150));
        editor->close();
        QTRY_VERIFY_WITH_TIMEOUT(!app->editorOpen, 10000);
    }

    // Without the pointer: an arrow starts a selection under it, Ctrl+arrows resize it
    // (by ten with Shift) within the edges' minimum and the display; F and Ctrl+A
    // select the whole display under the pointer.
    void keysChooseWhatToSelect()
    {
        captureAndWait(4);
        OverlayController *d = sc->overlay(3); // (1280, 1080), 1600 x 900
        const auto frameBecomes = [](OverlayController *c, const QRectF &frame) {
            return QTest::qWaitFor([&] { return c->selectionView->selectionFrame() == frame; }, 5000);
        };
        QVERIFY(xdotool({"mousemove", "1500", "1300", "key", "Right"}));
        QVERIFY(frameBecomes(d, QRectF(220, 220, 200, 150)));
        QVERIFY(xdotool({"key", "ctrl+Right", "ctrl+shift+Down", "ctrl+shift+Left"}));
        QVERIFY(frameBecomes(d, QRectF(220, 220, 191, 160)));
        // 130 - 10 would be under the minimum height of 125: that step does nothing.
        QVERIFY(xdotool({"key", "ctrl+shift+Up", "ctrl+shift+Up", "ctrl+shift+Up", "ctrl+shift+Up"}));
        QVERIFY(frameBecomes(d, QRectF(220, 220, 191, 130)));
        QCOMPARE(d->statusLabel->text(), QStringLiteral("width:191: height:130"));
        d->selectionView->setSelectionFrame(QRectF(1500, 700, 95, 150));
        QVERIFY(xdotool({"key", "ctrl+shift+Right"}));
        QVERIFY(frameBecomes(d, QRectF(1500, 700, 100, 150)));

        sc->overlay(0)->selectionView->setSelectionFrame(QRectF(10, 10, 100, 200));
        QVERIFY(xdotool({"key", "f"}));
        QVERIFY(frameBecomes(d, QRectF(0, 0, 1600, 900)));
        QVERIFY(!sc->overlay(0)->hasSelection());
        QVERIFY(xdotool({"mousemove", "100", "100", "key", "ctrl+a"}));
        QVERIFY(frameBecomes(sc->overlay(0), QRectF(0, 0, 1920, 1080)));
        QVERIFY(!d->hasSelection());
        QSignalSpy chosen(sc, &ScreenCapture::selectionChosen);
        QVERIFY(xdotool({"key", "ctrl+c"}));
        QTRY_COMPARE_WITH_TIMEOUT(chosen.size(), 1, 10000);
        QVERIFY(firstDifference(chosen[0][0].value<CaptureChoice>().picture, expectedPattern(QRect(0, 0, 1920, 1080))).isEmpty());

        // A delayed capture counts down in the tray's tool tip.
        bool ran = false;
        app->countDown(2, [&ran] { ran = true; });
        QCOMPARE(app->statusItemToolTip(), QStringLiteral("Vornik: screenshot in 2 s"));
        QTRY_COMPARE_WITH_TIMEOUT(app->statusItemToolTip(), QStringLiteral("Vornik: screenshot in 1 s"), 3000);
        QTRY_VERIFY_WITH_TIMEOUT(ran, 3000);
        QCOMPARE(app->statusItemToolTip(), QStringLiteral("Vornik"));
    }

    // W picks the window under the pointer from the window manager's list: a hover
    // highlights its frame, a click selects it. Without a list W says why and does nothing.
    void windowUnderThePointerIsPicked()
    {
        captureAndWait(4);
        OverlayController *b = sc->overlay(1);
        QVERIFY(xdotool({"mousemove", "2100", "300", "key", "w"}));
        QTRY_VERIFY_WITH_TIMEOUT(b->selectionView->hintText().contains(QStringLiteral("No window manager")), 5000);
        QVERIFY(!b->selectionView->isPickingWindow());
        closeAll();

        windowManager = vtest::spawn({"openbox", "--sm-disable"}, QDir::tempPath() + "/openbox.log");
        target = new QWidget;
        target->setWindowTitle(QStringLiteral("Target"));
        target->setStyleSheet(QStringLiteral("background: #208040"));
        target->setGeometry(2300, 300, 400, 300);
        target->show();
        // Managed once the window manager has framed it and lists it on top.
        QTRY_VERIFY_WITH_TIMEOUT(!frameFromWindowManager(target->winId()).isNull()
                                     && sc->windows().frames().value(0) == frameFromWindowManager(target->winId()), 20000);
        const QRect managed = frameFromWindowManager(target->winId());
        QVERIFY(managed.contains(target->geometry()) && managed != target->geometry());
        const QRect frame = managed.translated(-1920, 0);

        captureAndWait(4);
        QVERIFY(xdotool({"mousemove", "2500", "450", "key", "w", "mousemove", "2510", "460"}));
        QTRY_COMPARE_WITH_TIMEOUT(b->selectionView->highlightedFrame(), frame, 5000);
        QVERIFY(b->selectionView->hintText().startsWith(QStringLiteral("Click a window")));
        if (qEnvironmentVariableIsSet("VORNIK_TEST_SHOT")) // to look at the highlight by eye
            vtest::run({"import", "-window", "root", "-display", vtest::TestEnvironment::current()->display(),
                        qEnvironmentVariable("VORNIK_TEST_SHOT")});
        QVERIFY(xdotool({"click", "1"}));
        QTRY_COMPARE_WITH_TIMEOUT(b->selectionView->selectionFrame(), QRectF(frame), 5000);
        QVERIFY(!b->selectionView->isPickingWindow());
        QCOMPARE(b->statusLabel->text(), QStringLiteral("width:%1: height:%2").arg(frame.width()).arg(frame.height()));
        closeAll();
    }

    // The command line for scripts through the real program, which the first call
    // starts in the background: exit status, one line on stderr for a failure, and
    // what comes out checked against the pixels on screen.
    void scriptsCaptureWithoutTheOverlay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QPoint>("pointer");
        QTest::addColumn<int>("status");
        QTest::addColumn<QRect>("area"); // what the output holds, in global coordinates
        const QString saved = QDir::tempPath() + QStringLiteral("/script shot.png");
        QTest::newRow("display, stdout, delay") << QStringList{"--full", "--output", "-", "--delay", "1"}
                                                << QPoint(2100, 900) << 0 << QRect(1920, 0, 1920, 1080);
        QTest::newRow("region, save") << QStringList{"--region", "100,1200,300,200", "--save", saved}
                                      << QPoint(10, 10) << 0 << QRect(100, 1200, 300, 200);
        QTest::newRow("region, copy") << QStringList{"--region", "2000,100,64,48", "--copy"} << QPoint(10, 10) << 0
                                      << QRect(2000, 100, 64, 48);
        // Pointer and area: where the window manager has the target's frame now.
        QTest::newRow("window, upload") << QStringList{"--window", "--upload"} << QPoint() << 0 << QRect();
        QTest::newRow("region on two displays") << QStringList{"--region", "1800,100,300,200", "--output", "-"}
                                                << QPoint(10, 10) << 1 << QRect();
        QTest::newRow("output without a mode") << QStringList{"--copy"} << QPoint(10, 10) << 2 << QRect();
        QTest::newRow("save where nothing can be written") << QStringList{"--full", "--save", "/proc/vornik/shot.png"}
                                                           << QPoint(10, 10) << 1 << QRect();
        QTest::newRow("region of three numbers") << QStringList{"--region", "1,2,3", "--output", "-"} << QPoint(10, 10)
                                                 << 2 << QRect();
    }
    void scriptsCaptureWithoutTheOverlay()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QPoint, pointer);
        QFETCH(int, status);
        QFETCH(QRect, area);
        if (arguments.contains("--window")) {
            area = frameFromWindowManager(target->winId());
            QVERIFY(!area.isNull());
            pointer = area.center();
        }
        QVERIFY(xdotool({"mousemove", QString::number(pointer.x()), QString::number(pointer.y())}));
        // This process's overlays must be off the screen before the program looks at it:
        // their unmapping has reached the server once a round trip has come back.
        QCoreApplication::processEvents();
        xcb_connection_t *own = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
        std::free(xcb_get_input_focus_reply(own, xcb_get_input_focus(own), nullptr));
        QGuiApplication::clipboard()->clear();
        QByteArray out, err;
        QCOMPARE(vtest::runKeepingOutput(QStringList{qEnvironmentVariable("VORNIK_BINARY"), "--capture"} + arguments,
                                         &out, &err), status);
        // Failures included, the same Vornik answered: nothing brought it down.
        qint64 pid = 0;
        QString host, application;
        QVERIFY(QLockFile(qEnvironmentVariable("XDG_RUNTIME_DIR") + "/vornik.lock").getLockInfo(&pid, &host, &application));
        QCOMPARE(pid, scriptsVornik ? scriptsVornik : (scriptsVornik = pid));
        if (status != 0) {
            QVERIFY2(err.startsWith("vornik: ") && err.endsWith('\n') && err.count('\n') == 1, err.constData());
            QVERIFY(out.isEmpty());
            return;
        }
        QVERIFY2(err.isEmpty(), err.constData());
        // Only a copy touches the clipboard.
        if (!arguments.contains("--copy"))
            QVERIFY(clipboardBytes("image/png").isEmpty());
        QByteArray png = out;
        if (arguments.contains("--save")) {
            QCOMPARE(out, QFile::encodeName(arguments.last()) + '\n');
            png = readAll(arguments.last());
        } else if (arguments.contains("--copy")) {
            QVERIFY(out.isEmpty());
            png = clipboardBytes("image/png");
        } else if (arguments.contains("--upload")) {
            const QString link = QString::fromUtf8(out).trimmed();
            QVERIFY2(link.startsWith("https://" + server.publicHost() + "/") && out.endsWith('\n'), out.constData());
            png = vtest::fetchUrl(QUrl(server.baseUrl() + "raw/" + QUrl(link).fileName()));
        }
        QScreen *screen = QGuiApplication::screenAt(area.center());
        const QImage onScreen = ScreenGrabBackend().grabScreen(screen).copy(area.translated(-screen->geometry().topLeft()));
        const QString difference = firstDifference(QImage::fromData(png, "PNG"), onScreen);
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    }

    void stopTheWindowManagerAndTheScriptsVornik()
    {
        qint64 pid = 0;
        QString host, application;
        QLockFile lock(qEnvironmentVariable("XDG_RUNTIME_DIR") + "/vornik.lock");
        QVERIFY(lock.getLockInfo(&pid, &host, &application));
        vtest::stopUnrelated(pid_t(pid));
        delete target;
        target = nullptr;
        vtest::stop(windowManager);
        windowManager = -1;
    }

    // Ctrl+T puts the words of the selection on the clipboard, read from a window the
    // test draws; Ctrl+P pins the selection where it was, and the pinned picture moves
    // with a real drag, zooms with the wheel, copies with Ctrl+C and closes with Escape.
    void copyTextAndPinTheSelection()
    {
        NotificationRecorder recorder;
        QVERIFY(recorder.isRegistered());
        QLabel words(QStringLiteral("Vornik reads this line\nand the second one"));
        words.setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        words.setStyleSheet(QStringLiteral("background: white; color: black; font: 24px 'DejaVu Sans'; padding: 10px"));
        words.move(2020, 630);
        words.show();
        QVERIFY(QTest::qWaitForWindowExposed(&words));
        OverlayController *c = sc->overlay(1);
        const auto selectAndPress = [&](const QRectF &region, const char *keys) {
            captureAndWait(4);
            c->selectionView->setSelectionFrame(region);
            c->window()->activateWindow();
            [&] { QTRY_VERIFY_WITH_TIMEOUT(c->window()->isActiveWindow(), 5000); }();
            [&] { QVERIFY(xdotool({"key", keys})); }();
            [&] { QTRY_COMPARE_WITH_TIMEOUT(openOverlays(), 0, 10000); }();
        };
        selectAndPress(QRectF(QPointF(100, 630), words.size()), "ctrl+t");
        QTRY_COMPARE_WITH_TIMEOUT(recorder.received.size(), 1, 60000);
        QCOMPARE(recorder.received[0].summary, QStringLiteral("Text copied"));
        QCOMPARE(recorder.received[0].body, QStringLiteral("Vornik reads this line"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Vornik reads this line\nand the second one"));
        words.setText(QString());
        const QRect wordsOnScreen(QPoint(100, 630), words.size());
        const auto blankOnScreen = [&] {
            const QImage shown = ScreenGrabBackend().grabScreen(QGuiApplication::screens().at(1)).copy(wordsOnScreen);
            for (int y = 0; y < shown.height(); ++y)
                for (int x = 0; x < shown.width(); ++x)
                    if (shown.pixel(x, y) != qRgb(255, 255, 255))
                        return false;
            return true;
        };
        QTRY_VERIFY_WITH_TIMEOUT(blankOnScreen(), 10000);
        selectAndPress(QRectF(wordsOnScreen), "ctrl+t");   // white: no words
        QTRY_COMPARE_WITH_TIMEOUT(recorder.received.size(), 2, 60000);
        QCOMPARE(recorder.received[1].summary, QStringLiteral("No text found"));

        words.hide();
        QTRY_VERIFY_WITH_TIMEOUT(firstDifference(ScreenGrabBackend().grabScreen(QGuiApplication::screens().at(1)).copy(100, 630, 200, 150),
                                                 expectedPattern(QRect(2020, 630, 200, 150))).isEmpty(), 10000);
        selectAndPress(QRectF(100, 630, 200, 150), "ctrl+p");
        QPointer<PinWindow> pin;
        for (QWidget *window : QApplication::topLevelWidgets())
            if (!pin)
                pin = qobject_cast<PinWindow *>(window);
        QVERIFY(pin && QTest::qWaitForWindowExposed(pin));
        QCOMPARE(pin->geometry(), QRect(2020, 630, 200, 150));
        QVERIFY(firstDifference(pin->picture(), expectedPattern(QRect(2020, 630, 200, 150))).isEmpty());
        QVERIFY(xdotool({"mousemove", "2100", "700", "mousedown", "1", "mousemove", "2200", "760", "mousemove", "2250", "800", "mouseup", "1"}));
        QTRY_COMPARE_WITH_TIMEOUT(pin->pos(), QPoint(2170, 730), 10000);
        QVERIFY(xdotool({"mousemove", "2270", "805", "click", "4"}));   // a wheel notch up, at the picture's centre
        QTRY_COMPARE_WITH_TIMEOUT(pin->size(), QSize(220, 165), 10000);
        QVERIFY((pin->geometry().center() - QPoint(2270, 805)).manhattanLength() <= 1);
        if (!qEnvironmentVariableIsEmpty("VORNIK_TEST_SHOTS"))
            QGuiApplication::screens().at(1)->grabWindow(0, 150, 530, 500, 450).save(qEnvironmentVariable("VORNIK_TEST_SHOTS") + QStringLiteral("/pinned.png"));
        QGuiApplication::clipboard()->clear();
        pin->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(pin));
        QVERIFY(xdotool({"key", "ctrl+c"}));
        QTRY_VERIFY_WITH_TIMEOUT(QGuiApplication::clipboard()->mimeData()->hasImage(), 10000);
        QVERIFY(firstDifference(qvariant_cast<QImage>(QGuiApplication::clipboard()->mimeData()->imageData()),
                                expectedPattern(QRect(2020, 630, 200, 150))).isEmpty());
        QVERIFY(xdotool({"key", "Escape"}));
        QTRY_VERIFY_WITH_TIMEOUT(pin.isNull(), 10000);
    }

    void cleanUpRemovesOnlyScreenshots()
    {
        const QString folder = sc->tempDir;
        QVERIFY(folder.endsWith(QStringLiteral("/Vornik/")));
        QVERIFY(QDir(folder).exists());
        for (const char *name : {"1700000000000_viewimage.png", "a2.png", "1700000000001_bannerimage.png", "notes.txt", "SHOUT.PNG"}) {
            QFile file(folder + QLatin1String(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QVERIFY(QDir(folder).mkdir(QStringLiteral("old.png.d")));
        // Still needed: the banner's first-use file and an upload waiting for its turn.
        for (const char *name : {"1700000000002_viewimage.png", "1700000000003_viewimage.png"}) {
            QFile file(folder + QLatin1String(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        Preferences::standard().setString(QStringLiteral("bannerpath"), folder + "1700000000002_viewimage.png");
        TempFolder::holdFile(folder + "1700000000003_viewimage.png");
        captureAndWait(4);
        QStringList left = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
        QCOMPARE(left, QStringList({"1700000000001_bannerimage.png", "1700000000002_viewimage.png",
                                    "1700000000003_viewimage.png", "SHOUT.PNG", "notes.txt"}));
        closeAll();
        // Once the upload is done and the banner changed, they go like any other.
        TempFolder::releaseFile(folder + "1700000000003_viewimage.png");
        Preferences::standard().setString(QStringLiteral("bannerpath"), QString());
        captureAndWait(4);
        left = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
        QCOMPARE(left, QStringList({"1700000000001_bannerimage.png", "SHOUT.PNG", "notes.txt"}));
        closeAll();
    }

    // A temporary folder another account could reach is never used: no overlay, one
    // line on stderr and a notification.
    void aTemporaryFolderOthersCanReachStopsTheCapture()
    {
        NotificationRecorder recorder;
        QVERIFY(recorder.isRegistered());
        const QString folder = sc->tempDir;
        QVERIFY(QFile::setPermissions(folder, QFile::permissions(folder) | QFileDevice::WriteOther | QFileDevice::ExeOther));
        QSignalSpy shown(sc, &ScreenCapture::overlaysShown);
        sc->captureAllScreens();
        QTRY_COMPARE_WITH_TIMEOUT(shown.size(), 1, 10000);
        QCOMPARE(shown[0][0].toInt(), 0);
        QCOMPARE(openOverlays(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(!recorder.received.isEmpty(), 10000);
        QCOMPARE(recorder.received.constLast().summary, QStringLiteral("Temporary Folder Error"));
        QVERIFY(recorder.received.constLast().body.contains(QDir::cleanPath(folder)));
        QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
        captureAndWait(4);
        closeAll();
    }

    void cleanUpStopsAtTheFirstFailedRemoval()
    {
        const QString folder = QDir::tempPath() + QStringLiteral("/stuck/");
        QVERIFY(QDir().mkpath(folder));
        for (const char *name : {"a.png", "b.png", "c.png", "d_bannerimage.png", "e.txt"}) {
            QFile file(folder + QLatin1String(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QStringList tried;
        const auto failOnB = [&tried](const QString &path) {
            tried << QFileInfo(path).fileName();
            return tried.last() != QLatin1String("b.png") && ScreenCapture::removeEntry(path);
        };
        ScreenCapture::cleanTemporaryFolder(folder, failOnB);
        QCOMPARE(tried, QStringList({"a.png", "b.png"}));
        QCOMPARE(QDir(folder).entryList(QDir::Files, QDir::Name),
                 QStringList({"b.png", "c.png", "d_bannerimage.png", "e.txt"}));
        // A folder that cannot be listed is left alone.
        tried.clear();
        ScreenCapture::cleanTemporaryFolder(folder + QStringLiteral("missing/"), failOnB);
        QVERIFY(tried.isEmpty());
    }

    void fewerDisplaysUseFewerOverlays()
    {
        for (int count : {3, 2, 1}) {
            setMonitorCount(count);
            QList<int> shows;
            for (OverlayController *c : controllers())
                shows << c->showCount();
            captureAndWait(count);
            QCOMPARE(sc->overlayCount(), count);
            const auto screens = QGuiApplication::screens();
            for (int i = 0; i < count; ++i) {
                OverlayController *c = controllers().at(i);
                QCOMPARE(c->showCount(), shows.at(i) + 1);
                QCOMPARE(c->window()->geometry(), screens.at(i)->geometry());
                const QString onScreen = firstDifference(ScreenGrabBackend().grabScreen(screens.at(i)), c->picture());
                QVERIFY2(onScreen.isEmpty(), qPrintable(QStringLiteral("%1 displays, overlay %2: %3").arg(count).arg(i).arg(onScreen)));
            }
            closeAll();
        }
    }

    // Last: it takes a part away from the first overlay.
    void uploadWithoutTheBoxIsReported()
    {
        NotificationRecorder recorder;
        QVERIFY(recorder.isRegistered());
        captureAndWait(int(QGuiApplication::screens().size()));
        OverlayController *c = sc->overlay(0);
        delete c->selectionBox.data();
        QVERIFY(c->selectionBox.isNull());
        c->upload();
        QTRY_COMPARE_WITH_TIMEOUT(recorder.received.size(), 1, 10000);
        QCOMPARE(recorder.received.first().summary, QStringLiteral("NOT SAVED TO CLIPBOARD"));
        QCOMPARE(recorder.received.first().body, QStringLiteral("There was a problem copying  the selected URL to clipboard."));
        // The editor action reports its own words.
        c->edit();
        QTRY_COMPARE_WITH_TIMEOUT(recorder.received.size(), 2, 10000);
        QCOMPARE(recorder.received.last().summary, QStringLiteral("Image Editor"));
        QCOMPARE(recorder.received.last().body, QStringLiteral("The image selection made an incorrect call to the editor."));
        closeAll();
    }
};

VORNIK_TEST_MAIN(OverlayTest, (vtest::EnvironmentOptions{.x11 = true,
                                                         .framebuffer = QSize(3840, 2160),
                                                         .monitors = {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1920, 1080),
                                                                      QRect(0, 1080, 1280, 1024), QRect(1280, 1080, 1600, 900)},
                                                         .dbus = true}))
#include "overlay_test.moc"
