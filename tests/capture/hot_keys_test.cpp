#include "tests/harness/TestMain.h"

#include "app/TrayApp.h"
#include "tests/harness/FakeAppServices.h"
#include "app/GlobalHotKeys.h"
#include "app/PreferencesWindow.h"
#include "platform/Preferences.h"
#include "capture/OverlayController.h"
#include "capture/OverlayWindow.h"
#include "capture/ScreenCapture.h"
#include "platform/X11HotKey.h"
#include "tests/capture/CaptureTestSupport.h"

#include <QKeySequenceEdit>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QWindow>
#include <X11/keysym.h>
#include <cstdlib>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

using capturetest::xdotool;

namespace {
// Another X client, to hold or probe grabs the way a second program would.
class OtherClient
{
public:
    OtherClient()
        : m_connection(xcb_connect(nullptr, nullptr))
        , m_symbols(xcb_key_symbols_alloc(m_connection))
    {
    }
    ~OtherClient()
    {
        xcb_key_symbols_free(m_symbols);
        xcb_disconnect(m_connection);
    }
    // Whether this client could grab the key with exactly these modifiers.
    bool grab(xcb_keysym_t keysym, quint16 modifiers)
    {
        xcb_keycode_t *codes = xcb_key_symbols_get_keycode(m_symbols, keysym);
        const xcb_keycode_t code = codes ? codes[0] : 0;
        std::free(codes);
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        xcb_generic_error_t *error = xcb_request_check(
            m_connection, xcb_grab_key_checked(m_connection, 1, root, modifiers, code, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        std::free(error);
        return error == nullptr;
    }
    // The modifier and lock bits the server holds now.
    quint16 modifierState()
    {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        auto *reply = xcb_query_pointer_reply(m_connection, xcb_query_pointer(m_connection, root), nullptr);
        const quint16 mask = reply ? reply->mask : 0;
        std::free(reply);
        return mask;
    }
    void ungrabAll()
    {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        xcb_request_check(m_connection, xcb_ungrab_key_checked(m_connection, XCB_GRAB_ANY, root, XCB_MOD_MASK_ANY));
    }

private:
    xcb_connection_t *m_connection;
    xcb_key_symbols_t *m_symbols;
};

// A window whose pointer moves tell the test that the X events sent before have been handled.
class Sentinel : public QWidget
{
public:
    Sentinel()
    {
        setMouseTracking(true);
        setGeometry(600, 400, 200, 200);
    }
    int moves = 0;

protected:
    void mouseMoveEvent(QMouseEvent *) override { ++moves; }
};
} // namespace

// The global hot keys on a real X server, pressed with xdotool.
class HotKeysTest : public QObject
{
    Q_OBJECT

    TrayApp *delegate = nullptr;
    int captures = 0;

    // Ctrl+F9 as a marker: once its capture has arrived, every key sent before it has
    // been handled, so the count shows exactly what those keys did.
    int capturesFrom(const QStringList &combinations)
    {
        const int before = captures;
        for (const QString &combination : combinations)
            [&] { QVERIFY(xdotool({"key", combination})); }();
        [&] { QVERIFY(xdotool({"key", "ctrl+F9"})); }();
        const int expectedAtLeast = before + 1;
        [&] { QTRY_VERIFY_WITH_TIMEOUT(captures >= expectedAtLeast, 10000); }();
        return captures - before - 1;
    }

private slots:
    void initTestCase()
    {
        // The desktop's own answer: an X11 session binds its hot keys itself.
        AppServices services = vtest::fixedAppServices();
        services.hotKeyBackendPresent = AppServices::standard().hotKeyBackendPresent;
        delegate = new TrayApp(std::move(services));
        delegate->setCaptureStarter([this] { ++captures; });
        delegate->start();
        QVERIFY(delegate->hotKeys->hotKey1);
        QVERIFY(delegate->hotKeys->hotKey2);
        QCOMPARE(X11HotKey::activeCount(), 2);
    }

    void cleanupTestCase() { delete delegate; }

