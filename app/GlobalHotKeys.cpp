#include "app/GlobalHotKeys.h"

#include "platform/PortalGlobalShortcuts.h"
#include "platform/X11HotKey.h"

#include <QGuiApplication>
#include <X11/keysym.h>
#include <cstdio>

GlobalHotKeys::GlobalHotKeys(QObject *parent)
    : QObject(parent)
{
}

GlobalHotKeys::~GlobalHotKeys() = default;

void GlobalHotKeys::registerHotKeys()
{
    // The old grab goes first: grabbing the same combination again and then dropping
    // the old object would release the new grab with it.
    hotKey1.reset();
    hotKey2.reset();
    portalShortcuts.reset();
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        registerPortalShortcuts();
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

void GlobalHotKeys::registerPortalShortcuts()
{
    if (!PortalGlobalShortcuts::available()) {
        reportNoGlobalShortcuts();
        return;
    }
    portalShortcuts = std::make_unique<PortalGlobalShortcuts>();
    connect(portalShortcuts.get(), &PortalGlobalShortcuts::released, this, [this] { captureTrigger(); });
    connect(portalShortcuts.get(), &PortalGlobalShortcuts::failed, this, [](const QString &why) {
        std::fprintf(stderr, "Vornik: %s\n%s\n", qPrintable(why), qPrintable(noGlobalShortcutsMessage()));
    });
    // The portal's names for keys: modifiers in capitals, then the key's xkb name.
    const QStringList names = portalKeyNames();
    const QStringList triggers{QStringLiteral("CTRL+SHIFT+9"), QStringLiteral("CTRL+F9")};
    QList<PortalShortcut> shortcuts;
    for (int i = 0; i < names.size(); ++i)
        shortcuts.append({QStringLiteral("capture%1").arg(i + 1),
                          {{QStringLiteral("description"),
                            //: The shortcut's description in the desktop's settings; %1 is its keys.
                            tr("Take a Vornik screenshot (%1)").arg(names.at(i))},
                           {QStringLiteral("preferred_trigger"), triggers.at(i)}}});
    portalShortcuts->bind(shortcuts);
}

void GlobalHotKeys::reportNoGlobalShortcuts()
{
    static bool reported = false;
    if (reported)
        return;
    reported = true;
    std::fprintf(stderr, "%s\n", qPrintable(noGlobalShortcutsMessage()));
}

QString GlobalHotKeys::noGlobalShortcutsMessage()
{
    //: Keep "vornik --capture" as it is: it is the command to bind.
    return tr("Vornik: this desktop gives applications no global hot keys; bind Ctrl+Shift+9 to the "
              "command \"vornik --capture\" in its keyboard shortcut settings (the README shows how "
              "for GNOME, KDE and sway)");
}

QStringList GlobalHotKeys::heldKeyNames() const
{
    if (portalShortcuts)
        return portalKeyNames();
    QStringList names;
    for (const auto *hotKey : {hotKey1.get(), hotKey2.get()}) {
        if (hotKey)
            names << hotKey->description();
    }
    return names;
}

QStringList GlobalHotKeys::portalKeyNames()
{
    return {QStringLiteral("Ctrl+Shift+9"), QStringLiteral("Ctrl+F9")};
}

QStringList GlobalHotKeys::boundKeyNames()
{
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return {};
    return {QStringLiteral("Ctrl+Shift+9"), QStringLiteral("Ctrl+F9")};
}

void GlobalHotKeys::captureTrigger()
{
    emit captureRequested();
}
