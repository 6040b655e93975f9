#pragma once

#include "platform/PortalShortcut.h"

#include <QDBusArgument>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QVariantMap>

Q_DECLARE_METATYPE(PortalShortcut)
QDBusArgument &operator<<(QDBusArgument &argument, const PortalShortcut &shortcut);
const QDBusArgument &operator>>(const QDBusArgument &argument, PortalShortcut &shortcut);

// Global shortcuts through the desktop's GlobalShortcuts portal, the way a Wayland
// client gets keys that work while another application has the focus (KDE Plasma 5.27
// and 6 through xdg-desktop-portal 1.16 and later, GNOME 48 offer it). The portal's dialogs let the user
// confirm or change the keys; the portal then reports each press (Activated) and
// release (Deactivated) of a bound shortcut. Like the X11 hot keys, a shortcut fires on
// its release after a press.
class PortalGlobalShortcuts : public QObject
{
    Q_OBJECT
public:
    explicit PortalGlobalShortcuts(QObject *parent = nullptr);
    ~PortalGlobalShortcuts() override;

    // Whether the session bus has a portal with the GlobalShortcuts interface.
    static bool available();

    // Opens a session (always under the same token, naming `shortcuts`) and asks the
    // portal to bind `shortcuts` in it; bound() or failed() follows from the event
    // loop. A portal that binds none has failed.
    void bind(const QList<PortalShortcut> &shortcuts);

    QString sessionHandle() const { return m_session; }

signals:
    // The portal bound the shortcuts (as the user confirmed or changed them).
    void bound(const QList<PortalShortcut> &shortcuts);
    void failed(const QString &why);
    // A bound shortcut was pressed and released.
    void released(const QString &id);

private slots:
    void handleSessionCreated(uint response, const QVariantMap &results);
    void handleBound(uint response, const QVariantMap &results);
    void handleListed(uint response, const QVariantMap &results);
    void handleActivated(const QDBusObjectPath &session, const QString &id, qulonglong timestamp, const QVariantMap &options);
    void handleDeactivated(const QDBusObjectPath &session, const QString &id, qulonglong timestamp, const QVariantMap &options);

private:
    // Calls `method` with `arguments` (the last being its options, to which a fresh
    // handle_token is added) and routes the request's Response to `slot`.
    bool request(const QString &method, QList<QVariant> arguments, const char *slot);
    void stopListening();
    static QList<PortalShortcut> shortcutsOf(const QVariantMap &results);

    QList<PortalShortcut> m_wanted;
    QString m_session;
    QString m_requestPath;
    const char *m_responseSlot = nullptr;
    QSet<QString> m_held;   // pressed, not yet released
};