    // A recorded key becomes the X keysym the grab asks for, up to the last of each range.
    void keysBecomeTheirX11Names()
    {
        const QList<std::pair<QKeyCombination, quint32>> keys = {
            {Qt::Key_A, XK_a}, {Qt::Key_Z, XK_z}, {Qt::Key_Space, XK_space}, {Qt::Key_AsciiTilde, XK_asciitilde},
            {Qt::Key_F1, XK_F1}, {Qt::Key_F35, XK_F35}, {Qt::Key_PageUp, XK_Prior}, {Qt::Key_Escape, XK_Escape}};
        for (const auto &[key, expected] : keys) {
            quint32 keysym = 0;
            quint16 modifiers = 1;
            QVERIFY(GlobalHotKeys::x11KeyFor(key, &keysym, &modifiers));
            QCOMPARE(keysym, expected);
            QCOMPARE(modifiers, quint16(0));
        }
        quint32 keysym = 0;
        quint16 modifiers = 0;
        QVERIFY(!GlobalHotKeys::x11KeyFor(Qt::Key_CapsLock, &keysym, &modifiers));
        QVERIFY(GlobalHotKeys::x11KeyFor(Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier | Qt::MetaModifier | Qt::Key_K,
                                         &keysym, &modifiers));
        QCOMPARE(modifiers, quint16(X11HotKey::Control | X11HotKey::Shift | X11HotKey::Alt | X11HotKey::Super));
    }

    void exactCombinationsOnly()
    {
        QCOMPARE(capturesFrom({"ctrl+shift+9"}), 1);
        QCOMPARE(capturesFrom({"ctrl+alt+9", "shift+9", "ctrl+shift+F9", "ctrl+9", "F9", "ctrl+alt+F9"}), 0);
        QCOMPARE(capturesFrom({}), 0); // ctrl+F9 alone: the marker's own capture only
    }

    void locksDoNotMatter()
    {
        OtherClient probe;
        QVERIFY(xdotool({"key", "Num_Lock"}));
        QTRY_VERIFY_WITH_TIMEOUT(probe.modifierState() & XCB_MOD_MASK_2, 5000); // NumLock is Mod2 here
        QCOMPARE(capturesFrom({"ctrl+shift+9"}), 1);
        QVERIFY(xdotool({"key", "Num_Lock"}));
        QTRY_VERIFY_WITH_TIMEOUT(!(probe.modifierState() & XCB_MOD_MASK_2), 5000);
        QVERIFY(xdotool({"key", "Caps_Lock"}));
        QTRY_VERIFY_WITH_TIMEOUT(probe.modifierState() & XCB_MOD_MASK_LOCK, 5000);
        QCOMPARE(capturesFrom({"ctrl+shift+9"}), 1);
        QVERIFY(xdotool({"key", "Caps_Lock"}));
    }

    void firesOnReleaseOnly()
    {
        Sentinel sentinel;
        sentinel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sentinel));
        const int before = captures;
        QVERIFY(xdotool({"keydown", "ctrl+shift+9"}));
        QVERIFY(xdotool({"mousemove", "700", "500"}));
        QTRY_VERIFY_WITH_TIMEOUT(sentinel.moves > 0, 10000);
        QCOMPARE(captures, before); // held: nothing yet
        QVERIFY(xdotool({"keyup", "9"}));
        QTRY_COMPARE_WITH_TIMEOUT(captures, before + 1, 10000);
        QVERIFY(xdotool({"keyup", "ctrl+shift"}));
        QCOMPARE(capturesFrom({}), 0);
    }

    void registeringAgainKeepsTwoGrabs()
    {
        delegate->hotKeys->registerHotKeys();
        QCOMPARE(X11HotKey::activeCount(), 2);
        QCOMPARE(capturesFrom({"ctrl+shift+9"}), 1);
        OtherClient other;
        QVERIFY(!other.grab(XK_9, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT));
        QVERIFY(!other.grab(XK_F9, XCB_MOD_MASK_CONTROL));
        // Dropping the registrations releases the keys for other programs.
        delegate->hotKeys->hotKey1.reset();
        delegate->hotKeys->hotKey2.reset();
        QCOMPARE(X11HotKey::activeCount(), 0);
        QVERIFY(other.grab(XK_9, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT));
        other.ungrabAll();
    }

