#include "app/TrayApp.h"
#include "banner/BannerActions.h"
#include "banner/BannerWindow.h"
#include "banner/BannerColorPicker.h"
#include "banner/BannerPreview.h"
#include "tests/harness/FakeDesktop.h"
#include "helpers/TempFolder.h"
#include "helpers/NamedColors.h"
#include "tests/banner/BannerTestSupport.h"
#include "tests/harness/NotificationRecorder.h"
#include "tests/harness/FakeAppServices.h"
#include "tests/harness/TestMain.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QTcpServer>

using namespace bannertest;

// The status menu's banner actions against a real vornik-server on loopback: what is
// stored, what is announced, what the service receives and how shared images look.
class BannerActionsTest : public QObject
{
    Q_OBJECT
private:
    vtest::ServerProcess m_server;
    NotificationRecorder *m_notifications = nullptr;
    AnsweringRuns m_runs;
    AnsweringPanels m_panels;
    vtest::FakeDesktop m_desktop;
    BannerActions m_actions{m_desktop.withPanels(m_panels)};

    bool notified(const QString &summary, const QString &body)
    {
        return QTest::qWaitFor(
            [&] {
                for (const auto &n : m_notifications->received) {
                    if (n.summary == summary && n.body == body)
                        return true;
                }
                return false;
            },
            kWaitMs);
    }

    // Every notification so far, once a marker posted after them has arrived.
    QStringList settledNotifications()
    {
        m_desktop.services.notifier->post(QStringLiteral("marker"), QString());
        if (!notified(QStringLiteral("marker"), QString()))
            return {QStringLiteral("(marker lost)")};
        QStringList seen;
        for (const auto &n : m_notifications->received) {
            if (n.summary != QLatin1String("marker"))
                seen.append(n.summary + QStringLiteral(" / ") + n.body);
        }
        m_notifications->received.clear();
        return seen;
    }

    // Makes the color window answer with a click on `name`'s button (or Cancel).
    void answerColorWindowWith(const QString &name)
    {
        m_runs.answer = [name](QWidget *window) {
            auto *content = window->findChild<BannerColorPicker *>();
            QVERIFY(content);
            QPushButton *button = name.isEmpty() ? content->cancelButton : content->palette()->button(name);
            QVERIFY(button);
            QTest::mouseClick(button, Qt::LeftButton);
        };
    }

    QString serverLink(const QString &name) const
    {
        return QStringLiteral("https://%1/%2.png").arg(m_server.publicHost(), name);
    }

    // The uploaded banner's name and color as the server keeps them for this user.
    QStringList serverBanner() const
    {
        return serverUserRecord(m_server, ShareClient::getUserID()).split(QLatin1Char('|'));
    }

    static QString grayImage()
    {
        return writeSolidPng(QDir::tempPath() + QStringLiteral("/gray.png"), QSize(200, 100), QColor(0x80, 0x80, 0x80));
    }

private slots:
    void initTestCase()
    {
        m_notifications = new NotificationRecorder(this);
        QVERIFY(m_notifications->isRegistered());
        QVERIFY(m_server.start());
        qputenv("VORNIK_SERVICE_URL", m_server.baseUrl().toUtf8());
        qputenv("VORNIK_CA_FILE", m_server.caFile().toUtf8());
        QVERIFY(!grayImage().isEmpty());
    }

    void init()
    {
        QVERIFY(drainRequestChains());   // nothing of the case before may reach this one
        clearPreferences();
        m_runs = AnsweringRuns();
        m_panels.openRequests.clear();
        m_panels.openAnswer.clear();
        settledNotifications();
    }

