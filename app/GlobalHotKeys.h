#pragma once

#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QStringList>
#include <memory>

class PortalGlobalShortcuts;
class X11HotKey;

// The global hot keys: two keys, Ctrl+Shift+9 and Ctrl+F9 unless the user chose others
// (settings "capturehotkey1" and "capturehotkey2"), start a capture on key release.
// On Wayland they are asked of the desktop's GlobalShortcuts portal; where it has
// none, registration says once on stderr how to bind `vornik --capture` instead.
class GlobalHotKeys : public QObject
{
    Q_OBJECT
public:
    explicit GlobalHotKeys(QObject *parent = nullptr);
    ~GlobalHotKeys() override;

    // Registers both hot keys, replacing earlier registrations; a press-and-release
    // emits captureRequested, which the application connects to its capture request.
    // Returns the names of the chosen keys that could not be bound (another program
    // holds them, or the keyboard has no such key).
    QStringList registerHotKeys();

    // The two capture keys as the settings hold them; an empty one is no key.
    static QList<QKeySequence> configuredKeys();
    // The names of the keys registerHotKeys binds on this desktop, in the order they
    // are registered; none on Wayland, which gives a client no global keys.
    static QStringList boundKeyNames();
    // The names of the keys held now: on X11 those whose grab succeeded, on Wayland
    // those asked of the portal (once it has bound them).
    QStringList heldKeyNames() const;
    // The X keysym and modifier bits of `key`; false for a key X cannot grab this way.
    static bool x11KeyFor(QKeyCombination key, quint32 *keysym, quint16 *modifiers);

    std::unique_ptr<X11HotKey> hotKey1; // the first key, Ctrl+Shift+9 by default
    std::unique_ptr<X11HotKey> hotKey2; // the second, Ctrl+F9 by default
    std::unique_ptr<PortalGlobalShortcuts> portalShortcuts;   // Wayland

    // What Vornik says when the desktop offers no global shortcuts.
    static QString noGlobalShortcutsMessage();
    // Says it on stderr, the first time only.
    static void reportNoGlobalShortcuts();

signals:
    // A hot key was released and a capture requested.
    void captureRequested();

private:
    static QStringList portalKeyNames();
    void captureTrigger();
    void registerPortalShortcuts();
};
