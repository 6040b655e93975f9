#include "app/TrayApp.h"

#include "Version.h"
#include "platform/Preferences.h"
#include "app/CapturePermission.h"
#include "app/StatusIconEngine.h"
#include "app/PermissionWindow.h"
#include "app/PreferencesWindow.h"
#include "service/WebPages.h"
#include "app/GlobalHotKeys.h"
#include "app/LauncherWindow.h"
#include "history/RecentUploadsMenu.h"
#include "history/UnsentUploadsMenu.h"
#include "output/UploadFailure.h"
#include "app/ServiceSetting.h"
#include "banner/BannerActions.h"
#include "banner/BannerWindow.h"
#include "capture/ScreenCapture.h"
#include "output/OverlayActions.h"
#include "editor/EditorWindow.h"
#include "helpers/Links.h"
#include "helpers/PinWindow.h"
#include "output/TextCopy.h"
#include "helpers/ResourceImages.h"
#include "history/HistoryWindow.h"
#include "service/ServiceConfiguration.h"
#include "platform/Autostart.h"
#include "platform/PortalGlobalShortcuts.h"
#include "platform/SingleInstance.h"
#include "platform/SettingsKeys.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDateTime>
#include <QInputDialog>
#include <QLineEdit>
#include <QPixmap>
#include <QMenu>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>
#include <cstdio>
#include <memory>

TrayApp::TrayApp(AppServices services, QObject *parent)
    : AppRequests(parent)
    , hotKeys(new GlobalHotKeys(this))
    , preferences(Preferences::standard())
    , m_services(std::move(services))
    , m_bannerActions(m_services.desktop)
    , m_overlayActions(m_services.desktop)
    , m_version(QStringLiteral(VORNIK_VERSION))
    , m_executablePath(QCoreApplication::applicationFilePath())
{
    screenCapture = new ScreenCapture(m_services.desktop.notifier, this);
    permissionContent = new PermissionWindowContent(m_services.startProgram, m_services.desktop.opener, this);
    // The hot keys report upward; the delegate decides what a capture request means.
    connect(hotKeys, &GlobalHotKeys::captureRequested, this, &TrayApp::requestCapture);
    connect(screenCapture, &ScreenCapture::selectionChosen, this, &TrayApp::actOnSelection);
    m_captureStarter = [this] { screenCapture->captureAllScreens(); };
    m_scripted = new ScriptedCapture(*screenCapture, m_services.desktop, this);
    m_relauncher = m_services.startProgram;
    m_terminator = [] { QCoreApplication::quit(); };
    connect(m_services.desktop.notifier.get(), &Notifier::actionRequested, this, [this](const QString &key) {
        if (key == QLatin1String(kSetUpServiceAction))
            setUpService();
    });
}

TrayApp::~TrayApp()
{
    m_services.desktop.notifier->setFallback({});
    delete m_launcher.data(); // its buttons follow the status menu's entries
    delete m_preferencesWindow.data();
    delete m_statusMenu; // has no parent widget; owns the tools, banner and history menus
}

void TrayApp::start(bool capturing)
{
    // Without a notification server, notifications go to the tray balloon.
    m_services.desktop.notifier->setFallback([this](const QString &title, const QString &subtitle, const QString &text) {
        if (!m_statusItem || !QSystemTrayIcon::isSystemTrayAvailable() || !QSystemTrayIcon::supportsMessages())
            return false;
        m_statusItem->showMessage(title, subtitle + QLatin1Char('\n') + text);
        return true;
    });
    setupLoginTitle();
    const bool firstStart = !preferences.hasKey(SettingsKeys::firstStartDone);
    setupHotKeys();
    buildStatusMenu();
    setupStatusItem();
    if (firstStart && !preferences.hasKey(SettingsKeys::firstRunHintShown))
        giveFirstRunHint();
    openLauncherWithoutTray(capturing, firstStart);
    reportStartupTrace();
}