    void defaultBannerIsTheLogoOnWhiteThenNavy()
    {
        m_actions.setToDefaultBanner();

        QCOMPARE(prefs("bannercolor"), QStringLiteral("white"));
        const QString path = prefs("bannerpath");
        QVERIFY2(QRegularExpression(QStringLiteral("^") + QRegularExpression::escape(TempFolder::root())
                                    + QStringLiteral("Vornik/\\d{13}_bannerimage\\.png$"))
                     .match(path)
                     .hasMatch(),
                 qPrintable(path));
        const QImage logo(path);
        QCOMPARE(logo.convertToFormat(QImage::Format_ARGB32), defaultBannerImage().convertToFormat(QImage::Format_ARGB32));
        QVERIFY(Preferences::standard().hasKey(QStringLiteral("bannerurl")));
        QCOMPARE(prefs("bannerurl"), QString());   // until the service replies
        QVERIFY(notified(QStringLiteral("Banner"), QStringLiteral("Reset complete.")));

        QTRY_VERIFY_WITH_TIMEOUT(!prefs("bannerurl").isEmpty(), kWaitMs);
        const QStringList banner = serverBanner();
        QCOMPARE(prefs("bannerurl"), serverLink(banner.value(0)));   // the set-user reply: the banner's link
        QCOMPARE(m_actions.lastResult(), prefs("bannerurl"));
        QCOMPARE(banner.size(), 2);
        QCOMPARE(banner.at(1), QStringLiteral("#FFFFFF"));
        QCOMPARE(fetchRaw(serverLink(banner.at(0))), fileBytes(path));   // the logo that was uploaded

        // Images shared from now on carry the logo on a white strip.
        const QString shared = QStringLiteral("https://") + upload(grayImage());
        QString why;
        QVERIFY2(showsBanner(fetchShared(shared), QSize(200, 100), logo, Qt::white, &why), qPrintable(why));

        // Navy from the color window: the same logo, sent again with the new color.
        answerColorWindowWith(QStringLiteral("navy"));
        m_actions.changeBannerColor(m_runs);
        QCOMPARE(m_runs.runs, 1);
        QVERIFY(m_runs.windowWasVisible);
        QCOMPARE(prefs("bannercolor"), QStringLiteral("navy"));
        QVERIFY(notified(QStringLiteral("Banner"), QStringLiteral("New banner color information is uploaded.")));
        QVERIFY(drainRequestChains());
        QCOMPARE(serverBanner().value(1), QStringLiteral("#000080"));
        QVERIFY2(showsBanner(fetchShared(shared), QSize(200, 100), logo, QColor(0, 0, 128), &why), qPrintable(why));
        QCOMPARE(settledNotifications(), (QStringList{QStringLiteral("Banner / Reset complete."),
                                                     QStringLiteral("Banner / New banner color information is uploaded.")}));
    }

