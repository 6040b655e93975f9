#include "platform/X11HotKey.h"

#include "platform/CaptureTrace.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QList>
#include <QMetaObject>
#include <QtGui/qguiapplication_platform.h>

#include <X11/XKBlib.h>
#include <X11/keysym.h>
#include <cstdio>
#include <cstdlib>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

namespace {
int g_activeCount = 0;

QNativeInterface::QX11Application *x11()
{
    return qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
}

xcb_window_t rootWindow(xcb_connection_t *connection)
{
    return xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
}

// The modifier bit that NumLock sets on this server (often Mod2), found from the
// modifier map; 0 when no modifier carries it.
quint16 numLockMask(xcb_connection_t *connection, xcb_key_symbols_t *symbols)
{
    xcb_keycode_t *numLock = xcb_key_symbols_get_keycode(symbols, XK_Num_Lock);
    if (!numLock)
        return 0;
    quint16 mask = 0;
    auto *reply = xcb_get_modifier_mapping_reply(connection, xcb_get_modifier_mapping(connection), nullptr);
    if (reply) {
        const xcb_keycode_t *codes = xcb_get_modifier_mapping_keycodes(reply);
        const int perModifier = reply->keycodes_per_modifier;
        for (int modifier = 0; modifier < 8 && !mask; ++modifier) {
            for (int k = 0; k < perModifier; ++k) {
                const xcb_keycode_t code = codes[modifier * perModifier + k];
                for (xcb_keycode_t *n = numLock; code && *n != XCB_NO_SYMBOL; ++n) {
                    if (*n == code)
                        mask = quint16(1u << modifier);
                }
            }
        }
        std::free(reply);
    }
    std::free(numLock);
    return mask;
}
} // namespace

std::unique_ptr<X11HotKey> X11HotKey::create(quint32 keysym, quint16 modifiers, const QString &description)
{
    QNativeInterface::QX11Application *native = x11();
    if (!native || !native->connection())
        return nullptr;
    xcb_connection_t *connection = native->connection();
    xcb_key_symbols_t *symbols = xcb_key_symbols_alloc(connection);
    if (!symbols)
        return nullptr;
    xcb_keycode_t *codes = xcb_key_symbols_get_keycode(symbols, keysym);
    const quint16 numLock = numLockMask(connection, symbols);
    xcb_key_symbols_free(symbols);
    if (!codes)
        return nullptr;
    const quint8 keycode = codes[0];
    std::free(codes);
    if (keycode == 0)
        return nullptr;

    // Holding a key sends press after press but one release only, so a hold fires once.
    if (native->display())
        XkbSetDetectableAutoRepeat(native->display(), True, nullptr);

    std::unique_ptr<X11HotKey> hotKey(new X11HotKey(keycode, modifiers, description));
    hotKey->m_numLockMask = numLock;
    if (!hotKey->grab()) {
        std::fprintf(stderr, "Vornik: the hot key %s is taken by another program and was not registered\n",
                     qPrintable(description));
        return nullptr;
    }
    return hotKey;
}

X11HotKey::X11HotKey(quint8 keycode, quint16 modifiers, const QString &description)
    : m_keycode(keycode)
    , m_modifiers(modifiers)
    , m_description(description)
{
}

X11HotKey::~X11HotKey()
{
    QCoreApplication::instance()->removeNativeEventFilter(this);
    ungrab();
    --g_activeCount;
}

int X11HotKey::activeCount()
{
    return g_activeCount;
}

QList<quint16> X11HotKey::variants() const
{
    QList<quint16> masks{m_modifiers, quint16(m_modifiers | XCB_MOD_MASK_LOCK)};
    if (m_numLockMask)
        masks << quint16(m_modifiers | m_numLockMask) << quint16(m_modifiers | m_numLockMask | XCB_MOD_MASK_LOCK);
    return masks;
}

bool X11HotKey::grab()
{
    xcb_connection_t *connection = x11()->connection();
    const xcb_window_t root = rootWindow(connection);
    QList<xcb_void_cookie_t> cookies;
    for (quint16 mask : variants())
        cookies << xcb_grab_key_checked(connection, 1, root, mask, m_keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    bool all = true;
    for (const xcb_void_cookie_t &cookie : cookies) {
        if (xcb_generic_error_t *error = xcb_request_check(connection, cookie)) {
            all = false;
            std::free(error);
        }
    }
    ++g_activeCount; // balanced by the destructor, which runs for a failed grab too
    if (!all) {
        ungrab();
        return false;
    }
    QCoreApplication::instance()->installNativeEventFilter(this);
    return true;
}

void X11HotKey::ungrab()
{
    QNativeInterface::QX11Application *native = x11();
    if (!native || !native->connection())
        return;
    xcb_connection_t *connection = native->connection();
    const xcb_window_t root = rootWindow(connection);
    // Only our own grabs can be released: ungrabbing a combination another client
    // holds does nothing, so a failed registration leaves the other program's alone.
    for (quint16 mask : variants())
        xcb_ungrab_key(connection, m_keycode, root, mask);
    xcb_flush(connection);
}

bool X11HotKey::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    const quint8 type = event->response_type & 0x7f;
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)
        return false;
    const auto *key = static_cast<const xcb_key_press_event_t *>(message);
    if (key->detail != m_keycode)
        return false;
    const quint16 locks = XCB_MOD_MASK_LOCK | m_numLockMask;
    if (type == XCB_KEY_PRESS) {
        // Arm on the press of our exact combination; the release may carry no modifiers.
        if ((key->state & ~locks & 0xff) != m_modifiers)
            return false;
        m_armed = true;
        return true;
    }
    if (!m_armed)
        return false;
    m_armed = false;
    traceCaptureStep("key-release");
    // The handler may open windows; let it run after the X event is through.
    if (m_keyUp)
        QMetaObject::invokeMethod(this, [this] { if (m_keyUp) m_keyUp(); }, Qt::QueuedConnection);
    return true;
}
