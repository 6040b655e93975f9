#include "Version.h"
#include "app/TrayApp.h"
#include "app/LauncherWindow.h"
#include "platform/Preferences.h"
#include "history/RecentUploadsMenu.h"
#include "banner/BannerWindow.h"
#include "capture/ScreenCapture.h"
#include "editor/EditorWindow.h"
#include "platform/Autostart.h"
#include "platform/SingleInstance.h"
#include "tests/harness/FakeAppServices.h"
#include "app/PreferencesWindow.h"
#include "helpers/FilePanels.h"
#include "helpers/SaveFolder.h"
#include "tests/harness/NotificationRecorder.h"
#include "tests/harness/ServerProcess.h"
#include "tests/harness/TestMain.h"
#include "helpers/ResourceImages.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QInputDialog>
#include <QLabel>
#include <QToolButton>
#include <QMenu>
#include <QPointer>
#include <QRegularExpression>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QSettings>
#include <QSignalSpy>
#include <QTimer>
#include <memory>

namespace {
// What the settings file on disk holds, not what the store caches.
QVariant storedValue(const QString &key)
{
    Preferences::standard().synchronize();
    QSettings file(Preferences::standard().fileName(), QSettings::IniFormat);
    return file.value(key);
}

QStringList titlesOf(const QMenu *menu)
{
    QStringList titles;
    for (const QAction *action : menu->actions())
        titles << (action->isSeparator() ? QStringLiteral("---") : action->text());
    return titles;
}

QMenu *submenuTitled(const QMenu *menu, const QString &title)
{
    for (const QAction *action : menu->actions()) {
        if (action->text() == title)
            return action->menu();
    }
    return nullptr;
}

// Answers every open panel with `answer` (nothing: the panel was cancelled).
struct ChosenPanels : FilePanels {
    QStringList answer;
    QStringList runOpenPanel(const OpenRequest &) override { return answer; }
    QString runSavePanel(const SaveRequest &) override { return {}; }
};

QAction *entryTitled(const QMenu *menu, const QString &title)
{
    for (QAction *action : menu->actions()) {
        if (action->text() == title)
            return action;
    }
    return nullptr;
}
} // namespace

class TrayAppTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<TrayApp> m_delegate;
    int m_captures = 0;
    vtest::FakeAppServices m_desktop;
    ChosenPanels m_panels;   // outlives the application a test starts

    // A delegate as main() makes it, with capture and the desktop answered by the test.
    TrayApp *start()
    {
        m_delegate = std::make_unique<TrayApp>(m_desktop.services());
        m_delegate->setCaptureStarter([this] { ++m_captures; });
        m_delegate->setTerminator([] {});
        m_delegate->setRelauncher([](const QString &, const QStringList &) { return true; });
        m_delegate->start();
        return m_delegate.get();
    }

    // A fresh account: no settings file, no autostart entry.
    void freshAccount()
    {
        m_delegate.reset();
        const QString file = Preferences::standard().fileName();
        Preferences::resetStandard();
        QFile::remove(file);
        QFile::remove(Autostart::entryPath());
    }