// The very first start says how to take a screenshot, naming the keys that really were
// bound: the portal answers later, an X11 grab another program holds fails at once.
void TrayApp::giveFirstRunHint()
{
    if (hotKeys->portalShortcuts) {
        PortalGlobalShortcuts *portal = hotKeys->portalShortcuts.get();
        connect(portal, &PortalGlobalShortcuts::bound, this, [this] { postFirstRunHint(hotKeys->heldKeyNames()); });
        connect(portal, &PortalGlobalShortcuts::failed, this, [this] { postFirstRunHint({}); });
        return;
    }
    postFirstRunHint(hotKeys->heldKeyNames());
}

void TrayApp::postFirstRunHint(const QStringList &keyNames)
{
    if (preferences.hasKey(SettingsKeys::firstRunHintShown))
        return;
    preferences.setInteger(SettingsKeys::firstRunHintShown, 1);
    preferences.synchronize();
    const QString text = keyNames.isEmpty()
        ? tr("This desktop let Vornik bind no hot key. To take a screenshot, bind a key to the command "
             "\"vornik --capture\" in the desktop's keyboard shortcut settings, or choose \"%1\" in Vornik's "
             "tray menu.").arg(captureEntryTitle({}))
        : tr("Press %1 to take a screenshot, or choose \"%2\" in Vornik's tray menu.")
              .arg(keyNames.join(tr(" or ")), captureEntryTitle(GlobalHotKeys::boundKeyNames()));
    m_services.desktop.notifier->post(tr("Vornik is ready"), text);
}

void TrayApp::setupLoginTitle()
{
    if (preferences.hasKey(SettingsKeys::runAtLogin)) {
        loginItemTitle = preferences.integerForKey(SettingsKeys::runAtLogin) == 1 ? removeLoginItemTitle : addLoginItemTitle;
        return;
    }
    loginItemTitle = addLoginItemTitle;
    preferences.setInteger(SettingsKeys::runAtLogin, 0);
}

void TrayApp::setupHotKeys()
{
    // Written on the first start only; existing settings files keep it.
    if (!preferences.hasKey(SettingsKeys::firstStartDone))
        preferences.setInteger(SettingsKeys::firstStartDone, 1);
    if (!m_services.hotKeyBackendPresent()) {
        // No keys to bind: say how to get a capture key all the same.
        GlobalHotKeys::reportNoGlobalShortcuts();
        return;
    }
    registerHotKeys();
}

void TrayApp::registerHotKeys()
{
    m_unboundHotKeys = hotKeys->registerHotKeys();
    m_hotKeysRegistered = true;
    emit hotKeysRegisteredChanged(true);
}

QAction *TrayApp::addMenuEntry(QMenu *menu, const QString &title, void (TrayApp::*slot)(QObject *))
{
    QAction *action = menu->addAction(title);
    if (slot)
        connect(action, &QAction::triggered, this, [this, action, slot] { (this->*slot)(action); });
    return action;
}

