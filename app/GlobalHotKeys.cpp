#include "app/GlobalHotKeys.h"

#include "platform/PortalGlobalShortcuts.h"
#include "platform/Preferences.h"
#include "platform/SettingsKeys.h"
#include "platform/X11HotKey.h"

#include <QGuiApplication>
#include <QHash>
#include <X11/keysym.h>
#include <cstdio>

GlobalHotKeys::GlobalHotKeys(QObject *parent)
    : QObject(parent)
{
}

GlobalHotKeys::~GlobalHotKeys() = default;

QStringList GlobalHotKeys::registerHotKeys()
{
    // The old grab goes first: grabbing the same combination again and then dropping
    // the old object would release the new grab with it.
    hotKey1.reset();
    hotKey2.reset();
    portalShortcuts.reset();
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        registerPortalShortcuts();
        return {};
    }
    QStringList unbound;
    const QList<QKeySequence> keys = configuredKeys();
    std::unique_ptr<X11HotKey> *grabs[] = {&hotKey1, &hotKey2};
    for (int i = 0; i < keys.size(); ++i) {
        if (keys.at(i).isEmpty())
            continue;
        const QString name = keys.at(i).toString(QKeySequence::PortableText);
        quint32 keysym = 0;
        quint16 modifiers = 0;
        if (x11KeyFor(keys.at(i)[0], &keysym, &modifiers))
            *grabs[i] = X11HotKey::create(keysym, modifiers, name);
        if (*grabs[i])
            (*grabs[i])->setKeyUpHandler([this] { captureTrigger(); });
        else
            unbound << name;
    }
    return unbound;
}

QList<QKeySequence> GlobalHotKeys::configuredKeys()
{
    const Preferences &preferences = Preferences::standard();
    QList<QKeySequence> keys;
    const QLatin1String settings[] = {SettingsKeys::captureHotKey1, SettingsKeys::captureHotKey2};
    const char *standard[] = {"Ctrl+Shift+9", "Ctrl+F9"};
    for (int i = 0; i < 2; ++i) {
        const QString stored = preferences.hasKey(settings[i]) ? preferences.stringForKey(settings[i])
                                                               : QString::fromLatin1(standard[i]);
        const QKeySequence key = QKeySequence::fromString(stored, QKeySequence::PortableText);
        // A hot key is one combination; a stored sequence of several keeps its first.
        keys << (key.isEmpty() ? QKeySequence() : QKeySequence(key[0]));
    }
    return keys;
}

bool GlobalHotKeys::x11KeyFor(QKeyCombination combination, quint32 *keysym, quint16 *modifiers)
{
    const int key = int(combination.key());
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        *keysym = XK_a + quint32(key - Qt::Key_A);   // X names letters by their small form
    else if (key >= Qt::Key_Space && key <= Qt::Key_AsciiTilde)
        *keysym = quint32(key);                      // Latin-1 keysyms are the characters
    else if (key >= Qt::Key_F1 && key <= Qt::Key_F35)
        *keysym = XK_F1 + quint32(key - Qt::Key_F1);
    else {
        static const QHash<int, quint32> others{
            {Qt::Key_Print, XK_Print}, {Qt::Key_Pause, XK_Pause}, {Qt::Key_Insert, XK_Insert},
            {Qt::Key_Delete, XK_Delete}, {Qt::Key_Home, XK_Home}, {Qt::Key_End, XK_End},
            {Qt::Key_PageUp, XK_Prior}, {Qt::Key_PageDown, XK_Next}, {Qt::Key_Left, XK_Left},
            {Qt::Key_Right, XK_Right}, {Qt::Key_Up, XK_Up}, {Qt::Key_Down, XK_Down},
            {Qt::Key_Return, XK_Return}, {Qt::Key_Tab, XK_Tab}, {Qt::Key_Escape, XK_Escape}};
        if (!others.contains(key))
            return false;
        *keysym = others.value(key);
    }
    const Qt::KeyboardModifiers held = combination.keyboardModifiers();
    *modifiers = (held & Qt::ShiftModifier ? X11HotKey::Shift : 0) | (held & Qt::ControlModifier ? X11HotKey::Control : 0)
                 | (held & Qt::AltModifier ? X11HotKey::Alt : 0) | (held & Qt::MetaModifier ? X11HotKey::Super : 0);
    return true;
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
    QStringList names;
    for (const QKeySequence &key : configuredKeys()) {
        if (!key.isEmpty())
            names << key.toString(QKeySequence::PortableText);
    }
    return names;
}

void GlobalHotKeys::captureTrigger()
{
    emit captureRequested();
}
