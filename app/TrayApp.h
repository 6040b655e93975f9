#pragma once

#include "app/AppServices.h"
#include "app/ScriptedCapture.h"
#include "banner/BannerActions.h"
#include "output/OverlayActions.h"
#include "helpers/AppRequests.h"
#include "app/LauncherWindow.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

struct CaptureChoice;
class EditorWindow;
class Preferences;
class QAction;
class QMenu;
class QScreen;
class QSystemTrayIcon;
class ScreenCapture;
class SingleInstance;
class PermissionWindowContent;
class GlobalHotKeys;
class PreferencesWindow;
class RecentUploadsMenu;
class UnsentUploadsMenu;

// The application: owns the capture service, the hot keys, the tray icon with the
// status menu and the history submenu, and the editor that is open, if any.
// main() creates one and calls start() once the event loop
// runs.
// The status menu's capture entry for the hot keys bound on this desktop:
// "Take Vornik ... Ctrl+Shift+9 or Ctrl+F9" on X11.
QString captureEntryTitle(const QStringList &keyNames);

class TrayApp : public AppRequests
{
    Q_OBJECT
    // The status item's title. Tray hosts show no text beside the icon, so it is kept
    // here and shown through the tool tip and the icon.
    Q_PROPERTY(QString statusItemTitle READ statusItemTitle NOTIFY statusItemChanged)
    Q_PROPERTY(QString statusItemToolTip READ statusItemToolTip NOTIFY statusItemChanged)
public:
    // `services` answers what the desktop offers (main() hands in AppServices::standard()).
    explicit TrayApp(AppServices services, QObject *parent = nullptr);
    ~TrayApp() override;

    EditorWindow *lastEditor = nullptr; // the editor open last; created by the editor on first use
    bool editorOpen = false;              // true while an editor window is open
    ScreenCapture *screenCapture = nullptr;
    GlobalHotKeys *hotKeys = nullptr;
    QString loginItemTitle;
    const QString addLoginItemTitle = tr("Run Vornik at startup");
    const QString removeLoginItemTitle = tr("Do not run Vornik at startup");
    // The last entry of the status menu, after all the others.
    const QString preferencesTitle = tr("Preferences…");
    Preferences &preferences;
    PermissionWindowContent *permissionContent = nullptr;
    // Given up before a restart so the successor can take over.
    SingleInstance *singleInstance = nullptr;

    // Start-up, in order: notifications, capture service, login title, hot keys (where
    // the desktop has a back end for them), status menu, tray icon. `capturing`: this
    // start was asked for a capture, which the window opened for a missing tray would
    // stand in.
    void start(bool capturing = false);

    void requestCapture() override;
    // A capture asked for from the command line: after its delay, the overlays (the
    // answer is then at once "ok") or the capture it names without them, answered
    // through `reply` when done.
    void runCaptureRequest(const CaptureRequest &request, ScriptedCapture::Reply reply);
    // Waits `seconds`, counting down in the tool tip, then runs `then`.
    void countDown(int seconds, std::function<void()> then);
    void setEditorActive(QWidget *editor, bool active) override;
    // What the user chose in the capture overlays: the editor opens on the region, or
    // it is saved, uploaded or copied.
    void actOnSelection(const CaptureChoice &choice);
    bool canRecordScreen() const;
    void openWebPage(const QString &url);

    QMenu *statusMenu() const { return m_statusMenu; }
    // The window with the status menu's entries (null until first opened).
    LauncherWindow *launcherWindow() const { return m_launcher; }
    RecentUploadsMenu *historyMenu() const { return m_historyMenu; }
    UnsentUploadsMenu *unsentMenu() const { return m_unsentMenu; }
    QSystemTrayIcon *statusItem();
    QString statusItemTitle() const { return m_statusTitle; }
    QString statusItemToolTip() const { return m_statusToolTip; }
    bool hotKeysRegistered() const { return m_hotKeysRegistered; }
    // The Preferences window while it is open, else null.
    PreferencesWindow *preferencesWindow() const;

    // Adds or removes the autostart entry, keeping the tools menu's login entry and the
    // stored choice in step; false (and a notification) when the entry did not change.
    bool setRunAtLogin(bool runAtLogin);
    // Binds the capture keys the settings hold now, where the desktop has a back end
    // for them, and names them in the capture entry; the names of keys left unbound.
    QStringList rebindHotKeys();