void TrayApp::buildStatusMenu()
{
    m_statusMenu = new QMenu;
    m_statusMenu->setObjectName(QStringLiteral("statusMenu"));
    connect(m_statusMenu, &QMenu::aboutToShow, this, &TrayApp::menuWillOpen);
    m_historyMenu = new RecentUploadsMenu(m_services.desktop, m_statusMenu);
    connect(m_historyMenu, &RecentUploadsMenu::allHistoryRequested, this, [this](QObject *item) { openAllHistory(item); });

    const QString version = shortVersionString();
    //: %1 is the version, "1.2" for instance.
    addMenuEntry(m_statusMenu, tr("About/Usage Video For Vornik %1").arg(version), &TrayApp::open);
    m_statusMenu->addSeparator();
    if (!canRecordScreen()) {
        //: %1 is the version, "1.2" for instance.
        addMenuEntry(m_statusMenu, tr("Vornik %1 help").arg(version), &TrayApp::openHelpPage);
        m_statusMenu->addSeparator();
    }
    m_captureEntry = addMenuEntry(m_statusMenu, captureEntryTitle(GlobalHotKeys::boundKeyNames()),
                                  &TrayApp::takeScreenshot);
    m_statusMenu->addSeparator();

    auto *tools = new QMenu(tr("Vornik tools"), m_statusMenu);
    m_statusMenu->addMenu(tools);
    m_statusMenu->addSeparator();
    QAction *quit = addMenuEntry(m_statusMenu, tr("Quit Vornik"), &TrayApp::quit);
    m_statusMenu->addSeparator();
    QAction *preferences = addMenuEntry(m_statusMenu, preferencesTitle, &TrayApp::openPreferences);

    m_loginEntry = addMenuEntry(tools, loginItemTitle, &TrayApp::loginAtStartup);
    //: Starts Vornik anew.
    addMenuEntry(tools, tr("Restart"), &TrayApp::restart);
    tools->addSeparator();
    auto *banner = new QMenu(tr("Banner settings"), tools);
    tools->addMenu(banner);
    tools->addMenu(m_historyMenu);
    m_unsentMenu = new UnsentUploadsMenu(m_services.desktop, tools);
    tools->addMenu(m_unsentMenu);

    addMenuEntry(banner, tr("Set to default banner ...."), &TrayApp::setToDefaultBanner);
    addMenuEntry(banner, tr("Change banner image ...."), &TrayApp::changeBannerImage);
    addMenuEntry(banner, tr("Change banner color ...."), &TrayApp::changeBannerColor);
    // The only way to the banner window itself.
    QAction *bannerWindow = addMenuEntry(banner, tr("Banner window ...."), &TrayApp::openBannerWindow);

    // The history submenu builds its entries as it opens; its first one opens the
    // history window, which the launcher window offers directly.
    auto *history = new QAction(RecentUploadsMenu::allHistoryTitle(), m_statusMenu);
    connect(history, &QAction::triggered, this, [this, history] { openAllHistory(history); });
    m_launcherEntries = {m_captureEntry, history, bannerWindow, preferences, m_loginEntry, quit};
}

QString captureEntryTitle(const QStringList &keyNames)
{
    // Names the keys that start a capture on this desktop, and none where none is bound.
    if (keyNames.isEmpty())
        return QCoreApplication::translate("TrayApp", "Take Vornik ...");
    //: Joins the names of the hot keys that take a screenshot: "Ctrl+Shift+9 or Ctrl+F9".
    const QString joiner = QCoreApplication::translate("TrayApp", " or ");
    //: The capture entry of the status menu; %1 names the hot keys ("Ctrl+Shift+9 or Ctrl+F9").
    return QCoreApplication::translate("TrayApp", "Take Vornik ... %1").arg(keyNames.join(joiner));
}

QSystemTrayIcon *TrayApp::statusItem()
{
    if (!m_statusItem)
        m_statusItem = new QSystemTrayIcon(this);
    return m_statusItem;
}

void TrayApp::setupStatusItem()
{
    QSystemTrayIcon *item = statusItem();
    setStatusItem(QString(), QStringLiteral("Vornik"), QStringLiteral("statusIcon"));
    item->setContextMenu(m_statusMenu);
    // A left click opens the same menu, as a status item does.
    connect(item, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            m_statusMenu->popup(QCursor::pos());
    });
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        // Only keys this desktop binds are named (none on Wayland unless its portal binds them).
        const QStringList keys = GlobalHotKeys::boundKeyNames();
        std::fprintf(stderr, "Vornik: no system tray is running; capture with %s\"vornik --capture\"\n",
                     keys.isEmpty() ? "" : qPrintable(keys.join(QStringLiteral(", ")) + QStringLiteral(" or ")));
    }
    // On X11 a hidden-by-absence icon docks once a tray appears. Elsewhere Qt decides
    // at the icon's making whether there is a tray, and showing one without it only
    // warns on stderr (it waits for an X11 tray that cannot come).
    if (QSystemTrayIcon::isSystemTrayAvailable() || QGuiApplication::platformName() == QLatin1String("xcb"))
        item->show();
}

