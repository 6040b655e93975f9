#include "app/CapturePermission.h"
#include "platform/PrivacySettings.h"
#include "tests/harness/TestMain.h"

#include <QScreen>

namespace {
WindowRecord named(const QString &name)
{
    return {QVariant(name), QVariant()};
}
WindowRecord unnamed(const QVariant &sharingState)
{
    return {QVariant(), sharingState};
}
} // namespace

// The screen-recording decision over window records, the permission window's place,
// and which desktop settings page the permission button opens.
class ScreenRecordingTest : public QObject
{
    Q_OBJECT
private slots:
    void windowListDecides_data()
    {
        QTest::addColumn<std::optional<QList<WindowRecord>>>("windows");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("list unreadable") << std::optional<QList<WindowRecord>>() << false;
        QTest::newRow("empty list") << std::optional(QList<WindowRecord>{}) << true;
        QTest::newRow("one named") << std::optional(QList<WindowRecord>{named(QStringLiteral("Terminal"))}) << true;
        QTest::newRow("empty name still a text") << std::optional(QList<WindowRecord>{named(QString())}) << true;
        QTest::newRow("one unnamed shareable") << std::optional(QList<WindowRecord>{unnamed(1)}) << true;
        QTest::newRow("one unnamed not shareable") << std::optional(QList<WindowRecord>{unnamed(0)}) << false;
        QTest::newRow("first fails") << std::optional(QList<WindowRecord>{unnamed(2), named(QStringLiteral("a"))})
                                     << false;
        QTest::newRow("later fails")
            << std::optional(QList<WindowRecord>{named(QStringLiteral("a")), unnamed(1), unnamed(QVariant())}) << false;
        QTest::newRow("all pass") << std::optional(QList<WindowRecord>{named(QStringLiteral("a")), unnamed(1),
                                                                        named(QStringLiteral("b"))})
                                  << true;
        // A sharing state that is not an integer does not pass, even when it reads as 1.
        QTest::newRow("state as text") << std::optional(QList<WindowRecord>{unnamed(QStringLiteral("1"))}) << false;
        QTest::newRow("name not a text") << std::optional(QList<WindowRecord>{{QVariant(42), QVariant(0)}}) << false;
    }

    void windowListDecides()
    {
        QFETCH(std::optional<QList<WindowRecord>>, windows);
        QFETCH(bool, allowed);
        QCOMPARE(canRecordScreen(windows), allowed);
    }

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
