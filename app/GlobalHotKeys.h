#pragma once

#include <QObject>
#include <QStringList>
#include <memory>

class PortalGlobalShortcuts;
class X11HotKey;

// The global hot keys: Ctrl+Shift+9 and Ctrl+F9 start a capture on key release.
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
    void registerHotKeys();

    // The names of the keys registerHotKeys binds on this desktop, in the order they
    // are registered; none on Wayland, which gives a client no global keys.
    static QStringList boundKeyNames();
    // The names of the keys held now: on X11 those whose grab succeeded, on Wayland
    // those asked of the portal (once it has bound them).
    QStringList heldKeyNames() const;

    std::unique_ptr<X11HotKey> hotKey1; // Ctrl+Shift+9
    std::unique_ptr<X11HotKey> hotKey2; // Ctrl+F9
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
