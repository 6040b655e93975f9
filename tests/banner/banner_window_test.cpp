#include "service/WebPages.h"
#include "banner/BannerActions.h"
#include "banner/BannerColorPicker.h"
#include "banner/BannerColorWindow.h"
#include "banner/BannerPreview.h"
#include "banner/BannerView.h"
#include "banner/ColorPanel.h"
#include "editor/ColorPaletteGrid.h"
#include "banner/BannerWindow.h"
#include "editor/SegmentedToolBar.h"
#include "tests/harness/FakeDesktop.h"
#include "helpers/TempFolder.h"
#include "helpers/NamedColors.h"
#include "platform/Opener.h"
#include "tests/banner/BannerTestSupport.h"
#include "tests/harness/NotificationRecorder.h"
#include "tests/harness/SaveDialogDriver.h"
#include "tests/harness/TestMain.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

using namespace bannertest;

// The banner window on a real X display, against a real vornik-server: what it shows,
// and what each of its six segments does.
class BannerWindowTest : public QObject
{
    Q_OBJECT
private:
    vtest::ServerProcess m_server;
    NotificationRecorder *m_notifications = nullptr;
    AnsweringPanels m_panels;
    vtest::FakeDesktop m_desktop;
    QList<QUrl> &m_opened = m_desktop.opener->opened;
    BannerActions m_actions{m_desktop.withPanels(m_panels)};

    QStringList settledNotifications()
    {
        m_desktop.services.notifier->post(QStringLiteral("marker"), QString());
        const bool arrived = QTest::qWaitFor(
            [&] { return !m_notifications->received.isEmpty() && m_notifications->received.constLast().summary == "marker"; },
            kWaitMs);
        if (!arrived)
            return {QStringLiteral("(marker lost)")};
        QStringList seen;
        for (const auto &n : m_notifications->received) {
            if (n.summary != QLatin1String("marker"))
                seen.append(n.summary + QStringLiteral(" / ") + n.body);
        }
        m_notifications->received.clear();
        return seen;
    }

    static void click(BannerWindow &window, int segment)
    {
        QTest::mouseClick(window.buttonBar->segment(segment), Qt::LeftButton);
    }

    static QImage argb(const QImage &image) { return image.convertToFormat(QImage::Format_ARGB32); }

    QStringList serverBanner() const
    {
        return serverUserRecord(m_server, ShareClient::getUserID()).split(QLatin1Char('|'));
    }

private slots:
    void initTestCase()
    {
        m_notifications = new NotificationRecorder(this);
        QVERIFY(m_notifications->isRegistered());
        QVERIFY(m_server.start());
        qputenv("VORNIK_SERVICE_URL", m_server.baseUrl().toUtf8());
        qputenv("VORNIK_CA_FILE", m_server.caFile().toUtf8());
    }

    void init()
    {
        QVERIFY(drainRequestChains());
        clearPreferences();
        m_panels = AnsweringPanels();
        settledNotifications();
    }

    void firstUseShowsTheLogoOnRed()
    {
        BannerWindow window(m_actions);
        QCOMPARE(prefs("bannercolor"), QStringLiteral("red"));
        const QString path = prefs("bannerpath");
        QVERIFY2(path.startsWith(TempFolder::finalImagesFolder()) && path.endsWith(QStringLiteral("_viewimage.png")),
                 qPrintable(path));
        const QImage logo = argb(defaultBannerImage());
        QCOMPARE(argb(QImage(path)), logo);
        QCOMPARE(argb(window.preview->image()), logo);
        QCOMPARE(window.preview->backgroundColor(), colorNamed(QStringLiteral("red")));

        QCOMPARE(window.buttonBar->segmentCount(), 6);
        const QStringList tips = {"Save current banner to your computer", "Load an image into the preview below.",
                                  "Upload an image to use as a Vornik banner.", "Change your Vornik banner color",
                                  "Reset banner color and image", homePageUrl()};
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(window.buttonBar->segmentToolTip(i), tips[i]);
            QCOMPARE(window.buttonBar->segment(i)->accessibleName(), tips[i]);
        }

