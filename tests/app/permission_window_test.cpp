#include "app/TrayApp.h"
#include "platform/Preferences.h"
#include "app/CapturePermission.h"
#include "service/WebPages.h"
#include "tests/harness/FakeAppServices.h"
#include "tests/harness/TestMain.h"

#include <QCheckBox>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <memory>

namespace {
QPushButton *buttonTitled(QWidget *window, const QString &title)
{
    for (QPushButton *button : window->findChildren<QPushButton *>()) {
        if (button->text() == title)
            return button;
    }
    return nullptr;
}
} // namespace

// The window a refused capture request opens, on a desktop of two displays, and the
// color information window.
class PermissionWindowTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<TrayApp> m_delegate;
    vtest::FakeAppServices m_desktop;   // no capture back end: every request is refused
    QList<QUrl> &m_opened = m_desktop.desktop.opener->opened;
    bool m_desktopHasSettings = true;

    // A refused request with the pointer at `point`: returns the window it opened.
    QWidget *refuseCaptureWithPointerAt(const QPoint &point)
    {
        QCursor::setPos(point);
        if (QCursor::pos() != point)
            return nullptr;
        QSignalSpy shown(m_delegate.get(), &TrayApp::permissionWindowShown);
        m_delegate->requestCapture();
        return shown.size() == 1 ? shown.first().first().value<QWidget *>() : nullptr;
    }