    void unchangedColorIsCancelledAndSendsNothing_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::newRow("cancel") << QString();
        QTest::newRow("same color") << QStringLiteral("teal");
    }

    void unchangedColorIsCancelledAndSendsNothing()
    {
        QFETCH(QString, answer);
        m_actions.setToDefaultBanner();   // a banner the service already has
        QVERIFY(drainRequestChains());
        Preferences::standard().setString(QStringLiteral("bannercolor"), QStringLiteral("teal"));
        settledNotifications();
        const int setUsersBefore = setUserRequestsLogged(m_server);
        const QStringList bannerBefore = serverBanner();

        answerColorWindowWith(answer);
        m_actions.changeBannerColor(m_runs);
        QCOMPARE(m_runs.stops, 1);   // the window's click or Cancel ended the run
        QCOMPARE(prefs("bannercolor"), QStringLiteral("teal"));
        QVERIFY(drainRequestChains());
        QCOMPARE(setUserRequestsLogged(m_server), setUsersBefore);
        QCOMPARE(serverBanner(), bannerBefore);
        QCOMPARE(settledNotifications(), QStringList{QStringLiteral("Banner / Banner color change has been cancelled.")});
    }

    void colorChangeWithoutTheBannerFileSendsTheLogo()
    {
        const QString gone = TempFolder::bannerImagePath(1);
        Preferences::standard().setString(QStringLiteral("bannerpath"), gone);
        Preferences::standard().setString(QStringLiteral("bannercolor"), QStringLiteral("red"));
        answerColorWindowWith(QStringLiteral("green"));
        m_actions.changeBannerColor(m_runs);

        const QString path = prefs("bannerpath");
        QVERIFY(path != gone && path.endsWith(QStringLiteral("_bannerimage.png")));
        QCOMPARE(QImage(path).convertToFormat(QImage::Format_ARGB32), defaultBannerImage().convertToFormat(QImage::Format_ARGB32));
        QVERIFY(drainRequestChains());
        const QStringList banner = serverBanner();
        QCOMPARE(prefs("bannerurl"), serverLink(banner.value(0)));
        QCOMPARE(banner.value(1), QStringLiteral("#008000"));
        QCOMPARE(fetchRaw(serverLink(banner.value(0))), fileBytes(path));
    }

    void bannerImageFromAnOpenPanel()
    {
        // Cancelled: nothing stored, nothing announced.
        m_actions.changeBannerImage();
        QCOMPARE(m_panels.openRequests.size(), 1);
        const FilePanels::OpenRequest asked = m_panels.openRequests.constFirst();
        QCOMPARE(asked.title, QStringLiteral("Select PNG Image (Should be 40 px wide)"));
        QVERIFY(!asked.allowsMultipleSelection && !asked.canChooseDirectories && !asked.canCreateDirectories);
        QCOMPARE(asked.allowedFileTypes, QStringList{QStringLiteral("png")});
        QVERIFY(!Preferences::standard().hasKey(QStringLiteral("bannerpath")));

        const QString chosen = writeSolidPng(QDir::tempPath() + QStringLiteral("/mine.png"), QSize(40, 20), Qt::magenta);
        m_panels.openAnswer = {chosen};
        m_actions.changeBannerImage();
        const QString path = prefs("bannerpath");
        QVERIFY(path.startsWith(TempFolder::finalImagesFolder()) && path.endsWith(QStringLiteral("_bannerimage.png")));
        QCOMPARE(QImage(path).convertToFormat(QImage::Format_ARGB32), QImage(chosen).convertToFormat(QImage::Format_ARGB32));
        QVERIFY(drainRequestChains());
        QCOMPARE(prefs("bannerurl"), serverLink(serverBanner().value(0)));
        QCOMPARE(fetchRaw(prefs("bannerurl")), fileBytes(path));
        QCOMPARE(serverBanner().value(1), QStringLiteral("#FF0000"));   // no color chosen yet: red
        QCOMPARE(prefs("bannercolor"), QStringLiteral("red"));            // and stored as such

        // A file that is no image keeps the current banner (and its file).
        const QString junk = QDir::tempPath() + QStringLiteral("/junk.png");
        QFile file(junk);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a picture");
        file.close();
        m_panels.openAnswer = {junk};
        m_actions.changeBannerImage();
        QCOMPARE(prefs("bannerpath"), path);
        QVERIFY(QFileInfo::exists(path));
        QCOMPARE(settledNotifications(),
                 (QStringList{QStringLiteral("Banner Image Action / Banner Image Uploaded!"),
                              QStringLiteral("File Save Error / Your banner image couldn't be saved on your computer.")}));
    }

    void uploadWithoutABannerFileSendsNothing()
    {
        const int setUsersBefore = setUserRequestsLogged(m_server);
        const int uploadsBefore = uploadsLogged(m_server);
        QCOMPARE(m_actions.uploadBanner(), QString());
        QVERIFY(drainRequestChains());
        QCOMPARE(setUserRequestsLogged(m_server), setUsersBefore);
        QCOMPARE(uploadsLogged(m_server), uploadsBefore);
        QCOMPARE(settledNotifications(),
                 QStringList{QStringLiteral("File Save Error / Your banner image couldn't be saved on your computer.")});
    }

    void failedUploadKeepsThePreferencesAndSendsNoSetUser()
    {
        Preferences::standard().setString(QStringLiteral("bannerpath"), QDir::tempPath() + QStringLiteral("/missing.png"));
        Preferences::standard().setString(QStringLiteral("bannercolor"), QStringLiteral("blue"));
        Preferences::standard().setString(QStringLiteral("bannerurl"), QStringLiteral("earlier"));
        const int setUsersBefore = setUserRequestsLogged(m_server);
        m_actions.uploadBanner();   // the client answers "Error: File doesn't exist"
        QVERIFY(notified(QStringLiteral("File Upload Error"), QStringLiteral("There was a problem uploading your banner image.")));
        QCOMPARE(m_actions.lastResult(), QStringLiteral("Invalid URL"));

        // A reply with white space is no link either, whatever it starts with.
        m_actions.bannerUploaded(ShareReply::answer(200, m_server.publicHost() + QStringLiteral("/a.png oops")),
                                 QStringLiteral("/elsewhere.png"), QStringLiteral("navy"));
        QVERIFY(drainRequestChains());
        // A link-shaped body under an error status is a failed upload too.
        m_notifications->received.clear();
        m_actions.bannerUploaded(ShareReply::answer(503, m_server.publicHost() + QStringLiteral("/a.png")),
                                 QStringLiteral("/elsewhere.png"), QStringLiteral("navy"));
        QVERIFY(notified(QStringLiteral("File Upload Error"), QStringLiteral("There was a problem uploading your banner image.")));
        QVERIFY(drainRequestChains());
        QCOMPARE(setUserRequestsLogged(m_server), setUsersBefore);
        QCOMPARE(prefs("bannerpath"), QDir::tempPath() + QStringLiteral("/missing.png"));
        QCOMPARE(prefs("bannercolor"), QStringLiteral("blue"));
        QCOMPARE(prefs("bannerurl"), QStringLiteral("earlier"));
    }

    void statusMenuSlotsReachTheBannerActions()
    {
        AppServices desktop = vtest::fixedAppServices();
        desktop.modalRuns = std::shared_ptr<ModalRuns>(std::shared_ptr<void>(), &m_runs);   // not owned
        desktop.desktop = m_desktop.withPanels(m_panels);
        TrayApp delegate(desktop);
        answerColorWindowWith(QString());
        delegate.changeBannerColor();
        QCOMPARE(m_runs.runs, 1);
        delegate.changeBannerImage();
        QCOMPARE(m_panels.openRequests.size(), 1);
        delegate.setToDefaultBanner();
        QCOMPARE(prefs("bannercolor"), QStringLiteral("white"));

        delegate.openBannerWindow();
        QPointer<BannerWindow> window;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *banner = qobject_cast<BannerWindow *>(widget))
                window = banner;
        }
        QVERIFY(window);
        QVERIFY(window->isVisible());
        window->close();   // closing lets it go
        QTRY_VERIFY_WITH_TIMEOUT(window.isNull(), kWaitMs);
        QCOMPARE(settledNotifications(), (QStringList{QStringLiteral("Banner / Banner color change has been cancelled."),
                                                     QStringLiteral("Banner / Reset complete.")}));
    }

    void cleaningRemovesOnlyOlderBannerFiles()
    {
        const QString folder = QDir::tempPath() + QStringLiteral("/clean/");
        QVERIFY(QDir().mkpath(folder));
        for (const char *name : {"1_bannerimage.png", "2_bannerimage.png", "3_viewimage.png", "notes.txt"})
            QVERIFY(!writeSolidPng(folder + QLatin1String(name), QSize(2, 2), Qt::black).isEmpty());
        QVERIFY(cleanBannerFiles(folder, BannerForm::statusMenu, {folder + QStringLiteral("2_bannerimage.png")}));
        QCOMPARE(QDir(folder).entryList(QDir::Files, QDir::Name),
                 (QStringList{"2_bannerimage.png", "3_viewimage.png", "notes.txt"}));
        QVERIFY(cleanBannerFiles(folder.chopped(1), BannerForm::window));   // without the trailing "/"
        QCOMPARE(QDir(folder).entryList(QDir::Files, QDir::Name), (QStringList{"3_viewimage.png", "notes.txt"}));
        QVERIFY(!cleanBannerFiles(QDir::tempPath() + QStringLiteral("/no-such-folder")));
    }

    void savingReplacesOlderBannerFilesOnlyOnceWritten()
    {
        const QString first = m_actions.saveBannerImage(defaultBannerImage());
        QVERIFY(QFileInfo::exists(first));
        // Nothing to write: the current files stay.
        QCOMPARE(m_actions.saveBannerImage(QImage()), QString());
        QVERIFY(QFileInfo::exists(first));

        // The file the preferences name survives one more save, in case its upload fails.
        Preferences::standard().setString(QStringLiteral("bannerpath"), first);
        const QString stray = TempFolder::bannerImagePath(2);
        QVERIFY(!writeSolidPng(stray, QSize(2, 2), Qt::black).isEmpty());
        QTRY_VERIFY(TempFolder::currentMilliseconds() != QFileInfo(first).fileName().section('_', 0, 0).toLongLong());
        const QString second = m_actions.saveBannerImage(defaultBannerImage());
        QVERIFY(second != first);
        QVERIFY(QFileInfo::exists(first) && QFileInfo::exists(second));
        QVERIFY(!QFileInfo::exists(stray));
        Preferences::standard().setString(QStringLiteral("bannerpath"), second);
        const QString third = m_actions.saveBannerImage(defaultBannerImage());
        QVERIFY(!QFileInfo::exists(first) && QFileInfo::exists(second) && QFileInfo::exists(third));
    }

    // Two uploads from the banner window in quick succession (a double click): the
    // second save must not clean away the file the first upload has yet to read.
    void backToBackWindowUploadsBothReachTheServer()
    {
        BannerPreview preview;
        preview.setImage(defaultBannerImage());
        Preferences::standard().setString(QStringLiteral("bannercolor"), QStringLiteral("olive"));
        const int uploadsBefore = uploadsLogged(m_server);
        const int setUsersBefore = setUserRequestsLogged(m_server);
        QCOMPARE(m_actions.uploadBannerFromWindow(preview), QString());
        const QStringList firstFiles = QDir(TempFolder::finalImagesFolder()).entryList({QStringLiteral("*_bannerimage.png")});
        // The next save gets its own file name. No events are handled meanwhile, so
        // the first upload cannot have read its file yet.
        const qint64 firstSave = TempFolder::currentMilliseconds();
        while (TempFolder::currentMilliseconds() == firstSave) {
        }
        QCOMPARE(m_actions.uploadBannerFromWindow(preview), QString());
        QVERIFY(drainRequestChains());
        QCOMPARE(uploadsLogged(m_server), uploadsBefore + 2);
        QCOMPARE(setUserRequestsLogged(m_server), setUsersBefore + 2);
        QCOMPARE(settledNotifications(), QStringList());
        QCOMPARE(m_actions.lastResult(), serverLink(serverBanner().value(0)));
        QCOMPARE(serverBanner().value(1), QStringLiteral("#808000"));
        QCOMPARE(firstFiles.size(), 1);
        // Once both are sent, the next save cleans up as usual: only the banner the
        // preferences name and the new file are left.
        const QString next = m_actions.saveBannerImage(defaultBannerImage());
        const QStringList left = QDir(TempFolder::finalImagesFolder()).entryList({QStringLiteral("*_bannerimage.png")},
                                                                                 QDir::Files, QDir::Name);
        QCOMPARE(left, (QStringList{QFileInfo(prefs("bannerpath")).fileName(), QFileInfo(next).fileName()}));
        QVERIFY(!left.contains(firstFiles.constFirst()));
    }

    void serverRefusesBannerLinksThatAreNotTheUsersOwnUploads()
    {
        QTcpServer elsewhere;
        QVERIFY(elsewhere.listen(QHostAddress::LocalHost));
        QSignalSpy connections(&elsewhere, &QTcpServer::newConnection);
        const QString ownerLink = QStringLiteral("https://") + upload(grayImage());
        QVERIFY(ownerLink.endsWith(QStringLiteral(".png")));

        auto setUser = [](const QString &link) {
            ShareReply reply;
            bool done = false;
            ShareClient::setBanner(QStringLiteral("red"), colorNamed(QStringLiteral("red")), link,
                                   [&](const ShareReply &answer) {
                                       reply = answer;
                                       done = true;
                                   });
            if (!QTest::qWaitFor([&] { return done; }, kWaitMs))
                reply.body = QStringLiteral("(no answer)");
            return qMakePair(reply.status, reply.body);
        };

        // Another host: refused without a look at it.
        const QString foreign = QStringLiteral("https://127.0.0.1:%1/abcdef.png").arg(elsewhere.serverPort());
        QCOMPARE(setUser(foreign).first, 400);
        // Another user's upload on this server: refused too.
        Preferences::standard().setString(QStringLiteral("ApplicationUniqueIdentifier"), QString(32, QLatin1Char('b')));
        QCOMPARE(setUser(ownerLink).first, 404);
        QCOMPARE(serverUserRecord(m_server, QString(32, QLatin1Char('b'))), QString());
        QCoreApplication::processEvents();
        QCOMPARE(connections.count(), 0);
        QVERIFY(!elsewhere.hasPendingConnections());
    }
};

VORNIK_TEST_MAIN(BannerActionsTest, vtest::EnvironmentOptions{})
#include "banner_actions_test.moc"