    // The short version string; "triedonce" + version gates the first capture of
    // each version. Tests set another to act as an updated installation.
    QString shortVersionString() const { return m_version; }
    void setShortVersionString(const QString &version) { m_version = version; }

    // What starts a capture (screenCapture->captureAllScreens() unless replaced).
    void setCaptureStarter(std::function<void()> starter) { m_captureStarter = std::move(starter); }
    // How restart starts the successor and how the application ends.
    using Launcher = std::function<bool(const QString &program, const QStringList &arguments)>;
    void setRelauncher(Launcher launcher) { m_relauncher = std::move(launcher); }
    void setTerminator(std::function<void()> terminator) { m_terminator = std::move(terminator); }
    // The program the login entry and restart start (this executable by default).
    void setExecutablePath(const QString &path) { m_executablePath = path; }

public slots:
    void takeScreenshot(QObject *sender = nullptr);
    void open(QObject *sender = nullptr);
    void openHelpPage(QObject *sender = nullptr);
    void loginAtStartup(QObject *sender);
    void restart(QObject *sender = nullptr);
    void quit(QObject *sender = nullptr);
    void openAllHistory(QObject *sender = nullptr);
    void openImage(QObject *sender);
    void openBannerWindow(QObject *sender = nullptr);
    void changeBannerColor(QObject *sender = nullptr);
    void changeBannerImage(QObject *sender = nullptr);
    void setToDefaultBanner(QObject *sender = nullptr);
    // Opens the Preferences window, or brings the open one to the front.
    void openPreferences(QObject *sender = nullptr);
    void menuWillOpen();
    // Asks for the sharing service's address and stores it, as `vornik --set-service`
    // does; a failed upload offers it when no service is set up.
    void setUpService();
    // Opens the window with the status menu's entries (a later start of Vornik asks).
    void showLauncherWindow();

signals:
    void statusItemChanged();
    void hotKeysRegisteredChanged(bool registered);
    // A permission window was opened for a refused capture request.
    void permissionWindowShown(QWidget *window);

private:
    void setupLoginTitle();
    void setupHotKeys();
    void registerHotKeys();
    void buildStatusMenu();
    void setupStatusItem();
    void openLauncherWithoutTray(bool capturing, bool firstStart);
    QAction *addMenuEntry(QMenu *menu, const QString &title, void (TrayApp::*slot)(QObject *));
    void showPermissionWindow();
    void setStatusItem(const QString &title, const QString &toolTip, const QString &iconName);
    void reportStartupTrace();
    void giveFirstRunHint();
    void postFirstRunHint(const QStringList &keyNames);
    void setToolTipOnly(const QString &toolTip);

    AppServices m_services;
    // The status menu's banner actions, shared with every banner window it opens.
    BannerActions m_bannerActions;
    // What the overlays' save, upload and copy buttons do with the chosen region.
    OverlayActions m_overlayActions;
    QMenu *m_statusMenu = nullptr;
    RecentUploadsMenu *m_historyMenu = nullptr;
    UnsentUploadsMenu *m_unsentMenu = nullptr;
    QSystemTrayIcon *m_statusItem = nullptr;
    // The status menu's entries the launcher window shows too, in its order.
    QList<QAction *> m_launcherEntries;
    QPointer<LauncherWindow> m_launcher;
    QPointer<EditorWindow> m_editorGuard;
    QPointer<PreferencesWindow> m_preferencesWindow;
    QAction *m_captureEntry = nullptr;
    QAction *m_loginEntry = nullptr;
    QString m_statusTitle;
    QString m_statusToolTip = QStringLiteral("Vornik");
    QString m_version;
    QString m_executablePath;
    bool m_hotKeysRegistered = false;
    QStringList m_unboundHotKeys;   // chosen capture keys the last binding could not grab
    std::function<void()> m_captureStarter;
    ScriptedCapture *m_scripted = nullptr;
    int m_countdowns = 0;          // countdowns running now
    QString m_toolTipBeforeCountdown;
    Launcher m_relauncher;
    std::function<void()> m_terminator;
};