void TrayApp::openLauncherWithoutTray(bool capturing, bool firstStart)
{
    // At the account's first start, unless it captures (the window would be in the
    // picture): without a tray it is the only way to most of Vornik.
    if (QSystemTrayIcon::isSystemTrayAvailable() || capturing || !firstStart)
        return;
    showLauncherWindow();
    m_launcher->setTrayMissingNoteVisible(true);
}

void TrayApp::showLauncherWindow()
{
    if (!m_statusMenu)
        return;
    if (!m_launcher) {
        m_launcher = new LauncherWindow(m_launcherEntries);
        m_launcher->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_launcher->present();
}

void TrayApp::setStatusItem(const QString &title, const QString &toolTip, const QString &iconName)
{
    m_statusTitle = title;
    m_statusToolTip = toolTip;
    if (m_statusItem) {
        m_statusItem->setIcon(StatusIconEngine::iconNamed(iconName));
        m_statusItem->setToolTip(toolTip);
    }
    emit statusItemChanged();
}

void TrayApp::reportStartupTrace()
{
    if (qEnvironmentVariable("VORNIK_STARTUP_TRACE") != QLatin1String("1"))
        return;
    // Once the loop has handled what showing the icon queued.
    QTimer::singleShot(0, this, [] {
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        std::fprintf(stderr, "vornik: tray ready at %lld.%03lld\n", now / 1000, now % 1000);
        std::fflush(stderr);
    });
}

bool TrayApp::canRecordScreen() const
{
    return m_services.captureBackendPresent();
}

void TrayApp::requestCapture()
{
    const QString triedOnce = SettingsKeys::firstCaptureOfVersionPrefix + shortVersionString();
    if (!preferences.hasKey(triedOnce)) {
        preferences.setInteger(triedOnce, 1);
        m_captureStarter();
        return;
    }
    if (canRecordScreen()) {
        m_captureStarter();
        return;
    }
    showPermissionWindow();
}

void TrayApp::runCaptureRequest(const CaptureRequest &request, ScriptedCapture::Reply reply)
{
    if (request.delaySeconds > 0) {
        CaptureRequest now = request;
        now.delaySeconds = 0;
        countDown(request.delaySeconds, [this, now, reply] { runCaptureRequest(now, reply); });
        return;
    }
    if (request.mode == CaptureRequest::Mode::Overlay) {
        requestCapture();
        reply(CaptureAnswer::success(QByteArray()));
        return;
    }
    if (!canRecordScreen()) {
        reply(CaptureAnswer::failure(tr("nothing on this desktop can take a picture of the screen")));
        return;
    }
    m_scripted->run(request, std::move(reply));
}

void TrayApp::countDown(int seconds, std::function<void()> then)
{
    if (m_countdowns++ == 0)
        m_toolTipBeforeCountdown = m_statusToolTip;
    const auto tick = std::make_shared<std::function<void(int)>>();
    *tick = [this, tick, then = std::move(then)](int left) {
        if (left > 0) {
            setToolTipOnly(tr("Vornik: screenshot in %n s", nullptr, left));
            QTimer::singleShot(1000, this, [tick, left] { (*tick)(left - 1); });
            return;
        }
        if (--m_countdowns == 0)
            setToolTipOnly(m_toolTipBeforeCountdown);
        then();
        // The closure holds itself; it is let go once it has returned.
        QTimer::singleShot(0, [tick] { *tick = nullptr; });
    };
    (*tick)(seconds);
}

void TrayApp::setToolTipOnly(const QString &toolTip)
{
    m_statusToolTip = toolTip;
    if (m_statusItem)
        m_statusItem->setToolTip(toolTip);
    emit statusItemChanged();
}

void TrayApp::showPermissionWindow()
{
    // Wayland tells a client nothing of the pointer outside its own windows: the
    // window goes on the primary display there.
    const bool pointerKnown = !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    QScreen *display = pointerKnown ? screenContaining(QCursor::pos(), QGuiApplication::screens()) : nullptr;
    if (!display)
        display = QGuiApplication::primaryScreen();
    const QRect frame = permissionWindowGeometry(display ? display->geometry() : QRect(0, 0, 1024, 768));

    auto *window = new PermissionWindow;
    window->setGeometry(frame);
    auto *view = new QWidget(window);
    view->setGeometry(0, 0, frame.width(), frame.height());
    permissionContent->setView(view);
    permissionContent->buildContent();
    window->show();
    window->raise();
    window->activateWindow();
    emit permissionWindowShown(window);
}

void TrayApp::actOnSelection(const CaptureChoice &choice)
{
    switch (choice.action) {
    case CaptureChoice::Action::Edit:
        if (!choice.picture.isNull())
            EditorWindow::openOn(choice.picture, choice.screen, this, m_services.desktop);
        break;
    case CaptureChoice::Action::Save:
        m_overlayActions.saveSelectionLocally(choice.picture);
        break;
    case CaptureChoice::Action::Upload:
        m_overlayActions.uploadSelection(choice.picture);
        break;
    case CaptureChoice::Action::Copy:
        m_overlayActions.copySelectionToClipboard(choice.picture);
        break;
    case CaptureChoice::Action::Pin:
        // Where the region was, so the pinned picture covers what it shows at first.
        PinWindow::pin(choice.picture,
                       (choice.screen ? choice.screen->geometry().topLeft() : QPoint())
                           + choice.region.topLeft().toPoint(),
                       m_services.desktop);
        break;
    case CaptureChoice::Action::CopyText:
        copyRecognisedText(m_services.desktop, choice.picture);
        break;
    }
}

void TrayApp::setEditorActive(QWidget *editor, bool active)
{
    auto *controller = qobject_cast<EditorWindow *>(editor);
    if (active) {
        lastEditor = controller;
        m_editorGuard = controller;
        editorOpen = true;
        //: The status item's title and tool tip while an editor is open: a click on the item raises it.
        setStatusItem(tr("Bring all to front."), tr("Vornik - Bring all to front."),
                      QStringLiteral("statusIconFront"));
    } else {
        editorOpen = false;
        setStatusItem(QString(), QStringLiteral("Vornik"), QStringLiteral("statusIcon"));
    }
}

void TrayApp::menuWillOpen()
{
    // The guard: an editor deleted without saying goodbye is not touched.
    if (!editorOpen || !m_editorGuard)
        return;
    QWidget *editor = m_editorGuard->window();
    // Shown first, so the frame the window manager adds is known when centring.
    editor->show();
    if (QScreen *display = editor->screen()) {
        QRect centred = editor->frameGeometry();
        centred.moveCenter(display->availableGeometry().center());
        editor->move(centred.topLeft());
    }
    editor->raise();
    editor->activateWindow();
}

void TrayApp::openWebPage(const QString &url)
{
    openWebPageText(*m_services.desktop.opener, url);
}

void TrayApp::takeScreenshot(QObject *)
{
    requestCapture();
}

void TrayApp::open(QObject *)
{
    openWebPage(homePageUrl());
}

void TrayApp::openHelpPage(QObject *)
{
    openWebPage(helpPageUrl());
}

void TrayApp::loginAtStartup(QObject *sender)
{
    auto *entry = qobject_cast<QAction *>(sender);
    if (!entry)
        return;
    setRunAtLogin(entry->text() == addLoginItemTitle);
}

bool TrayApp::setRunAtLogin(bool adding)
{
    // The title and the stored value change only once the autostart entry really has:
    // a menu that claims a login item the session will not start is worse than none.
    const bool changed = adding ? Autostart::addLoginItem(m_executablePath) : Autostart::removeLoginItem();
    if (!changed) {
        //: %1 is the autostart file, ~/.config/autostart/vornik.desktop for instance.
        const QString notAdded = tr("Vornik could not add itself to the programs started at login: "
                                    "%1 could not be written.");
        //: %1 is the autostart file, ~/.config/autostart/vornik.desktop for instance.
        const QString notRemoved = tr("Vornik could not remove itself from the programs started at "
                                      "login: %1 could not be removed.");
        m_services.desktop.notifier->post(tr("Login Item Error"),
                                          (adding ? notAdded : notRemoved).arg(Autostart::entryPath()));
        return false;
    }
    loginItemTitle = adding ? removeLoginItemTitle : addLoginItemTitle;
    if (m_loginEntry)
        m_loginEntry->setText(loginItemTitle);
    preferences.setInteger(SettingsKeys::runAtLogin, adding ? 1 : 0);
    return true;
}

QStringList TrayApp::rebindHotKeys()
{
    if (m_hotKeysRegistered)
        m_unboundHotKeys = hotKeys->registerHotKeys();
    if (m_captureEntry)
        m_captureEntry->setText(captureEntryTitle(GlobalHotKeys::boundKeyNames()));
    return m_unboundHotKeys;
}

PreferencesWindow *TrayApp::preferencesWindow() const
{
    return m_preferencesWindow;
}

void TrayApp::openPreferences(QObject *)
{
    if (!m_preferencesWindow) {
        PreferencesHooks hooks;
        hooks.setRunAtLogin = [this](bool on) { return setRunAtLogin(on); };
        hooks.rebindHotKeys = [this] { return rebindHotKeys(); };
        hooks.unboundHotKeys = [this] { return m_unboundHotKeys; };
        m_preferencesWindow = new PreferencesWindow(std::move(hooks), m_services.desktop);
    }
    m_preferencesWindow->show();
    m_preferencesWindow->raise();
    m_preferencesWindow->activateWindow();
}

void TrayApp::restart(QObject *)
{
    QStringList arguments = QCoreApplication::arguments().mid(1);
    // The successor must not capture again because this one was asked to once.
    arguments.removeAll(QStringLiteral("--capture"));
    // Free the lock and socket first, or the successor would find us running.
    if (singleInstance)
        singleInstance->release();
    m_relauncher(m_executablePath, arguments);
    m_terminator();
}

void TrayApp::quit(QObject *)
{
    m_terminator();
}

void TrayApp::openAllHistory(QObject *)
{
    if (!isConnectedToNetwork(*m_services.desktop.reachability)) {
        m_services.desktop.notifier->post(tr("No network connection"), tr("Please check your Internet connection."));
        return;
    }
    // A new window each time; it deletes itself when closed.
    auto *window = new HistoryWindow(m_services.desktop);
    window->showWindow();
}

void TrayApp::setUpService()
{
    bool accepted = false;
    const QString address = QInputDialog::getText(nullptr, tr("Sharing service"),
                                                  tr("The address of the sharing service to upload to:"),
                                                  QLineEdit::Normal, QStringLiteral("https://"), &accepted);
    if (!accepted)
        return;
    QString problem;
    const std::optional<ServiceSetting> choice = ServiceSetting::check(address, QString(), &problem);
    if (choice && !ServiceSetting::store(*choice))
        problem = tr("%1 could not be written.").arg(preferences.fileName());
    if (!problem.isEmpty()) {
        m_services.desktop.notifier->post(tr("Sharing Service Error"), problem);
        return;
    }
    m_services.desktop.notifier->post(
        tr("Sharing service set up"),
        tr("Vornik uploads to %1 from now on. Failed uploads are sent again from \"Unsent uploads\" in the tray "
           "menu's tools; a certificate to trust is set with \"vornik --set-service URL --ca-file FILE\".")
            .arg(choice->url));
}

void TrayApp::openImage(QObject *sender)
{
    const QString link = toolTipLink(sender);
    if (!link.isEmpty())
        openWebPage(link);
}

void TrayApp::openBannerWindow(QObject *)
{
    auto *window = new BannerWindow(m_bannerActions);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->showWindow();
}

void TrayApp::changeBannerColor(QObject *)
{
    m_bannerActions.changeBannerColor(*m_services.modalRuns);
}

void TrayApp::changeBannerImage(QObject *)
{
    m_bannerActions.changeBannerImage();
}

void TrayApp::setToDefaultBanner(QObject *)
{
    m_bannerActions.setToDefaultBanner();
}