private slots:
    void initTestCase()
    {
        qRegisterMetaType<QWidget *>();
        qputenv("VORNIK_SERVICE_URL", "https://vornik.test/");
        QCOMPARE(QGuiApplication::screens().size(), 2);
        m_desktop.captureBackendPresent = false;
        m_delegate = std::make_unique<TrayApp>(m_desktop.services());
        m_delegate->setCaptureStarter([] { QFAIL("no capture may start without permission"); });
        // This version has had its first request already.
        Preferences::standard().setInteger(QStringLiteral("triedonce") + m_delegate->shortVersionString(), 1);
        m_delegate->start();
    }

    void cleanupTestCase()
    {
        m_delegate.reset();
    }

    void windowOpensOnTheDisplayUnderThePointer()
    {
        const QList<QScreen *> screens = QGuiApplication::screens();
        for (QScreen *display : screens) {
            const QRect frame = display->geometry();
            QWidget *window = refuseCaptureWithPointerAt(frame.center() + QPoint(37, -21));
            QVERIFY(window);
            QTRY_VERIFY_WITH_TIMEOUT(window->isVisible(), 10000);
            QCOMPARE(window->geometry(), permissionWindowGeometry(frame));
            QCOMPARE(window->screen(), display);
            QVERIFY(window->windowFlags() & Qt::WindowStaysOnTopHint);
            QVERIFY(window->close());
        }
    }

    void contentAndButtons()
    {
        QWidget *window = refuseCaptureWithPointerAt(QGuiApplication::screens().first()->geometry().center());
        QVERIFY(window);
        QStringList labels;
        for (const QLabel *label : window->findChildren<QLabel *>())
            labels << label->text();
        QCOMPARE(labels, (QStringList{QStringLiteral("Allow Vornik to share your screen."),
                                      QStringLiteral("Click 'Allow Vornik to Record Screen' to open System Preferences "
                                                     "> Security & Privacy to grant access.")}));
        // Frames as laid out from the lower left of a 150-point-high view.
        QCOMPARE(buttonTitled(window, QStringLiteral("Allow Vornik to Record Screen"))->geometry(),
                 QRect(225, 110, 200, 30));
        QCOMPARE(buttonTitled(window, QStringLiteral("Cancel"))->geometry(), QRect(15, 110, 100, 30));
        QCOMPARE(buttonTitled(window, QStringLiteral("Help"))->geometry(), QRect(120, 110, 100, 30));
        QCOMPARE(window->findChildren<QLabel *>().first()->geometry(), QRect(30, 20, 400, 40));
        window->close();
    }

    void eachRefusalOpensAnotherWindow_andButtonsHideTheirOwn()
    {
        const QPoint centre = QGuiApplication::screens().first()->geometry().center();
        QPointer<QWidget> older = refuseCaptureWithPointerAt(centre);
        QPointer<QWidget> newer = refuseCaptureWithPointerAt(centre);
        QVERIFY(older && newer && older != newer);
        QTRY_VERIFY_WITH_TIMEOUT(older->isVisible() && newer->isVisible(), 10000);

        // Help keeps the window and opens the help page at its foot.
        m_opened.clear();
        buttonTitled(older, QStringLiteral("Help"))->click();
        QVERIFY(older->isVisible());
        QCOMPARE(m_opened, QList<QUrl>{QUrl(helpPageUrl() + QStringLiteral("#bottom"))});

        // Cancel in the older window hides that one, not the newest.
        buttonTitled(older, QStringLiteral("Cancel"))->click();
        QVERIFY(newer->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(older.isNull(), 10000); // a hidden window is not kept

        // Allow opens the desktop's privacy settings and hides the window.
        const QString bin = vtest::TestEnvironment::current()->root() + QStringLiteral("/bin");
        QDir().mkpath(bin);
        QFile settings(bin + QStringLiteral("/gnome-control-center"));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write("#!/bin/sh\n");
        settings.close();
        settings.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("PATH", (bin + QLatin1Char(':')).toLocal8Bit() + qgetenv("PATH"));
        qputenv("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");
        m_opened.clear();
        buttonTitled(newer, QStringLiteral("Allow Vornik to Record Screen"))->click();
        QCOMPARE(m_desktop.startedPrograms, QList<QStringList>{(QStringList{QStringLiteral("gnome-control-center"),
                                                             QStringLiteral("privacy")})});
        QVERIFY(m_opened.isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(newer.isNull(), 10000);

        // On a desktop without such a page, Allow opens the help page instead.
        qputenv("XDG_CURRENT_DESKTOP", "XFCE");
        m_opened.clear();
        QPointer<QWidget> third = refuseCaptureWithPointerAt(centre);
        QVERIFY(third);
        buttonTitled(third, QStringLiteral("Allow Vornik to Record Screen"))->click();
        QCOMPARE(m_opened, QList<QUrl>{QUrl(helpPageUrl())});
        QTRY_VERIFY_WITH_TIMEOUT(third.isNull(), 10000);
        qunsetenv("XDG_CURRENT_DESKTOP");
    }

    void statusMenuOpensOnScreen()
    {
        QMenu *menu = m_delegate->statusMenu();
        menu->popup(QPoint(40, 40));
        QTRY_VERIFY_WITH_TIMEOUT(menu->isVisible(), 10000);
        QStringList titles;
        for (const QAction *action : menu->actions())
            titles << (action->isSeparator() ? QStringLiteral("---") : action->text());
        // Screen recording is refused here, so the help entry is there.
        const QString version = m_delegate->shortVersionString();
        QCOMPARE(titles, (QStringList{QStringLiteral("About/Usage Video For Vornik ") + version, QStringLiteral("---"),
                                      QStringLiteral("Vornik ") + version + QStringLiteral(" help"),
                                      QStringLiteral("---"), QStringLiteral("Take Vornik ... Ctrl+Shift+9 or Ctrl+F9"),
                                      QStringLiteral("---"), QStringLiteral("Vornik tools"), QStringLiteral("---"),
                                      QStringLiteral("Quit Vornik"), QStringLiteral("---"), QStringLiteral("Preferences…")}));
        QVERIFY(menu->geometry().contains(QPoint(41, 41)));
        menu->close();
        QTRY_VERIFY_WITH_TIMEOUT(!menu->isVisible(), 10000);
    }
};

VORNIK_TEST_MAIN(PermissionWindowTest,
                 (vtest::EnvironmentOptions{.x11 = true,
                                            .framebuffer = QSize(2560, 1024),
                                            .monitors = {QRect(0, 0, 1280, 1024), QRect(1280, 0, 1280, 800)}}))
#include "permission_window_test.moc"