        // On screen: the logo in the middle of a red preview.
        window.showWindow();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_VERIFY_WITH_TIMEOUT(window.preview->isVisible() && window.preview->width() > logo.width(), kWaitMs);
        const QPoint origin = window.preview->mapToGlobal(QPoint(0, 0));
        QImage shown;
        QTRY_VERIFY_WITH_TIMEOUT(
            (shown = window.screen()->grabWindow(0, origin.x(), origin.y(), window.preview->width(),
                                                 window.preview->height()).toImage())
                    .pixelColor(2, 2) == QColor(Qt::red),
            kWaitMs);
        const QPoint logoCorner((shown.width() - logo.width()) / 2, (shown.height() - logo.height()) / 2);
        const QPoint inside(logo.width() / 2, 6);   // on the logo's opaque face
        QVERIFY(channelDistance(shown.pixel(logoCorner + inside), logo.pixel(inside)) <= 2);
        if (const QString shots = qEnvironmentVariable("VORNIK_TEST_SHOTS"); !shots.isEmpty())
            vtest::run({QStringLiteral("import"), QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("-display"),
                        vtest::TestEnvironment::current()->display(), shots + QStringLiteral("/banner-window.png")});
    }

    // The preview shows a banner at its own size when it fits and shrinks one that does
    // not (keeping its shape), centred on the banner colour.
    void previewShrinksOnlyBannersThatDoNotFit()
    {
        BannerPreview preview;
        preview.setBackgroundColor(Qt::blue);
        preview.resize(200, 100);
        const auto shown = [&](QSize size) {
            QImage banner(size, QImage::Format_RGB32);
            banner.fill(Qt::red);
            preview.setImage(banner);
            return preview.grab().toImage();
        };
        QImage page = shown({40, 20});   // fits: 80..120 × 40..60
        QCOMPARE(page.pixelColor(100, 50), QColor(Qt::red));
        QCOMPARE(page.pixelColor(70, 50), QColor(Qt::blue));
        page = shown({400, 50});          // too wide only: 200 × 25, rows 37..62
        QCOMPARE(page.pixelColor(2, 50), QColor(Qt::red));
        QCOMPARE(page.pixelColor(100, 32), QColor(Qt::blue));
        page = shown({50, 400});          // too tall only: 12.5 × 100
        QCOMPARE(page.pixelColor(100, 2), QColor(Qt::red));
        QCOMPARE(page.pixelColor(90, 50), QColor(Qt::blue));
    }

    void colorWindowOnScreenShowsTheStoredChoice()
    {
        Preferences::standard().setString(QStringLiteral("bannercolor"), QStringLiteral("navy"));
        BannerColorWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        // Centred, like the banner's other windows.
        const QPoint offCentre = window.frameGeometry().center() - window.screen()->availableGeometry().center();
        QVERIFY2(offCentre.manhattanLength() <= 2, qPrintable(QStringLiteral("%1, %2").arg(offCentre.x()).arg(offCentre.y())));
        BannerColorPicker *content = window.picker();
        QCOMPARE(content->palette()->namesTurnedOn(), QStringList{QStringLiteral("navy")});
        const QPoint swatch = content->palette()->swatch("navy")->mapToGlobal(content->palette()->swatch("navy")->rect().center());
        QTRY_COMPARE_WITH_TIMEOUT(window.screen()->grabWindow(0, swatch.x(), swatch.y(), 1, 1).toImage().pixelColor(0, 0),
                                  QColor(0, 0, 128), kWaitMs);
        if (const QString shots = qEnvironmentVariable("VORNIK_TEST_SHOTS"); !shots.isEmpty())
            vtest::run({QStringLiteral("import"), QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("-display"),
                        vtest::TestEnvironment::current()->display(), shots + QStringLiteral("/banner-color-window.png")});
    }

    void storedBannerIsShownAndEachWindowActsOnItsOwnPreview()
    {
        const QString file = writeSolidPng(QDir::tempPath() + QStringLiteral("/stored.png"), QSize(40, 30), Qt::magenta);
        Preferences::standard().setString(QStringLiteral("bannerpath"), file);
        Preferences::standard().setString(QStringLiteral("bannercolor"), QStringLiteral("navy"));
        BannerWindow first(m_actions);
        QCOMPARE(argb(first.preview->image()), argb(QImage(file)));
        QCOMPARE(first.preview->backgroundColor(), colorNamed(QStringLiteral("navy")));
        QCOMPARE(prefs("bannerpath"), file);
        // The segments of a window opened earlier act on its own preview, and every
        // window shows the banner as stored.
        BannerWindow second(m_actions);
        const QString chosen = writeSolidPng(QDir::tempPath() + QStringLiteral("/other.png"), QSize(20, 20), Qt::cyan);
        m_panels.openAnswer = {chosen};
        click(first, BannerView::loadSegment);
        QCOMPARE(argb(first.preview->image()), argb(QImage(chosen)));
        QCOMPARE(argb(second.preview->image()), argb(QImage(chosen)));
        QCOMPARE(settledNotifications(), QStringList{QStringLiteral("Banner Image Action / Banner Image Uploaded!")});
    }

    void saveSegmentWritesThePreviewWhereTheUserSays()
    {
        BannerWindow window(m_actions);
        // An older banner file goes with the save; the current banner stays.
        const QString stray = writeSolidPng(TempFolder::bannerImagePath(5), QSize(2, 2), Qt::black);
        const QString banner = writeSolidPng(TempFolder::bannerImagePath(7), QSize(2, 2), Qt::black);
        QVERIFY(!stray.isEmpty() && !banner.isEmpty());
        Preferences::standard().setString(QStringLiteral("bannerpath"), banner);
        const QString chosen = QDir::tempPath() + QStringLiteral("/saved/named");
        QVERIFY(QDir().mkpath(QDir::tempPath() + QStringLiteral("/saved")));
        m_panels.saveAnswer = chosen;
        QSignalSpy answered(window.bannerView(), &BannerView::savePanelFinished);
        click(window, BannerView::saveSegment);
        QVERIFY(m_panels.saveRequests.isEmpty());   // the panel runs after the click has returned
        QVERIFY(answered.wait(kWaitMs));
        QCOMPARE(m_panels.saveRequests.size(), 1);
        const FilePanels::SaveRequest asked = m_panels.saveRequests.constFirst();
        QCOMPARE(asked.title, QStringLiteral("Save Image"));
        QCOMPARE(asked.proposedName, QStringLiteral("myimagefile.png"));
        QCOMPARE(asked.allowedFileTypes, QStringList{QStringLiteral("png")});
        QVERIFY(asked.canCreateDirectories && asked.showsHiddenFiles);
        QCOMPARE(argb(QImage(chosen + QStringLiteral(".png"))), argb(defaultBannerImage()));
        QVERIFY(QFileInfo::exists(banner));   // the banner itself is left where it is
        QVERIFY(!QFileInfo::exists(stray));

        m_panels.saveAnswer = QDir::tempPath() + QStringLiteral("/no/such/folder/x.png");
        click(window, BannerView::saveSegment);
        QVERIFY(answered.wait(kWaitMs));
        m_panels.saveAnswer.clear();   // cancelled
        click(window, BannerView::saveSegment);
        QVERIFY(answered.wait(kWaitMs));
        QCOMPARE(settledNotifications(), (QStringList{QStringLiteral("File saved / You image was saved at ") + chosen,
                                                     QStringLiteral("File save error / There was a problem saving image.")}));
    }

    // The desktop's own save dialog adds ".png" to a typed name before it asks whether
    // to replace the file, so an existing PNG is never overwritten unasked.
    void saveDialogAsksBeforeReplacingThePng()
    {
        const QString folder = QDir::tempPath() + QStringLiteral("/banner-saves");
        QVERIFY(QDir().mkpath(folder));
        const QString existing = writeSolidPng(folder + QStringLiteral("/mine.png"), QSize(3, 3), Qt::black);
        QVERIFY(!existing.isEmpty());
        // The desktop's own dialogs, driven as a user would.
        BannerWindow window(BannerActions(m_desktop.services));
        QSignalSpy answered(window.bannerView(), &BannerView::savePanelFinished);
        vtest::SaveDialogDriver dialog;
        dialog.folder = folder;
        dialog.typedName = QStringLiteral("mine");
        click(window, BannerView::saveSegment);
        const bool finished = answered.wait(kWaitMs);
        QVERIFY(finished);
        QCOMPARE(dialog.dialogsAnswered, 1);
        QCOMPARE(dialog.questions.size(), 1);
        QVERIFY2(dialog.questions.constFirst().contains(QStringLiteral("mine.png")), qPrintable(dialog.questions.constFirst()));
        QCOMPARE(QImage(existing).size(), QSize(3, 3));
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("mine.png")});
        QCOMPARE(settledNotifications(), QStringList());
    }

    void loadSegmentPutsTheFileIntoThePreview()
    {
        BannerWindow window(m_actions);
        const QString chosen = writeSolidPng(QDir::tempPath() + QStringLiteral("/load.png"), QSize(30, 30), Qt::cyan);
        m_panels.openAnswer = {chosen};
        click(window, BannerView::loadSegment);
        QCOMPARE(m_panels.openRequests.size(), 1);
        QCOMPARE(m_panels.openRequests.constFirst().title, QStringLiteral("Select Image"));
        QCOMPARE(argb(window.preview->image()), argb(QImage(chosen)));
        QCOMPARE(prefs("bannerpath"), chosen);
        m_panels.openAnswer.clear();   // cancelled: nothing happens, nothing is said
        click(window, BannerView::loadSegment);

        const QString junk = QDir::tempPath() + QStringLiteral("/junk.png");
        QFile file(junk);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("junk") == 4);
        file.close();
        m_panels.openAnswer = {junk};
        click(window, BannerView::loadSegment);
        QCOMPARE(prefs("bannerpath"), chosen);
        QCOMPARE(argb(window.preview->image()), argb(QImage(chosen)));
        QCOMPARE(settledNotifications(),
                 (QStringList{QStringLiteral("Banner Image Action / Banner Image Uploaded!"),
                              QStringLiteral("Banner Image Action / That file could not be read as a PNG image.")}));
    }

    // The window's color panel takes effect as the user picks, and the window follows
    // a color chosen from the status menu.
    void colorPanelRecolorsLiveAndFollowsTheMenu()
    {
        BannerWindow window(m_actions);
        window.showWindow();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        click(window, BannerView::colorSegment);
        QWidget *panel = window.bannerView()->colorPanel()->window();
        QVERIFY(panel && QTest::qWaitForWindowExposed(panel));
        auto *palette = panel->findChild<ColorPaletteGrid *>();
        QCOMPARE(palette->namesTurnedOn(), QStringList{QStringLiteral("red")});
        QTest::mouseClick(palette->button(QStringLiteral("navy")), Qt::LeftButton);
        QCOMPARE(palette->namesTurnedOn(), QStringList{QStringLiteral("navy")});
        QCOMPARE(prefs("bannercolor"), QStringLiteral("navy"));
        QCOMPARE(window.preview->backgroundColor(), colorNamed(QStringLiteral("navy")));
        QVERIFY(drainRequestChains());
        QCOMPARE(serverBanner().value(1), QStringLiteral("#000080"));
        // The set-user reply names the banner's row for the history.
        QCOMPARE(prefs("bannerurl"), m_actions.lastResult());
        QCOMPARE(settledNotifications(), QStringList{QStringLiteral("Banner / New banner color information is uploaded.")});

        AnsweringRuns runs;
        runs.answer = [](QWidget *colorWindow) {
            QTest::mouseClick(colorWindow->findChild<ColorPaletteGrid *>()->button(QStringLiteral("teal")), Qt::LeftButton);
        };
        m_actions.changeBannerColor(runs);
        QCOMPARE(window.preview->backgroundColor(), colorNamed(QStringLiteral("teal")));
        QCOMPARE(palette->namesTurnedOn(), QStringList{QStringLiteral("teal")});
        QVERIFY(drainRequestChains());
        QCOMPARE(serverBanner().value(1), QStringLiteral("#008080"));
        QCOMPARE(window.preview->backgroundColor(), colorNamed(QStringLiteral("teal")));
        panel->close();
    }

    void uploadSegmentSendsThePreview()
    {
        Preferences::standard().setString(QStringLiteral("bannerurl"), QStringLiteral("from the menu"));
        BannerWindow window(m_actions);
        Preferences::standard().setString(QStringLiteral("bannercolor"), QStringLiteral("teal"));
        click(window, BannerView::uploadSegment);
        QVERIFY(drainRequestChains());
        const QString path = prefs("bannerpath");
        QVERIFY2(path.endsWith(QStringLiteral("_bannerimage.png")), qPrintable(path));
        const QStringList banner = serverBanner();
        QCOMPARE(m_actions.lastResult(), QStringLiteral("https://%1/%2.png").arg(m_server.publicHost(), banner.value(0)));
        QCOMPARE(prefs("bannerurl"), m_actions.lastResult());
        QCOMPARE(banner.value(1), QStringLiteral("#008080"));
        QCOMPARE(fetchRaw(QStringLiteral("https://%1/%2.png").arg(m_server.publicHost(), banner.value(0))), fileBytes(path));
        QCOMPARE(settledNotifications(),
                 QStringList{QStringLiteral("Banner Info / Your banner will now be ued for your uploaded screen shot images.")});
    }

    void resetSegmentSendsTheLogoOnRed()
    {
        const QString file = writeSolidPng(QDir::tempPath() + QStringLiteral("/own.png"), QSize(40, 30), Qt::magenta);
        Preferences::standard().setString(QStringLiteral("bannerpath"), file);
        Preferences::standard().setString(QStringLiteral("bannercolor"), QStringLiteral("navy"));
        BannerWindow window(m_actions);
        click(window, BannerView::resetSegment);
        QCOMPARE(prefs("bannercolor"), QStringLiteral("red"));
        QCOMPARE(window.preview->backgroundColor(), colorNamed(QStringLiteral("red")));
        QCOMPARE(argb(window.preview->image()), argb(defaultBannerImage()));
        QVERIFY(prefs("bannerpath").endsWith(QStringLiteral("_bannerimage.png")));
        QVERIFY(QFileInfo::exists(file));   // the user's own file is never cleaned away
        QVERIFY(drainRequestChains());
        const QStringList banner = serverBanner();
        QCOMPARE(m_actions.lastResult(), QStringLiteral("https://%1/%2.png").arg(m_server.publicHost(), banner.value(0)));
        QCOMPARE(banner.value(1), QStringLiteral("#FF0000"));
        QCOMPARE(argb(QImage::fromData(fetchRaw(QStringLiteral("https://%1/%2.png").arg(m_server.publicHost(), banner.value(0))))),
                 argb(defaultBannerImage()));
    }

    void siteSegmentOpensTheWebsite()
    {
        BannerWindow window(m_actions);
        m_opened.clear();
        click(window, BannerView::siteSegment);
        QCOMPARE(m_opened, QList<QUrl>{QUrl(homePageUrl())});
        QCOMPARE(homePageUrl(), m_server.baseUrl());
    }
};

VORNIK_TEST_MAIN(BannerWindowTest, (vtest::EnvironmentOptions{.x11 = true, .framebuffer = QSize(1024, 768), .monitors = {}, .dbus = true}))
#include "banner_window_test.moc"
