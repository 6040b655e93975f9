#include "helpers/Clipboard.h"
#include "helpers/Notifier.h"
#include "output/EditorActions.h"
#include "output/UploadHandOff.h"
#include "helpers/FilePanels.h"
#include "platform/Opener.h"
#include "tests/harness/NotificationRecorder.h"
#include "tests/harness/FakeDesktop.h"
#include "tests/harness/TestMain.h"

#include <QDBusArgument>
#include <QDir>
#include <QFileInfo>
#include <QImage>

namespace {
// Answers every save panel with one path.
struct FixedSavePanel : FilePanels {
    QString path;
    QStringList runOpenPanel(const OpenRequest &) override { return {}; }
    QString runSavePanel(const SaveRequest &) override { return path; }
};

// The "image-data" hint taken apart: (width, height, rowstride, alpha, bits, channels, data).
QImage hintImage(const QVariant &hint)
{
    const QDBusArgument argument = hint.value<QDBusArgument>();
    int width = 0, height = 0, stride = 0, bits = 0, channels = 0;
    bool alpha = false;
    QByteArray data;
    argument.beginStructure();
    argument >> width >> height >> stride >> alpha >> bits >> channels >> data;
    argument.endStructure();
    if (!alpha || bits != 8 || channels != 4 || data.size() != stride * height)
        return QImage();
    return QImage(reinterpret_cast<const uchar *>(data.constData()), width, height, stride, QImage::Format_RGBA8888)
        .copy();
}
} // namespace


// Notifications on the test's own session bus, and the fallback when no
// notification server is there.
class NotificationsTest : public QObject
{
    Q_OBJECT
    struct Shown {
        QString title, subtitle, text;
    };
    QList<Shown> m_fallback;
    vtest::FakeDesktop m_desktop;
    Notifier &notifier() { return *m_desktop.services.notifier; }

private slots:
    void init()
    {
        m_fallback.clear();
        notifier().setFallback([this](const QString &title, const QString &subtitle, const QString &text) {
            m_fallback.append({title, subtitle, text});
            return true;
        });
    }

    void withoutServerTheFallbackShowsIt()
    {
        notifier().post(QStringLiteral("No network connection"), QStringLiteral("Please check your Internet connection."));
        QTRY_COMPARE_WITH_TIMEOUT(m_fallback.size(), 1, 10000);
        QCOMPARE(m_fallback.first().title, QStringLiteral("Vornik notification"));
        QCOMPARE(m_fallback.first().subtitle, QStringLiteral("No network connection"));
        QCOMPARE(m_fallback.first().text, QStringLiteral("Please check your Internet connection."));
    }

    void serverGetsTitleSubtitleTextAndIcon()
    {
        NotificationRecorder recorder;
        QVERIFY(recorder.isRegistered());
        notifier().post(QStringLiteral("SAVED"), QStringLiteral("Image saved to \"/tmp/a b.png\" & opened."));
        // Delivered at once when the recorder shares our connection, later otherwise.
        QTRY_COMPARE_WITH_TIMEOUT(recorder.received.size(), 1, 10000);
        QCOMPARE(recorder.received.first().appName, QStringLiteral("Vornik notification"));
        QCOMPARE(recorder.received.first().summary, QStringLiteral("SAVED"));
        QCOMPARE(recorder.received.first().body, QStringLiteral("Image saved to \"/tmp/a b.png\" & opened."));
        QCOMPARE(recorder.received.first().icon, QStringLiteral("vornik"));
        QVERIFY(m_fallback.isEmpty());
    }

    void iconDesktopEntryAndActionsWhereTheServerShowsThem()
    {
        NotificationRecorder recorder;
        QVERIFY(recorder.isRegistered());
        const NotificationSubject file{QStringLiteral("/tmp/shots/a.png"), {}};
        notifier().post(QStringLiteral("Image Saved"), QStringLiteral("Your image has been saved."), file);
        QTRY_COMPARE_WITH_TIMEOUT(recorder.received.size(), 1, 10000);
        recorder.capabilities << QStringLiteral("actions");
        notifier().post(QStringLiteral("Image Saved"), QStringLiteral("Your image has been saved."), file);
        notifier().post(QStringLiteral("SAVED TO CLIPBOARD"), QStringLiteral("URL to image was copied to clipboard."),
                         {{}, QStringLiteral("https://example.test/abc.png")});
        notifier().post(QStringLiteral("Banner"), QStringLiteral("Reset complete."));
        QTRY_COMPARE_WITH_TIMEOUT(recorder.received.size(), 4, 10000);

        // Without the "actions" capability there are none; texts never change.
        QVERIFY(recorder.received.at(0).actions.isEmpty());
        QCOMPARE(recorder.received.at(1).actions,
                 (QStringList{"open", "Open", "show-in-folder", "Show in folder"}));
        QCOMPARE(recorder.received.at(2).actions, (QStringList{"open-link", "Open link"}));
        QVERIFY(recorder.received.at(3).actions.isEmpty());
        QCOMPARE(recorder.received.at(2).summary, QStringLiteral("SAVED TO CLIPBOARD"));
        QCOMPARE(recorder.received.at(2).body, QStringLiteral("URL to image was copied to clipboard."));
        for (const NotificationRecorder::Notification &shown : std::as_const(recorder.received)) {
            QCOMPARE(shown.appName, QStringLiteral("Vornik notification"));
            QCOMPARE(shown.icon, QStringLiteral("vornik"));
            QCOMPARE(shown.hints.value(QStringLiteral("desktop-entry")).toString(), QStringLiteral("vornik"));
            // No icon theme here knows "vornik": the camera comes along as pixels.
            const QImage picture = hintImage(shown.hints.value(QStringLiteral("image-data")));
            QCOMPARE(picture.size(), QSize(64, 64));
            QVERIFY(picture.pixelColor(32, 32).alpha() > 0 || picture.pixelColor(20, 20).alpha() > 0);
        }
    }

