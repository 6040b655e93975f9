#include "helpers/Notifications.h"
#include "tests/harness/NotificationRecorder.h"
#include "tests/harness/TestMain.h"


// Notifications on the test's own session bus, and the fallback when no
// notification server is there.
class NotificationsTest : public QObject
{
    Q_OBJECT
    struct Shown {
        QString title, subtitle, text;
    };
    QList<Shown> m_fallback;

private slots:
    void init()
    {
        m_fallback.clear();
        setNotificationFallback([this](const QString &title, const QString &subtitle, const QString &text) {
            m_fallback.append({title, subtitle, text});
            return true;
        });
    }

    void withoutServerTheFallbackShowsIt()
    {
        postNotification(QStringLiteral("No network connection"), QStringLiteral("Please check your Internet connection."));
        QTRY_COMPARE_WITH_TIMEOUT(m_fallback.size(), 1, 10000);
        QCOMPARE(m_fallback.first().title, QStringLiteral("Vornik notification"));
        QCOMPARE(m_fallback.first().subtitle, QStringLiteral("No network connection"));
        QCOMPARE(m_fallback.first().text, QStringLiteral("Please check your Internet connection."));
    }

    void serverGetsTitleSubtitleTextAndIcon()
    {
        NotificationRecorder recorder;
        QVERIFY(recorder.isRegistered());
        postNotification(QStringLiteral("SAVED"), QStringLiteral("Image saved to \"/tmp/a b.png\" & opened."));
        // Delivered at once when the recorder shares our connection, later otherwise.
        QTRY_COMPARE_WITH_TIMEOUT(recorder.received.size(), 1, 10000);
        QCOMPARE(recorder.received.first().appName, QStringLiteral("Vornik notification"));
        QCOMPARE(recorder.received.first().summary, QStringLiteral("SAVED"));
        QCOMPARE(recorder.received.first().body, QStringLiteral("Image saved to \"/tmp/a b.png\" & opened."));
        QCOMPARE(recorder.received.first().icon, QStringLiteral("AppIcon"));
        QVERIFY(m_fallback.isEmpty());
    }

    void markupIsEscapedOnlyForServersThatReadIt()
    {
        NotificationRecorder recorder;
        QVERIFY(recorder.isRegistered());
        recorder.capabilities << QStringLiteral("body-markup");
        const QString path = QStringLiteral("It was kept at /tmp/a&b/<x>.png");
        postNotification(QStringLiteral("File Upload Error"), path);
        QTRY_COMPARE_WITH_TIMEOUT(recorder.received.size(), 1, 10000);
        recorder.capabilities = QStringList{QStringLiteral("body")};
        postNotification(QStringLiteral("File Upload Error"), path);
        QTRY_COMPARE_WITH_TIMEOUT(recorder.received.size(), 2, 10000);
        QCOMPARE(recorder.received.at(0).body, QStringLiteral("It was kept at /tmp/a&amp;b/&lt;x&gt;.png"));
        QCOMPARE(recorder.received.at(1).body, path);
        QVERIFY(m_fallback.isEmpty());
    }
};

VORNIK_TEST_MAIN(NotificationsTest, vtest::EnvironmentOptions{})
#include "notifications_test.moc"
