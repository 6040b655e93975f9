#include "app/CapturePermission.h"
#include "platform/PrivacySettings.h"
#include "tests/harness/TestMain.h"

#include <QScreen>

// The permission window's place, and which desktop settings page the permission
// button opens.
class ScreenRecordingTest : public QObject
{
    Q_OBJECT
private slots:
    void permissionWindowSitsOnTheCentreLine()
    {
        // 242 to the left of the centre, lower edge on the horizontal centre line.
        QCOMPARE(permissionWindowGeometry(QRect(0, 0, 1920, 1080)), QRect(718, 390, 442, 150));
        QCOMPARE(permissionWindowGeometry(QRect(1920, 0, 1280, 1024)), QRect(1920 + 640 - 242, 362, 442, 150));
        QCOMPARE(permissionWindowGeometry(QRect(-1280, 200, 1280, 800)), QRect(-1280 + 640 - 242, 450, 442, 150));
    }

    void pointerFindsItsDisplay()
    {
        const QList<QScreen *> screens = QGuiApplication::screens();
        QVERIFY(!screens.isEmpty());
        const QRect first = screens.first()->geometry();
        QCOMPARE(screenContaining(first.center(), screens), screens.first());
        QCOMPARE(screenContaining(first.topLeft() - QPoint(50000, 50000), screens), nullptr);
    }

    void privacySettingsCommandPerDesktop()
    {
        const auto everything = [](const QString &) { return true; };
        const auto nothing = [](const QString &) { return false; };
        QCOMPARE(PrivacySettings::commandFor(QStringLiteral("ubuntu:GNOME"), everything),
                 (QStringList{QStringLiteral("gnome-control-center"), QStringLiteral("privacy")}));
        QCOMPARE(PrivacySettings::commandFor(QStringLiteral("KDE"), everything),
                 (QStringList{QStringLiteral("systemsettings"), QStringLiteral("kcm_app-permissions")}));
        QVERIFY(PrivacySettings::commandFor(QStringLiteral("GNOME"), nothing).isEmpty());
        QVERIFY(PrivacySettings::commandFor(QStringLiteral("XFCE"), everything).isEmpty());
        QVERIFY(PrivacySettings::commandFor(QString(), everything).isEmpty());
        // Only the settings program of the desktop itself counts.
        const auto onlyKde = [](const QString &program) { return program == QLatin1String("systemsettings"); };
        QVERIFY(PrivacySettings::commandFor(QStringLiteral("GNOME"), onlyKde).isEmpty());
    }
};

VORNIK_TEST_MAIN(ScreenRecordingTest, ([] {
                     vtest::EnvironmentOptions options;
                     options.dbus = false; // nothing here talks to the bus
                     return options;
                 }()))
#include "capture_permission_test.moc"
