// The status menu opened from a tray at the bottom of a 1920 x 1080 screen: the
// History submenu, which gets its uploads only after it has opened, must end up
// inside the screen once they have arrived.
#include "app/TrayApp.h"
#include "helpers/TempFolder.h"
#include "history/RecentUploadsMenu.h"
#include "history/UnsentUploadsMenu.h"
#include "tests/harness/NotificationRecorder.h"
#include "tests/harness/ServerProcess.h"
#include "tests/harness/FakeAppServices.h"
#include "tests/harness/TestMain.h"
#include "tests/harness/UploadedHistory.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QScreen>
#include <QSignalSpy>

namespace {
constexpr int kWaitMs = 20000;

QAction *entryTitled(const QMenu *menu, const QString &title)
{
    for (QAction *action : menu->actions()) {
        if (action->text() == title)
            return action;
    }
    return nullptr;
}

QString describe(const QRect &r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}
} // namespace

class TrayMenuPlacementTest : public QObject
{
    Q_OBJECT
    vtest::ServerProcess m_server;
    std::unique_ptr<TrayApp> m_delegate;

private slots:
    void initTestCase()
    {
        new NotificationRecorder(this);
        QVERIFY(m_server.start());
        qputenv("VORNIK_SERVICE_URL", m_server.baseUrl().toUtf8());
        qputenv("VORNIK_CA_FILE", m_server.caFile().toUtf8());
        QCOMPARE(vtest::uploadImages(10, {Qt::red, Qt::blue}).size(), 10);
        m_delegate = std::make_unique<TrayApp>(vtest::fixedAppServices());
        m_delegate->setCaptureStarter([] {});
        m_delegate->setTerminator([] {});
        m_delegate->start();
    }

    // "Unsent uploads" lists the failed uploads waiting in the unsent folder, not the
    // pictures kept from a failed save, and "Retry all" sends them.
    void unsentUploadsAreListedAndSent()
    {
        const QString unsent = TempFolder::unsentFolder();
        QVERIFY(QDir().mkpath(unsent));
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(Qt::darkGreen);
        const QString upload = unsent + "1765000000000_viewimage.png";
        QVERIFY(picture.save(upload) && picture.save(unsent + "Vornik 2026-12-08 04.00.00.png"));
        UnsentUploadsMenu *menu = m_delegate->unsentMenu();
        QAction *tools = entryTitled(m_delegate->statusMenu(), QStringLiteral("Vornik tools"));
        QVERIFY(menu && tools && entryTitled(tools->menu(), menu->title()));
        menu->menuWillOpen();
        QCOMPARE(menu->actions().size(), 3);   // "Retry all", a separator, the one upload
        QCOMPARE(menu->actions().at(2)->toolTip(), upload);
        const int before = vtest::recordedImageNames(m_server).size();
        menu->actions().at(0)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(upload), kWaitMs);
        QCOMPARE(vtest::recordedImageNames(m_server).size(), before + 1);
        menu->menuWillOpen();
        QCOMPARE(menu->actions().size(), 1);
        QVERIFY(!menu->actions().at(0)->isEnabled());
    }

    void cleanupTestCase()
    {
        m_delegate.reset();
    }

    void historySubmenuStaysOnScreenAsUploadsArrive_data()
    {
        QTest::addColumn<QPoint>("trayAt");
        QTest::newRow("bottom right") << QPoint(1900, 1079);
        QTest::newRow("bottom left") << QPoint(20, 1079);
    }

    void historySubmenuStaysOnScreenAsUploadsArrive()
    {
        QFETCH(QPoint, trayAt);
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QCOMPARE(screen, QRect(0, 0, 1920, 1080));
        QMenu *status = m_delegate->statusMenu();
        RecentUploadsMenu *history = m_delegate->historyMenu();

        // As the tray opens it: the status menu at the icon, then tools, then History.
        status->popup(trayAt);
        QVERIFY(QTest::qWaitForWindowExposed(status));
        QAction *toolsEntry = entryTitled(status, QStringLiteral("Vornik tools"));
        QVERIFY(toolsEntry);
        status->setActiveAction(toolsEntry);
        QMenu *tools = toolsEntry->menu();
        QTRY_VERIFY_WITH_TIMEOUT(tools->isVisible(), kWaitMs);
        QSignalSpy arrived(history, &RecentUploadsMenu::historyArrived);
        tools->setActiveAction(entryTitled(tools, QStringLiteral("History")));
        QTRY_VERIFY_WITH_TIMEOUT(history->isVisible(), kWaitMs);
        const QRect opened = history->geometry();
        QVERIFY(arrived.wait(kWaitMs));
        QCOMPARE(arrived.first().first().toInt(), 10);
        QCOMPARE(history->actions().size(), 11);

        // Once grown, the menu is moved and painted at its new place.
        QTRY_VERIFY_WITH_TIMEOUT(screen.contains(history->geometry()), kWaitMs);
        const QRect grown = history->geometry();
        qInfo("History opened at %s, %d px below the screen's edge had it grown in place; now at %s",
              qPrintable(describe(opened)), qMax(0, opened.top() + grown.height() - screen.height()),
              qPrintable(describe(grown)));
        QVERIFY(grown.height() > opened.height());
        QVERIFY2(screen.contains(history->geometry()), qPrintable(describe(history->geometry())));
        for (QMenu *menu : {status, tools})
            QVERIFY2(screen.contains(menu->geometry()), qPrintable(describe(menu->geometry())));
        // Every upload can be reached: its item lies inside the menu, which lies inside the screen.
        for (QAction *item : history->actions())
            QVERIFY(history->rect().contains(history->actionGeometry(item)));
        if (const QString shot = qEnvironmentVariable("VORNIK_MENU_SHOT"); !shot.isEmpty())
            vtest::run({QStringLiteral("import"), QStringLiteral("-window"), QStringLiteral("root"), shot});
        status->hide();
        QTRY_VERIFY_WITH_TIMEOUT(!history->isVisible(), kWaitMs);
    }
};

VORNIK_TEST_MAIN(TrayMenuPlacementTest, (vtest::EnvironmentOptions{.x11 = true}))
#include "tray_menu_placement_test.moc"
