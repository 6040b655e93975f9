#include "app/TrayApp.h"
#include "history/RecentUploadsMenu.h"
#include "history/HistoryWindow.h"
#include "history/HistoryTable.h"
#include "tests/harness/NotificationRecorder.h"
#include "tests/harness/ServerProcess.h"
#include "tests/harness/FakeAppServices.h"
#include "tests/harness/TestMain.h"
#include "tests/harness/UploadedHistory.h"

#include <QAction>
#include <QPointer>
#include <QSignalSpy>
#include <QTableView>

namespace {
constexpr int kWaitMs = 20000;

QStringList toolTipsOf(const QList<QAction *> &actions)
{
    QStringList tips;
    for (QAction *action : actions)
        tips << action->toolTip();
    return tips;
}

QList<HistoryWindow *> historyWindows()
{
    QList<HistoryWindow *> windows;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *window = qobject_cast<HistoryWindow *>(widget))
            windows << window;
    }
    return windows;
}
} // namespace

// The recent-uploads submenu against a real vornik-server on loopback, with uploads
// made through the client, and the "View all history" entry through the application
// delegate's status menu.
class HistoryMenuTest : public QObject
{
    Q_OBJECT
private:
    vtest::ServerProcess m_server;
    NotificationRecorder *m_recorder = nullptr;
    vtest::FakeAppServices m_services;
    std::unique_ptr<TrayApp> m_delegate;
    QStringList m_links;   // oldest first
    QList<QUrl> &m_opened = m_services.desktop.opener->opened;

    RecentUploadsMenu *menu() const { return m_delegate->historyMenu(); }

    // Opens the submenu as the status menu does and waits for the service's reply.
    bool openAndWait(RecentUploadsMenu *menu, bool closeAtOnce = false)
    {
        QSignalSpy arrived(menu, &RecentUploadsMenu::historyArrived);
        menu->popup(QPoint(20, 20));
        if (closeAtOnce)
            menu->hide();
        return arrived.wait(kWaitMs);
    }

    QStringList newest(int count) const
    {
        QStringList list = m_links;
        std::reverse(list.begin(), list.end());
        return list.mid(0, count);
    }

private slots:
    void initTestCase()
    {
        m_recorder = new NotificationRecorder(this);
        QVERIFY(m_recorder->isRegistered());
        QVERIFY(m_server.start());
        qputenv("VORNIK_SERVICE_URL", m_server.baseUrl().toUtf8());
        qputenv("VORNIK_CA_FILE", m_server.caFile().toUtf8());
        m_delegate = std::make_unique<TrayApp>(m_services.services());
        m_delegate->setCaptureStarter([] {});
        m_delegate->setTerminator([] {});
        m_delegate->setRelauncher([](const QString &, const QStringList &) { return true; });
        m_delegate->start();
        QVERIFY(menu());
        QVERIFY(menu()->toolTipsVisible());
        // The first start's hint comes before the tests count notifications.
        QTRY_VERIFY_WITH_TIMEOUT(!m_recorder->received.isEmpty(), kWaitMs);
    }

    void init()
    {
        m_services.desktop.reachability->connected = true;
        m_recorder->received.clear();
        m_opened.clear();
    }

    void cleanupTestCase()
    {
        for (HistoryWindow *window : historyWindows())
            delete window;
        m_delegate.reset();
    }

    void offlineOpeningNotifiesAndSendsNothing()
    {
        m_services.desktop.reachability->connected = false;
        QSignalSpy arrived(menu(), &RecentUploadsMenu::historyArrived);
        menu()->popup(QPoint(20, 20));
        QTRY_VERIFY_WITH_TIMEOUT(!m_recorder->received.isEmpty(), kWaitMs);
        menu()->hide();
        QCOMPARE(m_recorder->received.first().summary, QStringLiteral("No network connection"));
        QCOMPARE(m_recorder->received.first().body, QStringLiteral("Please check your Internet connection."));
        QVERIFY(menu()->actions().isEmpty());
        QCOMPARE(arrived.size(), 0);
    }

    void emptyHistoryShowsOnlyTheAllHistoryItem()
    {
        QVERIFY(openAndWait(menu()));
        menu()->hide();
        QCOMPARE(menu()->actions().size(), 1);
        QCOMPARE(menu()->actions().first()->text(), QStringLiteral("View all history"));
    }