    void combinationHeldElsewhereIsSkipped()
    {
        OtherClient other;
        QVERIFY(other.grab(XK_F9, XCB_MOD_MASK_CONTROL));
        delegate->hotKeys->registerHotKeys();
        QVERIFY(delegate->hotKeys->hotKey1);
        QVERIFY(!delegate->hotKeys->hotKey2);
        QCOMPARE(X11HotKey::activeCount(), 1);
        const int before = captures;
        QVERIFY(xdotool({"key", "ctrl+shift+9"}));
        QTRY_COMPARE_WITH_TIMEOUT(captures, before + 1, 10000);
        other.ungrabAll();
        delegate->hotKeys->registerHotKeys();
        QCOMPARE(X11HotKey::activeCount(), 2);
    }

    void hotKeyOverOpenOverlaysCapturesAgain()
    {
        ScreenCapture *sc = delegate->screenCapture;
        delegate->setCaptureStarter([this, sc] {
            ++captures;
            sc->captureAllScreens();
        });
        const int shows = sc->overlay(0)->showCount();
        QVERIFY(xdotool({"key", "ctrl+shift+9"}));
        QTRY_COMPARE_WITH_TIMEOUT(sc->overlay(0)->showCount(), shows + 1, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(sc->overlay(0)->window()->isVisible(), 10000);
        QVERIFY(xdotool({"key", "ctrl+F9"}));
        QTRY_COMPARE_WITH_TIMEOUT(sc->overlay(0)->showCount(), shows + 2, 10000);
        QVERIFY(xdotool({"key", "Escape"}));
        QTRY_VERIFY_WITH_TIMEOUT(!sc->overlay(0)->window()->isVisible(), 10000);
    }

    // The Preferences window's recorder: a key typed into it is bound at once in place
    // of the old one; a key another program holds is refused and the old one stays.
    void recordedHotKeyIsBoundAtOnce()
    {
        delegate->setCaptureStarter([this] { ++captures; });
        delegate->openPreferences();
        QPointer<PreferencesWindow> window = delegate->preferencesWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QKeySequenceEdit *recorder = window->hotKeyEdits[1];
        QCOMPARE(recorder->keySequence(), QKeySequence(QStringLiteral("Ctrl+F9")));
        const auto record = [&](const char *keys) {
            recorder->setFocus();
            QVERIFY(xdotool({"key", keys}));
            QTRY_VERIFY_WITH_TIMEOUT(!recorder->hasFocus(), 10000);
        };
        const auto capturesBy = [&](const char *keys) {
            // Ctrl+Shift+9 last: once its capture is in, the keys before it have been handled.
            const int before = captures;
            [&] { QVERIFY(xdotool({"key", keys, "ctrl+shift+9"})); }();
            [&] { QTRY_VERIFY_WITH_TIMEOUT(captures > before, 10000); }();
            return captures - before - 1;
        };
        record("ctrl+alt+k");
        QCOMPARE(window->hotKeyResult->text(), QStringLiteral("Ctrl+Alt+K now starts a capture."));
        QCOMPARE(Preferences::standard().stringForKey(QStringLiteral("capturehotkey2")), QStringLiteral("Ctrl+Alt+K"));
        QVERIFY(delegate->statusMenu()->actions().at(2)->text().endsWith(QStringLiteral("Ctrl+Shift+9 or Ctrl+Alt+K")));
        QCOMPARE(capturesBy("ctrl+alt+k"), 1);
        QCOMPARE(capturesBy("ctrl+F9"), 0);

        // Held by another program with Caps Lock on: the plain key still reaches the
        // recorder, but this program cannot have it in every lock state.
        OtherClient other;
        QVERIFY(other.grab(XK_j, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_LOCK));
        record("ctrl+alt+j");
        QCOMPARE(window->hotKeyResult->text(),
                 QStringLiteral("Ctrl+Alt+J is taken by another program; the capture key stays Ctrl+Alt+K."));
        QCOMPARE(recorder->keySequence(), QKeySequence(QStringLiteral("Ctrl+Alt+K")));
        QCOMPARE(Preferences::standard().stringForKey(QStringLiteral("capturehotkey2")), QStringLiteral("Ctrl+Alt+K"));
        QCOMPARE(capturesBy("ctrl+alt+k"), 1);
        other.ungrabAll();
        window->close();
    }
};

VORNIK_TEST_MAIN(HotKeysTest, (vtest::EnvironmentOptions{.x11 = true,
                                                         .framebuffer = QSize(1280, 800),
                                                         .monitors = {},
                                                         .dbus = true}))
#include "hot_keys_test.moc"