private slots:
    void initTestCase()
    {
        qputenv("VORNIK_SERVICE_URL", "https://vornik.test:9443");
        qRegisterMetaType<QWidget *>();
    }

    void init()
    {
        freshAccount();
        m_captures = 0;
        m_desktop = vtest::FakeAppServices();
    }

    void cleanup()
    {
        m_delegate.reset();
        QList<QPointer<QWidget>> windows;
        for (QWidget *window : QApplication::topLevelWidgets())
            windows << window;
        for (const QPointer<QWidget> &window : windows)
            delete window.data();
    }

    void freshAccountStoresTheStartupKeys()
    {
        QVERIFY(!QFile::exists(Preferences::standard().fileName()));
        TrayApp *delegate = start();
        QCOMPARE(storedValue(QStringLiteral("lunchAtStartup")).toInt(), 0);
        QCOMPARE(storedValue(QStringLiteral("initialappstartup")).toInt(), 1);
        QVERIFY(Preferences::standard().fileName().startsWith(qEnvironmentVariable("XDG_CONFIG_HOME")));
        QCOMPARE(delegate->loginItemTitle, QStringLiteral("Run Vornik at startup"));
        // Start-up never registers the login item by itself.
        QVERIFY(!QFile::exists(Autostart::entryPath()));
        QCOMPARE(delegate->statusItemTitle(), QString());
        QCOMPARE(delegate->statusItemToolTip(), QStringLiteral("Vornik"));
    }

    // A fresh account after start-up and one use of the editor holds exactly the keys
    // their readers store, with their defaults; the editor announces itself while open.
    void freshAccountAfterOneEditorUse()
    {
        TrayApp *delegate = start();
        QImage image(200, 120, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);

        QPointer<EditorWindow> editor = new EditorWindow(m_desktop.desktop.services);
        editor->delegate = delegate;
        editor->picture = image;
        editor->screenIndex = 0;
        editor->show();
        QVERIFY(QTest::qWaitForWindowExposed(editor));
        QCOMPARE(delegate->statusItemTitle(), QStringLiteral("Bring all to front."));
        editor->close();
        QTRY_VERIFY_WITH_TIMEOUT(!delegate->editorOpen, 10000);
        QCOMPARE(delegate->statusItemToolTip(), QStringLiteral("Vornik"));

        Preferences::standard().synchronize();
        QSettings file(Preferences::standard().fileName(), QSettings::IniFormat);
        QStringList keys = file.allKeys();
        keys.sort();
        QCOMPARE(keys, (QStringList{QStringLiteral("fillcolor"), QStringLiteral("firstrunhintshown"),
                                    QStringLiteral("fontsize"), QStringLiteral("initialappstartup"), QStringLiteral("linecolor"),
                                    QStringLiteral("linesize"), QStringLiteral("lunchAtStartup")}));
        QCOMPARE(file.value(QStringLiteral("lunchAtStartup")).toInt(), 0);
        QCOMPARE(file.value(QStringLiteral("initialappstartup")).toInt(), 1);
        QCOMPARE(file.value(QStringLiteral("linesize")).toInt(), 4);
        QCOMPARE(file.value(QStringLiteral("fontsize")).toInt(), 14);
        QCOMPARE(file.value(QStringLiteral("linecolor")).toString(), QStringLiteral("red"));
        QCOMPARE(file.value(QStringLiteral("fillcolor")).toString(), QStringLiteral("red"));
    }

    void storedLoginChoiceGivesTheTitle()
    {
        Preferences::standard().setInteger(QStringLiteral("lunchAtStartup"), 1);
        QCOMPARE(start()->loginItemTitle, QStringLiteral("Do not run Vornik at startup"));
        freshAccount();
        Preferences::standard().setInteger(QStringLiteral("lunchAtStartup"), 7);
        QCOMPARE(start()->loginItemTitle, QStringLiteral("Run Vornik at startup"));
        QCOMPARE(storedValue(QStringLiteral("lunchAtStartup")).toInt(), 7);
    }

    void statusMenuWithPermission()
    {
        TrayApp *delegate = start();
        const QString version = delegate->shortVersionString();
        QCOMPARE(version, QStringLiteral(VORNIK_VERSION));
        QVERIFY(QRegularExpression(QStringLiteral("^\\d+\\.\\d+\\.\\d+$")).match(version).hasMatch());
        QCOMPARE(titlesOf(delegate->statusMenu()),
                 (QStringList{QStringLiteral("About/Usage Video For Vornik ") + version, QStringLiteral("---"),
                              QStringLiteral("Take Vornik ... Ctrl+Shift+9 or Ctrl+F9"), QStringLiteral("---"),
                              QStringLiteral("Vornik tools"), QStringLiteral("---"), QStringLiteral("Quit Vornik"),
                              QStringLiteral("---"), QStringLiteral("Preferences…")}));
        QMenu *tools = submenuTitled(delegate->statusMenu(), QStringLiteral("Vornik tools"));
        QVERIFY(tools);
        QCOMPARE(titlesOf(tools), (QStringList{QStringLiteral("Run Vornik at startup"), QStringLiteral("Restart"),
                                               QStringLiteral("---"), QStringLiteral("Banner settings"),
                                               QStringLiteral("History"), QStringLiteral("Unsent uploads")}));
        QMenu *banner = submenuTitled(tools, QStringLiteral("Banner settings"));
        QVERIFY(banner);
        QCOMPARE(titlesOf(banner), (QStringList{QStringLiteral("Set to default banner ...."),
                                                QStringLiteral("Change banner image ...."),
                                                QStringLiteral("Change banner color ...."),
                                                QStringLiteral("Banner window ....")}));
        // The last banner entry opens the banner window.
        entryTitled(banner, QStringLiteral("Banner window ...."))->trigger();
        QPointer<BannerWindow> bannerWindow;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *window = qobject_cast<BannerWindow *>(widget))
                bannerWindow = window;
        }
        QVERIFY(bannerWindow);
        QVERIFY(bannerWindow->isVisible());
        bannerWindow->close();
        QTRY_VERIFY(bannerWindow.isNull());
        QCOMPARE(submenuTitled(tools, QStringLiteral("History")), static_cast<QMenu *>(delegate->historyMenu()));
        QVERIFY(qobject_cast<RecentUploadsMenu *>(delegate->historyMenu()));
        for (const QAction *action : delegate->statusMenu()->actions())
            QVERIFY(action->shortcut().isEmpty());
        QCOMPARE(delegate->statusItem()->contextMenu(), delegate->statusMenu());

        // The capture entry goes to requestCapture.
        entryTitled(delegate->statusMenu(), QStringLiteral("Take Vornik ... Ctrl+Shift+9 or Ctrl+F9"))->trigger();
        QCOMPARE(m_captures, 1);
    }

    // Without a tray, the account's first start opens the window of the status menu's
    // entries unless it captures; a later `vornik` opens it again. Its
    // buttons run the entries and follow their titles.
    void launcherWindowStandsInForTheTray()
    {
        if (QSystemTrayIcon::isSystemTrayAvailable())
            QSKIP("this platform has a tray");
        LauncherWindow *window = start()->launcherWindow();
        QVERIFY(window && window->isVisible());
        QVERIFY(window->findChild<QLabel *>(QStringLiteral("trayMissingNote"))->isVisible());
        QStringList titles;
        QList<QToolButton *> buttons = window->findChildren<QToolButton *>();
        for (const QToolButton *button : buttons)
            titles << button->text();
        QCOMPARE(titles, (QStringList{QStringLiteral("Take Vornik ... Ctrl+Shift+9 or Ctrl+F9"), QStringLiteral("View all history"),
                                      QStringLiteral("Banner window ...."), QStringLiteral("Preferences…"),
                                      QStringLiteral("Run Vornik at startup"), QStringLiteral("Quit Vornik")}));
        buttons.at(4)->click();
        QTRY_COMPARE(buttons.at(4)->text(), QStringLiteral("Do not run Vornik at startup"));
        QVERIFY(!window->isVisible());
        QCOMPARE(storedValue(QStringLiteral("lunchAtStartup")).toInt(), 1);
        m_delegate->showLauncherWindow();
        buttons.at(0)->click();
        QTRY_COMPARE(m_captures, 1);

        // The next start of the account, and one to capture, open nothing by themselves.
        m_delegate.reset();
        QVERIFY(!start()->launcherWindow());
        m_delegate->showLauncherWindow();
        QVERIFY(m_delegate->launcherWindow()->isVisible());
        QVERIFY(!m_delegate->launcherWindow()->findChild<QLabel *>(QStringLiteral("trayMissingNote"))->isVisible());
        freshAccount();
        m_delegate = std::make_unique<TrayApp>(m_desktop.services());
        m_delegate->start(true);
        QVERIFY(!m_delegate->launcherWindow());
    }

    void statusMenuWithoutPermissionHasHelp()
    {
        m_desktop.captureBackendPresent = false;
        TrayApp *delegate = start();
        const QStringList titles = titlesOf(delegate->statusMenu());
        QCOMPARE(titles.size(), 11);
        QCOMPARE(titles.at(2), QStringLiteral("Vornik ") + delegate->shortVersionString() + QStringLiteral(" help"));
        QCOMPARE(titles.at(3), QStringLiteral("---"));
        QCOMPARE(titles.at(4), QStringLiteral("Take Vornik ... Ctrl+Shift+9 or Ctrl+F9"));
        // Built once: granting later does not remove the entry.
        m_desktop.captureBackendPresent = true;
        QCOMPARE(titlesOf(delegate->statusMenu()).size(), 11);

        entryTitled(delegate->statusMenu(), titles.at(2))->trigger();
        entryTitled(delegate->statusMenu(), titles.at(0))->trigger();
        QCOMPARE(m_desktop.desktop.opener->opened.size(), 2);
        QVERIFY(m_desktop.desktop.opener->opened.at(0).toString().contains(QStringLiteral("help")));
        QCOMPARE(m_desktop.desktop.opener->opened.at(1).toString(), QStringLiteral("https://vornik.test:9443/"));
    }

    void loginEntryTwiceReturnsToStart()
    {
        TrayApp *delegate = start();
        QMenu *tools = submenuTitled(delegate->statusMenu(), QStringLiteral("Vornik tools"));
        QAction *login = tools->actions().first();

        login->trigger();
        QCOMPARE(login->text(), QStringLiteral("Do not run Vornik at startup"));
        QCOMPARE(storedValue(QStringLiteral("lunchAtStartup")).toInt(), 1);
        QFile entry(Autostart::entryPath());
        QVERIFY(entry.open(QIODevice::ReadOnly));
        QVERIFY(entry.readAll().contains("Exec=" + QCoreApplication::applicationFilePath().toUtf8() + '\n'));
        QVERIFY(Autostart::entryPath().startsWith(qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/autostart/")));

        login->trigger();
        QCOMPARE(login->text(), QStringLiteral("Run Vornik at startup"));
        QCOMPARE(storedValue(QStringLiteral("lunchAtStartup")).toInt(), 0);
        QVERIFY(!QFile::exists(Autostart::entryPath()));

        // The next start reads the title back from the stored choice.
        login->trigger();
        freshStartKeepingSettings();
        QCOMPARE(m_delegate->loginItemTitle, QStringLiteral("Do not run Vornik at startup"));
    }

    // When the autostart entry cannot be written or removed, the menu keeps telling the
    // truth and a notification says what failed.
    void aFailedLoginChangeIsNotShownAsDone()
    {
        NotificationRecorder recorder;
        QVERIFY(recorder.isRegistered());
        TrayApp *delegate = start();
        // The first start of a fresh account says how to take a screenshot, once: here
        // (no X server) no key can be grabbed, so it says how to bind one.
        QTRY_COMPARE_WITH_TIMEOUT(recorder.received.size(), 1, 10000);
        QCOMPARE(recorder.received[0].summary, QStringLiteral("Vornik is ready"));
        QVERIFY2(recorder.received[0].body.startsWith(QStringLiteral("This desktop let Vornik bind no hot key. To take a "
                                                                     "screenshot, bind a key to the command \"vornik --capture\"")),
                 qPrintable(recorder.received[0].body));
        recorder.received.clear();
        QMenu *tools = submenuTitled(delegate->statusMenu(), QStringLiteral("Vornik tools"));
        QAction *login = tools->actions().first();
        // A folder where the entry should be: it can be neither written nor removed.
        QVERIFY(QDir().mkpath(Autostart::entryPath() + QStringLiteral("/held")));

        login->trigger();
        QCOMPARE(login->text(), QStringLiteral("Run Vornik at startup"));
        QCOMPARE(storedValue(QStringLiteral("lunchAtStartup")).toInt(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(recorder.received.size(), 1, 10000);
        QCOMPARE(recorder.received[0].summary, QStringLiteral("Login Item Error"));
        QVERIFY(recorder.received[0].body.contains(Autostart::entryPath()));

        // Registered by an earlier run, and now the entry will not go.
        Preferences::standard().setInteger(QStringLiteral("lunchAtStartup"), 1);
        Preferences::standard().synchronize();
        freshStartKeepingSettings();
        tools = submenuTitled(m_delegate->statusMenu(), QStringLiteral("Vornik tools"));
        login = tools->actions().first();
        QCOMPARE(login->text(), QStringLiteral("Do not run Vornik at startup"));
        login->trigger();
        QCOMPARE(login->text(), QStringLiteral("Do not run Vornik at startup"));
        QCOMPARE(m_delegate->loginItemTitle, QStringLiteral("Do not run Vornik at startup"));
        QCOMPARE(storedValue(QStringLiteral("lunchAtStartup")).toInt(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(recorder.received.size(), 2, 10000);
        QVERIFY(recorder.received[1].body.contains(QStringLiteral("could not remove")));
        QVERIFY(QDir(Autostart::entryPath()).removeRecursively());
    }

    // The hot keys are bound where the desktop has a back end for them, on the first
    // start and every later one, and the desktop is asked once per start.
    void hotKeysFollowTheBackend_data()
    {
        QTest::addColumn<bool>("backend");
        QTest::addColumn<bool>("laterStart");
        QTest::newRow("first start, back end") << true << false;
        QTest::newRow("first start, none") << false << false;
        QTest::newRow("later start, back end") << true << true;
        QTest::newRow("later start, none") << false << true;
    }

    void hotKeysFollowTheBackend()
    {
        QFETCH(bool, backend);
        QFETCH(bool, laterStart);
        if (laterStart)
            Preferences::standard().setInteger(QStringLiteral("initialappstartup"), 1);
        m_desktop.hotKeyBackendPresent = backend;
        TrayApp *delegate = start();
        QCOMPARE(delegate->hotKeysRegistered(), backend);
        QCOMPARE(m_desktop.hotKeyQuestions, 1);
        QCOMPARE(storedValue(QStringLiteral("initialappstartup")).toInt(), 1);
    }

    // A failed upload without a service offers to set one up: a wrong address is
    // refused and said so, a right one is stored as `vornik --set-service` stores it.
    void settingUpAServiceFromANotification()
    {
        NotificationRecorder recorder;
        start();
        for (const QString &typed : {QStringLiteral("ftp://nowhere"), QStringLiteral("https://share.example.org")}) {
            QTimer answer;
            connect(&answer, &QTimer::timeout, this, [&answer, typed] {
                if (auto *dialog = qobject_cast<QInputDialog *>(QApplication::activeModalWidget())) {
                    answer.stop();
                    dialog->setTextValue(typed);
                    dialog->accept();
                }
            });
            answer.start(20);
            recorder.received.clear();
            emit m_desktop.desktop.services.notifier->actionRequested(QStringLiteral("set-up-service"));
            const QString summary = typed.startsWith("ftp") ? QStringLiteral("Sharing Service Error") : QStringLiteral("Sharing service set up");
            QTRY_VERIFY_WITH_TIMEOUT(!recorder.received.isEmpty() && recorder.received.last().summary == summary, 10000);
        }
        QCOMPARE(storedValue(QStringLiteral("serviceurl")).toString(), QStringLiteral("https://share.example.org/"));
    }

    void captureGatePerVersion()
    {
        m_desktop.captureBackendPresent = false;
        TrayApp *delegate = start();
        QSignalSpy windows(delegate, &TrayApp::permissionWindowShown);
        const QString key = QStringLiteral("triedonce") + delegate->shortVersionString();
        QVERIFY(!Preferences::standard().hasKey(key));

        delegate->requestCapture(); // first of this version: through, despite no permission
        QCOMPARE(m_captures, 1);
        QCOMPARE(storedValue(key).toInt(), 1);
        QCOMPARE(windows.count(), 0);

        delegate->requestCapture(); // refused: one more window each time
        delegate->requestCapture();
        QCOMPARE(m_captures, 1);
        QCOMPARE(windows.count(), 2);
        QVERIFY(windows.at(0).at(0).value<QWidget *>() != windows.at(1).at(0).value<QWidget *>());
        for (const auto &shown : windows) {
            auto *window = shown.at(0).value<QWidget *>();
            QVERIFY(window->isVisible());
            QCOMPARE(window->size(), QSize(442, 150));
            QCOMPARE(window->windowTitle(), QStringLiteral("Vornik needs you to grant 'Screen Recording' access."));
        }

        m_desktop.captureBackendPresent = true;
        delegate->requestCapture();
        QCOMPARE(m_captures, 2);
        QCOMPARE(windows.count(), 2);

        // An update: exactly one new key, and the first request passes again.
        m_desktop.captureBackendPresent = false;
        const QStringList keysBefore = QSettings(Preferences::standard().fileName(), QSettings::IniFormat).allKeys();
        delegate->setShortVersionString(QStringLiteral("0.2.0"));
        delegate->requestCapture();
        delegate->requestCapture();
        QCOMPARE(m_captures, 3);
        Preferences::standard().synchronize();
        QStringList keysAfter = QSettings(Preferences::standard().fileName(), QSettings::IniFormat).allKeys();
        for (const QString &old : keysBefore)
            keysAfter.removeOne(old);
        QCOMPARE(keysAfter, QStringList{QStringLiteral("triedonce0.2.0")});
        QVERIFY(Preferences::standard().hasKey(key));
    }

    void editorPresenceShowsInTheStatusItem()
    {
        TrayApp *delegate = start();
        const QIcon plainIcon = delegate->statusItem()->icon();
        QVERIFY(!plainIcon.isNull());
        QVERIFY(!plainIcon.pixmap(22, 22).toImage().isNull());
        auto editor = std::make_unique<EditorWindow>(m_desktop.desktop.services);
        editor->resize(300, 200);
        editor->move(5, 5);
        delegate->setEditorActive(editor.get(), true);
        QCOMPARE(delegate->statusItemTitle(), QStringLiteral("Bring all to front."));
        QCOMPARE(delegate->property("statusItemTitle").toString(), QStringLiteral("Bring all to front."));
        QCOMPARE(delegate->statusItemToolTip(), QStringLiteral("Vornik - Bring all to front."));
        QCOMPARE(delegate->statusItem()->toolTip(), QStringLiteral("Vornik - Bring all to front."));
        // The icon variant tells the two states apart, at every size a tray may ask for.
        for (int size : {16, 22, 24, 48}) {
            const QImage front = delegate->statusItem()->icon().pixmap(size, size).toImage();
            QCOMPARE(front.size(), QSize(size, size));
            QVERIFY(front != plainIcon.pixmap(size, size).toImage());
        }
        QVERIFY(delegate->editorOpen);
        QCOMPARE(delegate->lastEditor, editor.get());

        // Opening the menu brings the (hidden) editor forward, centred on its display.
        QVERIFY(!editor->isVisible());
        emit delegate->statusMenu()->aboutToShow();
        QVERIFY(editor->isVisible());
        const QRect area = editor->screen()->availableGeometry();
        QVERIFY(qAbs(editor->frameGeometry().center().x() - area.center().x()) <= 1);

        delegate->setEditorActive(editor.get(), false);
        QCOMPARE(delegate->statusItemTitle(), QString());
        QCOMPARE(delegate->statusItem()->toolTip(), QStringLiteral("Vornik"));
        QVERIFY(!delegate->editorOpen);
        QCOMPARE(delegate->lastEditor, editor.get());
        editor->hide();
        emit delegate->statusMenu()->aboutToShow(); // no editor open: nothing is raised
        QVERIFY(!editor->isVisible());

        // An editor destroyed while still marked open is not touched.
        delegate->setEditorActive(editor.get(), true);
        editor.reset();
        emit delegate->statusMenu()->aboutToShow();
    }

    void openWebPageAndOpenImage()
    {
        TrayApp *delegate = start();
        delegate->openWebPage(QStringLiteral("not a url"));
        delegate->openWebPage(QString());
        QVERIFY(m_desktop.desktop.opener->opened.isEmpty());
        delegate->openWebPage(QStringLiteral("https://example.com/page"));
        QCOMPARE(m_desktop.desktop.opener->opened, QList<QUrl>{QUrl(QStringLiteral("https://example.com/page"))});

        QAction upload(QStringLiteral("12:03 upload"));
        upload.setToolTip(QStringLiteral("https://example.com/i/abc.png"));
        delegate->openImage(&upload);
        QCOMPARE(m_desktop.desktop.opener->opened.last(), QUrl(QStringLiteral("https://example.com/i/abc.png")));
        // Without a link in the tool tip (QAction falls back to its text), or with a
        // link of another kind, nothing opens.
        QAction bare(QStringLiteral("entry"));
        delegate->openImage(&bare);
        QAction local(QStringLiteral("entry"));
        local.setToolTip(QStringLiteral("file:///etc/passwd"));
        delegate->openImage(&local);
        QCOMPARE(m_desktop.desktop.opener->opened.size(), 2);
    }

    void restartStartsASuccessorAfterFreeingTheLock()
    {
        TrayApp *delegate = start();
        SingleInstance instance(qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/restart"));
        QVERIFY(instance.becomePrimary());
        delegate->singleInstance = &instance;
        delegate->setExecutablePath(QStringLiteral("/opt/vornik/bin/vornik"));
        QString started;
        bool lockFreeWhenStarted = false;
        int terminated = 0;
        delegate->setRelauncher([&](const QString &program, const QStringList &) {
            started = program;
            SingleInstance successor(qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/restart"));
            lockFreeWhenStarted = successor.tryLock();
            return true;
        });
        delegate->setTerminator([&] { ++terminated; });
        QMenu *tools = submenuTitled(delegate->statusMenu(), QStringLiteral("Vornik tools"));
        entryTitled(tools, QStringLiteral("Restart"))->trigger();
        QCOMPARE(started, QStringLiteral("/opt/vornik/bin/vornik"));
        QVERIFY(lockFreeWhenStarted);
        QCOMPARE(terminated, 1);

        entryTitled(delegate->statusMenu(), QStringLiteral("Quit Vornik"))->trigger();
        QCOMPARE(terminated, 2);
    }

    // The Preferences window from the menu: the service test against a real server on
    // loopback (with and without its certificate, and stopped), and every other setting
    // landing in the settings file and the tools menu. The hot keys' recorders are
    // tested with real keys in the hot key suite.
    void preferencesWindowTestsTheServiceAndStoresEachSetting()
    {
        ChosenPanels &panels = m_panels;
        m_desktop.desktop.services.filePanels = std::shared_ptr<FilePanels>(&panels, [](FilePanels *) {});
        TrayApp *delegate = start();
        entryTitled(delegate->statusMenu(), QStringLiteral("Preferences…"))->trigger();
        QPointer<PreferencesWindow> window = delegate->preferencesWindow();
        QVERIFY(window && window->isVisible());
        entryTitled(delegate->statusMenu(), QStringLiteral("Preferences…"))->trigger();
        QCOMPARE(delegate->preferencesWindow(), window.data());   // one window, brought forward

        vtest::ServerProcess server;
        QVERIFY(server.start());
        const auto typeAndTest = [&](const QString &address, const QString &certificate) {
            window->serviceEdit->setText(address);
            window->certificateEdit->setText(certificate);
            emit window->certificateEdit->editingFinished();
            QSignalSpy tested(window.data(), &PreferencesWindow::serviceTested);
            QTest::mouseClick(window->testButton, Qt::LeftButton);
            [&] { QTRY_COMPARE_WITH_TIMEOUT(tested.size(), 1, 20000); }();
            return window->serviceResult->text();
        };
        QCOMPARE(typeAndTest(server.baseUrl(), server.caFile()), server.baseUrl() + QStringLiteral(" works: it handed out a salt."));
        QCOMPARE(storedValue(QStringLiteral("serviceurl")).toString(), server.baseUrl());
        QCOMPARE(storedValue(QStringLiteral("servicecafile")).toString(), server.caFile());
        if (!qEnvironmentVariableIsEmpty("VORNIK_TEST_SHOTS"))
            window->grab().save(qEnvironmentVariable("VORNIK_TEST_SHOTS") + QStringLiteral("/preferences.png"));
        QVERIFY(typeAndTest(server.baseUrl(), QString()).startsWith(QStringLiteral("No answer from ") + server.baseUrl()));
        QCOMPARE(storedValue(QStringLiteral("servicecafile")).toString(), QString());   // the certificate alone changed
        QVERIFY(server.stop());
        QVERIFY(typeAndTest(server.baseUrl(), server.caFile()).startsWith(QStringLiteral("No answer from ")));
        // Not an address: nothing is stored and nothing is asked.
        QVERIFY(typeAndTest(QStringLiteral("ftp://x"), QString()).startsWith(QStringLiteral("Cannot test: ")));
        QCOMPARE(storedValue(QStringLiteral("serviceurl")).toString(), server.baseUrl());
        // Another address with the same certificate is stored all the same.
        typeAndTest(QStringLiteral("https://127.0.0.1:1/"), server.caFile());
        QCOMPARE(storedValue(QStringLiteral("serviceurl")).toString(), QStringLiteral("https://127.0.0.1:1/"));

        const QString folder = QDir::tempPath() + QStringLiteral("/shots here");
        window->saveFolderEdit->setText(folder);
        emit window->saveFolderEdit->editingFinished();
        QCOMPARE(SaveFolder::folder(), folder);
        // The Choose… buttons store what the panel gives, and a cancelled panel nothing.
        const auto choose = [](QLineEdit *edit) { edit->parentWidget()->findChild<QPushButton *>()->click(); };
        panels.answer = {QDir::tempPath() + QStringLiteral("/chosen shots")};
        choose(window->saveFolderEdit);
        QCOMPARE(SaveFolder::folder(), panels.answer.first());
        panels.answer = {server.caFile()};
        choose(window->certificateEdit);
        QCOMPARE(window->certificateEdit->text(), server.caFile());
        panels.answer.clear();
        choose(window->saveFolderEdit);
        choose(window->certificateEdit);
        QCOMPARE(SaveFolder::folder(), QDir::tempPath() + QStringLiteral("/chosen shots"));
        QCOMPARE(window->certificateEdit->text(), server.caFile());

        QMenu *tools = submenuTitled(delegate->statusMenu(), QStringLiteral("Vornik tools"));
        window->runAtLoginBox->click();
        QVERIFY(QFile::exists(Autostart::entryPath()));
        QCOMPARE(tools->actions().first()->text(), QStringLiteral("Do not run Vornik at startup"));
        QCOMPARE(storedValue(QStringLiteral("lunchAtStartup")).toInt(), 1);
        // An entry that cannot be removed keeps the box ticked.
        QFile::remove(Autostart::entryPath());
        QVERIFY(QDir().mkpath(Autostart::entryPath() + QStringLiteral("/held")));
        window->runAtLoginBox->click();
        QVERIFY(window->runAtLoginBox->isChecked());
        QCOMPARE(storedValue(QStringLiteral("lunchAtStartup")).toInt(), 1);
        QVERIFY(QDir(Autostart::entryPath()).removeRecursively());

        QVERIFY(window->openSavedBox->isChecked());
        window->openSavedBox->click();
        QCOMPARE(storedValue(QStringLiteral("opensavedfile")).toInt(), 0);
        window->close();
        QTRY_VERIFY(window.isNull());
    }

private:
    void freshStartKeepingSettings()
    {
        m_delegate.reset();
        Preferences::resetStandard();
        start();
    }
};

VORNIK_TEST_MAIN(TrayAppTest, vtest::EnvironmentOptions{})
#include "tray_app_test.moc"