    void fiveUploadsNewestFirst()
    {
        m_links = vtest::uploadImages(5, {Qt::red, Qt::blue});
        QCOMPARE(m_links.size(), 5);
        QVERIFY(!m_links.contains(QString()));

        QVERIFY(openAndWait(menu()));
        menu()->hide();
        const QList<QAction *> actions = menu()->actions();
        QCOMPARE(actions.size(), 6);
        QCOMPARE(actions.first()->text(), QStringLiteral("View all history"));
        QCOMPARE(toolTipsOf(actions.mid(1)), newest(5));
        for (QAction *item : actions.mid(1)) {
            QVERIFY2(item->text().endsWith(QStringLiteral(" - view")), qPrintable(item->text()));
            QVERIFY(!item->isSeparator());
        }

        // Choosing an upload opens its address.
        actions.at(2)->trigger();
        QCOMPARE(m_opened, QList<QUrl>{QUrl(newest(5).at(1))});
        // A tool tip that is no link opens nothing.
        m_opened.clear();
        QAction stray(QStringLiteral("stray"));
        stray.setToolTip(QStringLiteral("Error: File doesn't exist"));
        menu()->openImage(&stray);
        QVERIFY(m_opened.isEmpty());
    }

    void replyAfterClosingIsKeptUntilTheNextOpening()
    {
        QVERIFY(openAndWait(menu(), true));
        QVERIFY(!menu()->isVisible());
        QCOMPARE(toolTipsOf(menu()->actions().mid(1)), newest(5));

        // Offline, the items of the last opening stay as they are.
        const QList<QAction *> before = menu()->actions();
        m_services.desktop.reachability->connected = false;
        menu()->popup(QPoint(20, 20));
        QTRY_VERIFY_WITH_TIMEOUT(!m_recorder->received.isEmpty(), kWaitMs);
        menu()->hide();
        QCOMPARE(menu()->actions(), before);
    }

    void twoQuickOpeningsListEachUploadOnce()
    {
        // Opened, closed and opened again before the service answered: the reply to
        // the first opening must not be added to the items of the second.
        QSignalSpy arrived(menu(), &RecentUploadsMenu::historyArrived);
        menu()->popup(QPoint(20, 20));
        menu()->hide();
        menu()->popup(QPoint(20, 20));
        QVERIFY(arrived.wait(kWaitMs));
        menu()->hide();
        // Chains run one after another: once this one answered, both of the menu's have.
        QVERIFY(vtest::historyReply(true).startsWith(QLatin1Char('{')));
        QCOMPARE(arrived.size(), 1);
        QCOMPARE(toolTipsOf(menu()->actions().mid(1)), newest(5));
    }

    void failedHistoryLeavesTheAllHistoryItemAlone()
    {
        // Under this address the server answers every request with "not found".
        const QByteArray service = qgetenv("VORNIK_SERVICE_URL");
        qputenv("VORNIK_SERVICE_URL", m_server.baseUrl().toUtf8() + "nowhere/");
        const bool answered = openAndWait(menu());
        qputenv("VORNIK_SERVICE_URL", service);
        menu()->hide();
        QVERIFY(answered);
        QCOMPARE(menu()->actions().size(), 1);
        QCOMPARE(menu()->actions().first()->text(), QStringLiteral("View all history"));
        QVERIFY(m_recorder->received.isEmpty());
    }

    void atMostTenNewestUploads()
    {
        m_links += vtest::uploadImages(7, {Qt::green});
        QCOMPARE(m_links.size(), 12);
        QVERIFY(!m_links.contains(QString()));
        QVERIFY(openAndWait(menu()));
        menu()->hide();
        QCOMPARE(menu()->actions().size(), 11);
        QCOMPARE(toolTipsOf(menu()->actions().mid(1)), newest(10));
    }

    void viewAllHistoryOpensANewWindowEachTime()
    {
        QVERIFY(openAndWait(menu()));
        menu()->hide();
        QAction *all = menu()->actions().first();
        all->trigger();
        QCOMPARE(historyWindows().size(), 1);
        HistoryWindow *window = historyWindows().first();
        QVERIFY(window->isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(window->tableView->model()->rowCount(), 12, kWaitMs);
        all->trigger();
        QCOMPARE(historyWindows().size(), 2);

        // Closed, a window goes away by itself.
        QPointer<HistoryWindow> first = window;
        window->close();
        QTRY_VERIFY_WITH_TIMEOUT(first.isNull(), kWaitMs);

        // Offline: the notification, and no window.
        m_services.desktop.reachability->connected = false;
        all->trigger();
        QCOMPARE(historyWindows().size(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(m_recorder->received.size(), 1, kWaitMs);
        QCOMPARE(m_recorder->received.first().summary, QStringLiteral("No network connection"));
    }
};

VORNIK_TEST_MAIN(HistoryMenuTest, vtest::EnvironmentOptions{})
#include "history_menu_test.moc"