    void actionsFromTheBusOpenTheirFileOrLink()
    {
        NotificationRecorder recorder;
        QVERIFY(recorder.isRegistered());
        recorder.capabilities << QStringLiteral("actions");
        const QList<QUrl> &opened = m_desktop.opener->opened;
        m_desktop.opener->opened.clear();

        // The editor's save writes the file and says so.
        const QString folder = QDir::tempPath() + QStringLiteral("/saved");
        QVERIFY(QDir().mkpath(folder));
        FixedSavePanel panel;
        panel.path = folder + QStringLiteral("/mine.png");
        const DesktopServices desktop = m_desktop.withPanels(panel);
        QImage image(40, 30, QImage::Format_ARGB32);
        image.fill(Qt::red);
        saveImageWithPanel(desktop, image, FigureRects(), QRectF(0, 0, 40, 30));
        QTRY_COMPARE_WITH_TIMEOUT(recorder.received.size(), 1, 10000);
        QCOMPARE(recorder.received.at(0).summary, QStringLiteral("Image Saved"));
        QCOMPARE(recorder.received.at(0).body, QStringLiteral("Your image has been saved."));
        const QString written = folder + QStringLiteral("/mine.png");
        QVERIFY(QFileInfo::exists(written));

        // An upload's link.
        QFile upload(QDir::tempPath() + QStringLiteral("/upload.png"));
        QVERIFY(upload.open(QIODevice::WriteOnly));
        upload.close();
        uploadFinished(desktop, ShareReply::answer(200, QStringLiteral("share.example.test/k3y.png")), upload.fileName());
        QTRY_COMPARE_WITH_TIMEOUT(recorder.received.size(), 2, 10000);
        QCOMPARE(recorder.received.at(1).summary, QStringLiteral("SAVED TO CLIPBOARD"));

        const uint saved = recorder.received.at(0).id, linked = recorder.received.at(1).id;
        recorder.invokeAction(saved, QStringLiteral("open"));
        QTRY_COMPARE_WITH_TIMEOUT(opened, QList<QUrl>{QUrl::fromLocalFile(written)}, 10000);
        recorder.invokeAction(saved, QStringLiteral("show-in-folder"));
        QTRY_COMPARE_WITH_TIMEOUT(opened.size(), 2, 10000);
        QCOMPARE(opened.at(1), QUrl::fromLocalFile(folder));
        // An action of another notification, or one this notification never offered,
        // opens nothing.
        recorder.invokeAction(linked, QStringLiteral("open"));
        recorder.invokeAction(999, QStringLiteral("open-link"));
        recorder.invokeAction(linked, QStringLiteral("open-link"));
        QTRY_COMPARE_WITH_TIMEOUT(opened.size(), 3, 10000);
        QCOMPARE(opened.at(2), QUrl(QStringLiteral("https://share.example.test/k3y.png")));
    }

    void markupIsEscapedOnlyForServersThatReadIt()
    {
        NotificationRecorder recorder;
        QVERIFY(recorder.isRegistered());
        recorder.capabilities << QStringLiteral("body-markup");
        const QString path = QStringLiteral("It was kept at /tmp/a&b/<x>.png");
        notifier().post(QStringLiteral("File Upload Error"), path);
        QTRY_COMPARE_WITH_TIMEOUT(recorder.received.size(), 1, 10000);
        recorder.capabilities = QStringList{QStringLiteral("body")};
        notifier().post(QStringLiteral("File Upload Error"), path);
        QTRY_COMPARE_WITH_TIMEOUT(recorder.received.size(), 2, 10000);
        QCOMPARE(recorder.received.at(0).body, QStringLiteral("It was kept at /tmp/a&amp;b/&lt;x&gt;.png"));
        QCOMPARE(recorder.received.at(1).body, path);
        QVERIFY(m_fallback.isEmpty());
    }
};

VORNIK_TEST_MAIN(NotificationsTest, vtest::EnvironmentOptions{})
#include "notifications_test.moc"
