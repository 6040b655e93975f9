#include "banner/BannerActions.h"
#include "banner/BannerView.h"
#include "banner/BannerWindow.h"
#include "editor/SegmentedToolBar.h"
#include "history/HistoryWindow.h"
#include "history/TrashDropTarget.h"
#include "history/HistoryTable.h"
#include "tests/banner/BannerTestSupport.h"
#include "tests/harness/FakeDesktop.h"
#include "tests/harness/NotificationRecorder.h"
#include "tests/harness/TestMain.h"
#include "tests/harness/UploadedHistory.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTableView>

using namespace bannertest;

// The banner set from the status menu survives the history window's deletions on a
// real vornik-server: the set-user reply stored as "bannerurl" is what the window
// compares its rows with.
class BannerHistoryTest : public QObject
{
    Q_OBJECT
private:
    vtest::ServerProcess m_server;
    NotificationRecorder *m_notifications = nullptr;
    AnsweringPanels m_panels;
    vtest::FakeDesktop m_desktop;

    static QStringList shownAddresses(HistoryWindow *window)
    {
        QStringList addresses;
        QAbstractItemModel *model = window->tableView->model();
        for (int row = 0; row < model->rowCount(); ++row)
            addresses << model->data(model->index(row, 0)).toString();
        return addresses;
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

    // Each case as a user of its own, with a history of its own.
    void init()
    {
        QVERIFY(drainRequestChains());
        clearPreferences();
    }

    // The banner sent from the status menu or from the banner window's upload segment.
    void bannerSurvivesDeletingEveryRow_data()
    {
        QTest::addColumn<bool>("fromWindow");
        QTest::newRow("status menu") << false;
        QTest::newRow("banner window") << true;
    }
    void bannerSurvivesDeletingEveryRow()
    {
        QFETCH(bool, fromWindow);
        BannerActions actions(m_desktop.withPanels(m_panels));
        if (fromWindow) {
            BannerWindow bannerWindow(actions);
            QTest::mouseClick(bannerWindow.buttonBar->segment(BannerView::uploadSegment), Qt::LeftButton);
            QVERIFY(drainRequestChains());
        } else {
            const QString chosen = writeSolidPng(QDir::tempPath() + QStringLiteral("/banner.png"), QSize(40, 20), Qt::cyan);
            m_panels.openAnswer = {chosen};
            actions.changeBannerImage();
            QVERIFY(drainRequestChains());
        }
        const QString bannerLink = QStringLiteral("https://%1/%2.png").arg(m_server.publicHost(), serverBanner());
        QCOMPARE(prefs("bannerurl"), bannerLink);
        m_notifications->received.clear();   // "Banner Image Uploaded!" or "Banner Info"

        const QStringList images = vtest::uploadImages(2, {Qt::red, Qt::blue});
        QCOMPARE(images.size(), 2);
        QVERIFY(!images.contains(QString()));

        auto *window = new HistoryWindow(m_desktop.services);
        QSignalSpy loaded(window->historyTable.data(), &HistoryTable::historyLoaded);
        window->showWindow();
        QVERIFY(loaded.wait(kWaitMs));
        QCOMPARE(shownAddresses(window), (QStringList{images.at(1), images.at(0), bannerLink}));

        // Every row selected and Delete pressed: the images go, the banner is skipped.
        QSignalSpy finished(window->trashTarget.data(), &TrashDropTarget::deletionsFinished);
        window->tableView->selectAll();
        window->tableView->setFocus();
        pressDeleteAndConfirm(window);
        QVERIFY(finished.wait(kWaitMs));
        QCOMPARE(finished.first().first().toInt(), 3);
        QTRY_COMPARE_WITH_TIMEOUT(shownAddresses(window), QStringList{bannerLink}, kWaitMs);
        QCOMPARE(vtest::historyAddresses(), QStringList{bannerLink});
        QCOMPARE(serverBanner(), QUrl(bannerLink).fileName().chopped(4));   // still the user's banner
        QVERIFY(m_notifications->received.isEmpty());

        // The banner row alone is refused with a notification, and stays.
        window->tableView->selectRow(0);
        pressDeleteAndConfirm(window);
        QTRY_VERIFY_WITH_TIMEOUT(!m_notifications->received.isEmpty(), kWaitMs);
        QCOMPARE(m_notifications->received.first().summary, QStringLiteral("Banner images can't be cancelled"));
        QCOMPARE(m_notifications->received.first().body, QStringLiteral("Deletion Denied"));
        QCOMPARE(vtest::historyAddresses(), QStringList{bannerLink});
        delete window;
    }

private:
    // Presses Delete on the table and says yes if the window asks first (it does
    // not ask about the banner alone: that is refused with a notification).
    void pressDeleteAndConfirm(HistoryWindow *window)
    {
        QSignalSpy asked(window->trashTarget.data(), &TrashDropTarget::confirmationShown);
        QTest::keyClick(window->tableView, Qt::Key_Delete);
        (void)QTest::qWaitFor([&] { return !asked.isEmpty() || !m_notifications->received.isEmpty(); }, kWaitMs);
        if (!asked.isEmpty())
            asked.takeFirst().first().value<QMessageBox *>()->button(QMessageBox::Yes)->click();
    }

    // The name of the user's banner image as the server's database holds it.
    QString serverBanner() const
    {
        return serverUserRecord(m_server, ShareClient::getUserID()).section(QLatin1Char('|'), 0, 0);
    }
};

VORNIK_TEST_MAIN(BannerHistoryTest, (vtest::EnvironmentOptions{.x11 = true, .framebuffer = QSize(1024, 768), .monitors = {}, .dbus = true}))
#include "banner_history_test.moc"
