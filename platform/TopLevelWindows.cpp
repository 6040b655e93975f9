#include "platform/TopLevelWindows.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QtGui/qguiapplication_platform.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>
#include <xcb/xcb.h>

namespace {

template<typename Reply>
using ReplyPointer = std::unique_ptr<Reply, decltype(&std::free)>;

template<typename Reply>
ReplyPointer<Reply> owned(Reply *reply)
{
    return ReplyPointer<Reply>(reply, &std::free);
}

// Made when missing: a window manager that starts later uses the same atom.
xcb_atom_t atomNamed(xcb_connection_t *connection, const char *name)
{
    auto reply = owned(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// Where Wayland (or any server without a window list) leaves us.
class NoWindowList : public TopLevelWindows
{
public:
    QList<QRect> frames() override { return {}; }
    QString unavailableReason() override
    {
        return QCoreApplication::translate("TopLevelWindows",
                                           "This display server does not tell programs where other windows are, "
                                           "so Vornik cannot select the window under the pointer.");
    }
};

class X11WindowList : public TopLevelWindows
{
public:
    explicit X11WindowList(xcb_connection_t *connection)
        : m_connection(connection)
        , m_root(xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root)
        , m_stacking(atomNamed(connection, "_NET_CLIENT_LIST_STACKING"))
        , m_extents(atomNamed(connection, "_NET_FRAME_EXTENTS"))
    {
    }

    QList<QRect> frames() override;
    QString unavailableReason() override
    {
        if (!stackingList().empty())
            return QString();
        return QCoreApplication::translate("TopLevelWindows",
                                           "No window manager lists its windows on this display, so Vornik cannot "
                                           "select the window under the pointer.");
    }

private:
    // The managed windows, bottom first.
    std::vector<xcb_window_t> stackingList();
    // The window's frame in device pixels of the root; null when it is not viewable.
    QRect frameOf(xcb_window_t window);

    xcb_connection_t *m_connection;
    xcb_window_t m_root;
    xcb_atom_t m_stacking;
    xcb_atom_t m_extents;
};

std::vector<xcb_window_t> X11WindowList::stackingList()
{
    if (m_stacking == XCB_ATOM_NONE)
        return {};
    auto reply = owned(xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 0, m_root, m_stacking, XCB_ATOM_WINDOW, 0, 65536), nullptr));
    if (!reply || reply->format != 32)
        return {};
    const auto *windows = static_cast<const xcb_window_t *>(xcb_get_property_value(reply.get()));
    return std::vector<xcb_window_t>(windows, windows + xcb_get_property_value_length(reply.get()) / 4);
}

QRect X11WindowList::frameOf(xcb_window_t window)
{
    const auto attributesCookie = xcb_get_window_attributes(m_connection, window);
    const auto geometryCookie = xcb_get_geometry(m_connection, window);
    const auto placeCookie = xcb_translate_coordinates(m_connection, window, m_root, 0, 0);
    const auto extentsCookie = xcb_get_property(m_connection, 0, window, m_extents, XCB_ATOM_CARDINAL, 0, 4);
    auto attributes = owned(xcb_get_window_attributes_reply(m_connection, attributesCookie, nullptr));
    auto geometry = owned(xcb_get_geometry_reply(m_connection, geometryCookie, nullptr));
    auto place = owned(xcb_translate_coordinates_reply(m_connection, placeCookie, nullptr));
    auto extents = owned(xcb_get_property_reply(m_connection, extentsCookie, nullptr));
    if (!attributes || !geometry || !place || attributes->map_state != XCB_MAP_STATE_VIEWABLE)
        return QRect();
    QRect frame(place->dst_x, place->dst_y, geometry->width, geometry->height);
    // left, right, top, bottom: how far the decoration reaches out of the window.
    if (extents && extents->format == 32 && xcb_get_property_value_length(extents.get()) == 16) {
        const auto *sides = static_cast<const uint32_t *>(xcb_get_property_value(extents.get()));
        frame.adjust(-int(sides[0]), -int(sides[2]), int(sides[1]), int(sides[3]));
    }
    return frame;
}

QList<QRect> X11WindowList::frames()
{
    // Qt's global coordinates are the root's device pixels over the ratio.
    const qreal ratio = qGuiApp->primaryScreen() ? qGuiApp->primaryScreen()->devicePixelRatio() : 1.0;
    const std::vector<xcb_window_t> windows = stackingList();
    QList<QRect> frames;
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        const QRect frame = frameOf(*it);
        if (!frame.isEmpty())
            frames << QRectF(QPointF(frame.topLeft()) / ratio, QSizeF(frame.size()) / ratio).toAlignedRect();
    }
    return frames;
}

} // namespace

std::unique_ptr<TopLevelWindows> makeTopLevelWindows()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (x11 && x11->connection())
        return std::make_unique<X11WindowList>(x11->connection());
    return std::make_unique<NoWindowList>();
}
