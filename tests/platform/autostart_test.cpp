#include "platform/Autostart.h"
#include "tests/harness/TestMain.h"

#include <QDir>
#include <QFile>
#include <QSettings>

// The login-at-startup entry: where it goes, what it holds, and that the desktop's
// own validator accepts it.
class AutostartTest : public QObject
{
    Q_OBJECT

    static QString validate()
    {
        QString output;
        const int status = vtest::run({QStringLiteral("desktop-file-validate"), Autostart::entryPath()}, &output);
        return status == 0 ? QString() : QStringLiteral("status %1: %2").arg(status).arg(output);
    }

private slots:
    void entryFollowsXdgConfigHome()
    {
        QCOMPARE(Autostart::entryPath(), qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/autostart/vornik.desktop"));
    }

    void writeValidateRemove()
    {
        QVERIFY(!Autostart::isLoginItem());
        QVERIFY(!QDir(qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/autostart")).exists());
        QVERIFY(Autostart::addLoginItem(QStringLiteral("/usr/bin/vornik")));
        QVERIFY(Autostart::isLoginItem());
        QCOMPARE(validate(), QString());
        QSettings entry(Autostart::entryPath(), QSettings::IniFormat);
        QCOMPARE(entry.value(QStringLiteral("Desktop Entry/Exec")).toString(), QStringLiteral("/usr/bin/vornik"));
        QCOMPARE(entry.value(QStringLiteral("Desktop Entry/Type")).toString(), QStringLiteral("Application"));

        // Writing again replaces, it does not append.
        QVERIFY(Autostart::addLoginItem(QStringLiteral("/opt/vornik/vornik")));
        QFile file(Autostart::entryPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        QCOMPARE(text.count("[Desktop Entry]"), 1);
        QVERIFY(text.contains("Exec=/opt/vornik/vornik\n"));

        QVERIFY(Autostart::removeLoginItem());
        QVERIFY(!Autostart::isLoginItem());
        QVERIFY(Autostart::removeLoginItem()); // nothing left to remove is not a failure
    }

    void awkwardPathsAreQuoted_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("exec");
        QTest::newRow("plain") << QStringLiteral("/usr/bin/vornik") << QStringLiteral("/usr/bin/vornik");
        QTest::newRow("space") << QStringLiteral("/home/a b/vornik") << QStringLiteral("\"/home/a b/vornik\"");
        QTest::newRow("percent") << QStringLiteral("/opt/100%/vornik") << QStringLiteral("/opt/100%%/vornik");
        QTest::newRow("dollar and quote") << QStringLiteral("/opt/$x\"y/vornik")
                                          << QStringLiteral("\"/opt/\\\\$x\\\\\"y/vornik\"");
        QTest::newRow("backslash") << QStringLiteral("/opt/a\\b/vornik") << QStringLiteral("\"/opt/a\\\\\\\\b/vornik\"");
    }
    void awkwardPathsAreQuoted()
    {
        QFETCH(QString, path);
        QFETCH(QString, exec);
        QCOMPARE(Autostart::quotedExecArgument(path), exec);
        QVERIFY(Autostart::addLoginItem(path));
        QCOMPARE(validate(), QString());
        QVERIFY(Autostart::removeLoginItem());
    }
};

VORNIK_TEST_MAIN(AutostartTest, ([] {
                     vtest::EnvironmentOptions options;
                     options.dbus = false; // nothing here talks to the bus
                     return options;
                 }()))
#include "autostart_test.moc"
