#include "app/vorKeyEvents.h"

#include "capture/ScreenCapture.h"
#include "platform/X11HotKey.h"

#include <QGuiApplication>
#include <X11/keysym.h>
#include <cstdio>

vorKeyEvents::vorKeyEvents(QObject *parent)
    : QObject(parent)
{
}

vorKeyEvents::~vorKeyEvents() = default;

void vorKeyEvents::registerHotKeys(ScreenCapture *capture)
{
    sc = capture;
    // The old grab goes first: grabbing the same combination again and then dropping
    // the old object would release the new grab with it.
    hotKey1.reset();
    hotKey2.reset();
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        std::fprintf(stderr, "Vornik: no global hot keys on this desktop; bind \"vornik --capture\" to a key instead\n");
        return;
    }
    const QStringList names = boundKeyNames();
    hotKey1 = X11HotKey::create(XK_9, X11HotKey::Control | X11HotKey::Shift, names.at(0));
    hotKey2 = X11HotKey::create(XK_F9, X11HotKey::Control, names.at(1));
    for (X11HotKey *hotKey : {hotKey1.get(), hotKey2.get()}) {
        if (hotKey)
            hotKey->setKeyUpHandler([this] { captureTrigger(); });
    }
}

QStringList vorKeyEvents::boundKeyNames()
{
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return {};
    return {QStringLiteral("Ctrl+Shift+9"), QStringLiteral("Ctrl+F9")};
}

void vorKeyEvents::captureTrigger()
{
    emit captureRequested();
}
