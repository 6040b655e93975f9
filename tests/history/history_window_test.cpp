#include "platform/Preferences.h"
#include "history/HistoryWindow.h"
#include "history/TrashDropTarget.h"
#include "history/HistoryPreview.h"
#include "history/HistoryTable.h"
#include "service/ShareClient.h"
#include "tests/harness/NotificationRecorder.h"
#include "tests/harness/ServerProcess.h"
#include "tests/harness/FakeDesktop.h"
#include "tests/harness/TestMain.h"
#include "tests/harness/UploadedHistory.h"

#include <QDrag>
#include <QFont>
#include <QHeaderView>
#include <QDragEnterEvent>
#include <QClipboard>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTimer>

namespace {

constexpr int kWaitMs = 20000;
const QList<QColor> kColors = {Qt::red, Qt::green, Qt::blue, Qt::yellow, Qt::magenta};

// Delivers the events a drag of `mime` onto `target` produces when the pointer enters
// it and the button is released over it. Returns whether the drop was accepted.
bool deliverDrop(QWidget *target, const QMimeData *mime)
{
    const QPoint centre = target->rect().center();
    const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(centre, offered, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDragMoveEvent move(centre, offered, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    QDropEvent drop(QPointF(centre), offered, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

// Counts the events of one type that the watched object receives.
struct EventCounter : QObject {
    explicit EventCounter(QEvent::Type type)
        : type(type)
    {
    }
    QEvent::Type type;
    int count = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        count += event->type() == type ? 1 : 0;
        return false;
    }
};

} // namespace

// The history window against a real vornik-server on loopback, with five uploads
// made through the client. Drags are delivered as the drag-enter, drag-move and drop
// events the window system would hand the widgets, carrying the text the table
// itself makes for the selected rows.
class HistoryWindowTest : public QObject
{
    Q_OBJECT
private:
    vtest::ServerProcess m_server;
    NotificationRecorder *m_recorder = nullptr;
    QStringList m_links;   // oldest first
    vtest::FakeDesktop m_desktop;
    QList<QUrl> &m_opened = m_desktop.opener->opened;
    QPointer<HistoryWindow> m_window;

    // Opens a new window and waits until it shows the service's history.
    HistoryWindow *openWindow()
    {
        auto *window = new HistoryWindow(m_desktop.services);
        QSignalSpy loaded(window->historyTable.data(), &HistoryTable::historyLoaded);
        window->showWindow();
        if (!loaded.wait(kWaitMs)) {
            delete window;
            return nullptr;
        }
        return window;
    }

    QStringList shownAddresses() const
    {
        QStringList addresses;
        QAbstractItemModel *model = m_window->tableView->model();
        for (int row = 0; row < model->rowCount(); ++row)
            addresses << model->data(model->index(row, 0)).toString();
        return addresses;
    }

    // Selects the rows showing `addresses` and returns what the table hands a drag.
    std::unique_ptr<QMimeData> dragRows(const QStringList &addresses)
    {
        QTableView *table = m_window->tableView;
        table->clearSelection();
        const QStringList shown = shownAddresses();
        for (const QString &address : addresses) {
            const int row = int(shown.indexOf(address));
            if (row < 0)
                return nullptr;
            table->selectionModel()->select(table->model()->index(row, 0),
                                            QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
        return std::unique_ptr<QMimeData>(table->model()->mimeData(table->selectionModel()->selectedIndexes()));
    }

    // Drops the rows on the trash and waits for the reload that follows the deletions.
    bool trashRows(const QStringList &addresses, int *reloads)
    {
        std::unique_ptr<QMimeData> mime = dragRows(addresses);
        if (!mime)
            return false;
        QSignalSpy finished(m_window->trashTarget.data(), &TrashDropTarget::deletionsFinished);
        QSignalSpy loaded(m_window->historyTable.data(), &HistoryTable::historyLoaded);
        if (!deliverDrop(m_window->trashTarget, mime.get()) || !finished.wait(kWaitMs))
            return false;
        if (!QTest::qWaitFor([&] { return !loaded.isEmpty(); }, kWaitMs))
            return false;
        // A round trip of our own, queued behind any stray reload, before counting.
        vtest::historyReply(false);
        *reloads = int(loaded.size());
        return true;
    }

    // Presses on `row` of the table, drags across to the middle of `target` and lets
    // go there, all through xdotool on the X server, so Qt runs the drag as it would
    // for a person. Returns once the release has been sent.
    bool pointerDragRow(int row, QWidget *target)
    {
        if (!QTest::qWaitForWindowExposed(m_window))
            return false;
        QTableView *table = m_window->tableView;
        const QPoint from = table->viewport()->mapToGlobal(table->visualRect(table->model()->index(row, 0)).center());
        const QPoint to = target->mapToGlobal(target->rect().center());
        const auto number = [](int value) { return QString::number(value); };
        const auto xdotool = [](const QStringList &arguments) {
            return vtest::run(QStringList{QStringLiteral("xdotool")} + arguments) == 0;
        };
        EventCounter presses(QEvent::MouseButtonPress);
        EventCounter tableMoves(QEvent::MouseMove);
        EventCounter entered(QEvent::DragEnter);
        table->viewport()->installEventFilter(&presses);
        table->viewport()->installEventFilter(&tableMoves);
        target->installEventFilter(&entered);

        if (!xdotool({QStringLiteral("mousemove"), number(from.x()), number(from.y()), QStringLiteral("mousedown"),
                      QStringLiteral("1")})
            || !QTest::qWaitFor([&] { return presses.count > 0; }, kWaitMs))
            return false;

        // Once the drag runs, its own event loop has the thread until the release: the
        // later steps are taken from a timer, each when the one before has shown.
        int step = 0;
        QTimer driver;
        connect(&driver, &QTimer::timeout, this, [&] {
            if (step == 0 && table->findChild<QDrag *>()) {
                step = 1;
                xdotool({QStringLiteral("mousemove"), number(to.x()), number(to.y()), QStringLiteral("mousemove"),
                         number(to.x() + 2), number(to.y() + 2)});
            } else if (step == 1 && entered.count > 0) {
                step = 2;
                xdotool({QStringLiteral("mouseup"), QStringLiteral("1")});
                driver.stop();
            }
        });
        driver.start(10);
        // Past the drag distance: the first move arms the table, the next starts the drag.
        // (Qt merges pointer moves that wait together, so each is let through on its own.)
        tableMoves.count = 0;
        if (!xdotool({QStringLiteral("mousemove"), number(from.x() + 30), number(from.y())})
            || !QTest::qWaitFor([&] { return tableMoves.count > 0; }, kWaitMs)
            || !xdotool({QStringLiteral("mousemove"), number(from.x() + 60), number(from.y())}))
            return false;
        return QTest::qWaitFor([&] { return step == 2; }, kWaitMs);
    }

    // Clicks `button` on the middle of `row` through xdotool (`times` clicks in a row).
    bool clickRow(int row, int button, int times = 1)
    {
        if (!QTest::qWaitForWindowExposed(m_window))
            return false;
        QTableView *table = m_window->tableView;
        const QPoint at = table->viewport()->mapToGlobal(table->visualRect(table->model()->index(row, 0)).center());
        return vtest::run({QStringLiteral("xdotool"), QStringLiteral("mousemove"), QString::number(at.x()),
                           QString::number(at.y()), QStringLiteral("click"), QStringLiteral("--repeat"),
                           QString::number(times), QStringLiteral("--delay"), QStringLiteral("60"),
                           QString::number(button)})
               == 0;
    }

    // Right-clicks `row` and chooses `entry` from the menu that opens.
    bool chooseFromRowMenu(int row, const QString &entry)
    {
        // Apart from the last right click, or the two would make a double click.
        QTest::qWait(QApplication::doubleClickInterval() + 50);
        QSignalSpy shown(m_window.data(), &HistoryWindow::rowMenuShown);
        if (!clickRow(row, 3) || !QTest::qWaitFor([&] { return !shown.isEmpty(); }, kWaitMs)) {
            qWarning("no menu for row %d", row);
            return false;
        }
        QPointer<QMenu> menu = shown.first().first().value<QMenu *>();
        // Still open once the click is through, as a person would find it.
        QTest::qWait(200);
        if (!menu || !menu->isVisible()) {
            qWarning("the menu for row %d closed by itself", row);
            return false;
        }
        const QList<QAction *> actions = menu->actions();
        const auto chosen = std::find_if(actions.begin(), actions.end(),
                                         [&entry](QAction *action) { return action->text() == entry; });
        if (chosen == actions.end() || !(*chosen)->isEnabled()) {
            qWarning("no entry %s", qPrintable(entry));
            return false;
        }
        (*chosen)->trigger();
        if (menu)
            menu->close();
        return true;
    }

    // Waits for the question before a deletion and answers it.
    static bool answerDeletion(QSignalSpy &asked, QMessageBox::StandardButton answer, QString *question = nullptr)
    {
        if (asked.isEmpty() && !asked.wait(kWaitMs))
            return false;
        auto *box = asked.takeFirst().first().value<QMessageBox *>();
        if (question)
            *question = box->text();
        box->button(answer)->click();
        return true;
    }

    // Makes `link` (or no image) the user's banner on the service.
    static bool setServerBanner(const QString &link)
    {
        std::optional<bool> accepted;
        ShareClient::getUserID();
        ShareClient::setBanner(QStringLiteral("red"), Qt::red, link,
                               [&accepted](const ShareReply &reply) { accepted = reply.succeeded(); });
        return QTest::qWaitFor([&] { return accepted.has_value(); }, kWaitMs) && *accepted;
    }

private slots:
    void initTestCase()
    {
        m_recorder = new NotificationRecorder(this);
        QVERIFY(m_recorder->isRegistered());
        QVERIFY(m_server.start());
        qputenv("VORNIK_SERVICE_URL", m_server.baseUrl().toUtf8());
        qputenv("VORNIK_CA_FILE", m_server.caFile().toUtf8());
        m_desktop.reachability->connected = true;
        m_links = vtest::uploadImages(5, kColors);
        QCOMPARE(m_links.size(), 5);
        for (const QString &link : std::as_const(m_links))
            QVERIFY2(link.startsWith(m_server.baseUrl()), qPrintable(link));
    }

    void init()
    {
        m_desktop.reachability->connected = true;
        m_recorder->received.clear();
        m_window = openWindow();
        QVERIFY(m_window);
    }

    void cleanup()
    {
        delete m_window.data();
    }

    void listsEveryUploadNewestFirst()
    {
        QStringList newestFirst = m_links;
        std::reverse(newestFirst.begin(), newestFirst.end());
        QCOMPARE(shownAddresses(), newestFirst);
        QAbstractItemModel *model = m_window->tableView->model();
        QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("URL"));
        for (int row = 0; row < 5; ++row)
            QVERIFY(model->data(model->index(row, 1)).toString().contains(QStringLiteral(", ")));
        QCOMPARE(m_window->tableView->selectionMode(), QAbstractItemView::ExtendedSelection);
        QVERIFY(m_window->windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(m_window->historyTable->preview == m_window->preview);
        QVERIFY(m_window->trashTarget->historyTable == m_window->historyTable);

        // Two rows dragged out carry both addresses, one a line, in table order.
        std::unique_ptr<QMimeData> mime = dragRows({newestFirst.at(3), newestFirst.at(1)});
        QVERIFY(mime);
        QCOMPARE(mime->text(), newestFirst.at(1) + QLatin1Char('\n') + newestFirst.at(3));
    }

    void previewShowsTheDroppedRowAndOpensIt()
    {
        const QString green = m_links.at(1);
        std::unique_ptr<QMimeData> mime = dragRows({green});
        QVERIFY(mime);
        HistoryPreview *preview = m_window->preview;
        QSignalSpy shown(preview, &HistoryPreview::imageLoaded);
        QVERIFY(deliverDrop(preview, mime.get()));
        QCOMPARE(preview->imageURL, green);
        QVERIFY(shown.wait(kWaitMs));
        QCOMPARE(shown.first().first().toString(), green);
        // The service adds the banner strip on top; the picture itself is below it.
        const QImage image = preview->image();
        QCOMPARE(image.width(), 96);
        QCOMPARE(image.pixelColor(48, image.height() - 2), QColor(Qt::green));

        if (const QByteArray shot = qgetenv("VORNIK_HISTORY_SHOT"); !shot.isEmpty()) {
            m_window->tableView->selectRow(3);
            QVERIFY(QTest::qWaitForWindowExposed(m_window));
            // Painted and sent to the X server now, before another client reads it.
            m_window->repaint();
            QVERIFY(vtest::run({QStringLiteral("import"), QStringLiteral("-window"), QStringLiteral("root"),
                                QString::fromLocal8Bit(shot)}) == 0);
        }

        m_opened.clear();
        QTest::mouseClick(preview, Qt::LeftButton, Qt::NoModifier, preview->rect().center());
        QCOMPARE(m_opened, QList<QUrl>{QUrl(green)});

        // Several rows are no single address: nothing is loaded, a click opens nothing.
        std::unique_ptr<QMimeData> two = dragRows({m_links.at(0), m_links.at(2)});
        QVERIFY(deliverDrop(preview, two.get()));
        QVERIFY(!preview->isLoading());
        m_opened.clear();
        QTest::mouseClick(preview, Qt::LeftButton, Qt::NoModifier, preview->rect().center());
        QVERIFY(m_opened.isEmpty());
    }

    void bannerDroppedAloneIsDenied()
    {
        const QString banner = m_links.at(0);
        Preferences::standard().setString(QStringLiteral("bannerurl"), banner);
        std::unique_ptr<QMimeData> mime = dragRows({banner});
        QSignalSpy loaded(m_window->historyTable.data(), &HistoryTable::historyLoaded);
        QVERIFY(deliverDrop(m_window->trashTarget, mime.get()));
        QTRY_VERIFY_WITH_TIMEOUT(!m_recorder->received.isEmpty(), kWaitMs);
        QCOMPARE(m_recorder->received.size(), 1);
        QCOMPARE(m_recorder->received.first().summary, QStringLiteral("Banner images can't be cancelled"));
        QCOMPARE(m_recorder->received.first().body, QStringLiteral("Deletion Denied"));
        QVERIFY(!m_window->trashTarget->isDeleting());
        QCOMPARE(m_window->trashTarget->currentImageToDelete, banner);
        QCOMPARE(vtest::historyAddresses().size(), 5);
        QCOMPARE(loaded.size(), 0);
    }

    // The service keeps the banner's image even when this client does not know it as
    // the banner; the refusal is reported as the window's own denial. Known, the row
    // says it is the banner.
    void serviceKeepsTheBannerAndTheRowSaysSo()
    {
        const QString banner = m_links.at(0);
        QVERIFY(setServerBanner(banner));
        Preferences::standard().setString(QStringLiteral("bannerurl"), QString());
        QSignalSpy finished(m_window->trashTarget.data(), &TrashDropTarget::deletionsFinished);
        std::unique_ptr<QMimeData> mime = dragRows({banner});
        QVERIFY(deliverDrop(m_window->trashTarget, mime.get()));
        QVERIFY(finished.wait(kWaitMs));
        QTRY_COMPARE_WITH_TIMEOUT(m_recorder->received.size(), 1, kWaitMs);
        QCOMPARE(m_recorder->received.first().body, QStringLiteral("Deletion Denied"));
        QCOMPARE(vtest::historyAddresses().size(), 5);

        Preferences::standard().setString(QStringLiteral("bannerurl"), banner);
        QAbstractItemModel *model = m_window->tableView->model();
        const int bannerRow = int(shownAddresses().indexOf(banner));
        for (int row : {bannerRow, bannerRow == 0 ? 1 : 0}) {
            const bool marked = row == bannerRow;
            QCOMPARE(model->data(model->index(row, 1)).toString().endsWith(QStringLiteral(" (banner)")), marked);
            QCOMPARE(model->data(model->index(row, 0), Qt::FontRole).value<QFont>().bold(), marked);
        }
        QCOMPARE(model->data(model->index(bannerRow, 0)).toString(), banner);
        QVERIFY(setServerBanner(QString()));
    }

    void twoRowsOnTheTrashAreDeletedAndReloadedOnce()
    {
        const QStringList doomed = {m_links.at(4), m_links.at(3)};
        int reloads = 0;
        QVERIFY(trashRows(doomed, &reloads));
        QCOMPARE(reloads, 1);
        const QStringList expected = {m_links.at(2), m_links.at(1), m_links.at(0)};
        QCOMPARE(vtest::historyAddresses(), expected);
        QCOMPARE(shownAddresses(), expected);
        QCOMPARE(m_window->trashTarget->currentImageToDelete, QString());
        QVERIFY(m_recorder->received.isEmpty());
    }

    void bannerAmongOthersIsSkippedSilently()
    {
        // The banner (oldest) goes with one other row: only the other is deleted.
        int reloads = 0;
        QVERIFY(trashRows({m_links.at(1), m_links.at(0)}, &reloads));
        QCOMPARE(reloads, 1);
        const QStringList expected = {m_links.at(2), m_links.at(0)};
        QCOMPARE(vtest::historyAddresses(), expected);
        QCOMPARE(shownAddresses(), expected);
        QVERIFY(m_recorder->received.isEmpty());
    }

    void offlineDropsSendNothing()
    {
        m_desktop.reachability->connected = false;
        std::unique_ptr<QMimeData> mime = dragRows({m_links.at(2)});
        QVERIFY(deliverDrop(m_window->trashTarget, mime.get()));
        QTRY_VERIFY_WITH_TIMEOUT(!m_recorder->received.isEmpty(), kWaitMs);
        QCOMPARE(m_recorder->received.size(), 1);
        QCOMPARE(m_recorder->received.first().summary, QStringLiteral("No network connection"));
        QCOMPARE(m_recorder->received.first().body, QStringLiteral("Please check your Internet connection."));
        QVERIFY(!m_window->trashTarget->isDeleting());
        m_desktop.reachability->connected = true;
        QCOMPARE(vtest::historyAddresses().size(), 2);
    }

    void realPointerDragOntoThePreview()
    {
        // The real thing on the X server: xdotool presses on a row, drags it across to
        // the preview and lets go; Qt runs the drag as it would for a person.
        QVERIFY2(vtest::haveProgram(QStringLiteral("xdotool")), "xdotool (scripts/install-deps.sh) is missing");
        const int row = int(shownAddresses().indexOf(m_links.at(2)));
        QVERIFY(row >= 0);
        m_window->tableView->clearSelection();
        HistoryPreview *preview = m_window->preview;
        QSignalSpy shown(preview, &HistoryPreview::imageLoaded);
        QVERIFY(pointerDragRow(row, preview));
        QTRY_VERIFY_WITH_TIMEOUT(!shown.isEmpty(), kWaitMs);
        QVERIFY(m_window->tableView->selectionModel()->isRowSelected(row, QModelIndex()));
        QCOMPARE(preview->imageURL, m_links.at(2));
        QCOMPARE(preview->image().pixelColor(48, preview->image().height() - 2), QColor(Qt::blue));
    }

    void clickPreviewsAndDoubleClickOpens()
    {
        if (!vtest::haveProgram(QStringLiteral("xdotool")))
            QSKIP("xdotool is not installed");
        const int row = int(shownAddresses().indexOf(m_links.at(2)));
        QVERIFY(row >= 0);
        HistoryPreview *preview = m_window->preview;
        preview->clearImage();
        QSignalSpy shown(preview, &HistoryPreview::imageLoaded);
        QVERIFY(clickRow(row, 1));
        QVERIFY(shown.wait(kWaitMs));
        QCOMPARE(shown.first().first().toString(), m_links.at(2));
        QCOMPARE(preview->image().pixelColor(48, preview->image().height() - 2), QColor(Qt::blue));
        if (const QByteArray shot = qgetenv("VORNIK_HISTORY_SHOT"); !shot.isEmpty()) {
            m_window->repaint();
            QVERIFY(vtest::run({QStringLiteral("import"), QStringLiteral("-window"), QStringLiteral("root"),
                                QString::fromLocal8Bit(shot)}) == 0);
        }

        m_opened.clear();
        QVERIFY(clickRow(row, 1, 2));
        QTRY_COMPARE_WITH_TIMEOUT(m_opened, QList<QUrl>{QUrl(m_links.at(2))}, kWaitMs);
    }

    void rowMenuOpensCopiesAndDeletesOnlyWhenConfirmed()
    {
        if (!vtest::haveProgram(QStringLiteral("xdotool")))
            QSKIP("xdotool is not installed");
        const int row = int(shownAddresses().indexOf(m_links.at(2)));
        const int bannerRow = int(shownAddresses().indexOf(m_links.at(0)));
        QVERIFY(row >= 0 && bannerRow >= 0);
        QCOMPARE(Preferences::standard().stringForKey(QStringLiteral("bannerurl")), m_links.at(0));

        m_opened.clear();
        QVERIFY(chooseFromRowMenu(row, HistoryWindow::openTitle()));
        QCOMPARE(m_opened, QList<QUrl>{QUrl(m_links.at(2))});
        QVERIFY(chooseFromRowMenu(row, HistoryWindow::copyLinkTitle()));
        QTRY_COMPARE_WITH_TIMEOUT(QGuiApplication::clipboard()->text(), m_links.at(2), kWaitMs);

        // Delete asks first; cancelled, nothing goes.
        QSignalSpy asked(m_window->trashTarget.data(), &TrashDropTarget::confirmationShown);
        QSignalSpy finished(m_window->trashTarget.data(), &TrashDropTarget::deletionsFinished);
        QVERIFY(chooseFromRowMenu(row, HistoryWindow::deleteTitle()));
        QString question;
        QVERIFY(answerDeletion(asked, QMessageBox::Cancel, &question));
        QCOMPARE(question, QStringLiteral("Delete this upload from the sharing service?"));
        QCOMPARE(vtest::historyAddresses().size(), 2);
        QVERIFY(finished.isEmpty());

        // The banner is refused without a question, and stays.
        QVERIFY(chooseFromRowMenu(bannerRow, HistoryWindow::deleteTitle()));
        QTRY_COMPARE_WITH_TIMEOUT(m_recorder->received.size(), 1, kWaitMs);
        QCOMPARE(m_recorder->received.first().summary, QStringLiteral("Banner images can't be cancelled"));
        QVERIFY(asked.isEmpty());
        // Both rows selected: the question counts only what would go.
        m_window->tableView->selectAll();
        m_window->trashTarget->confirmDeletion();
        QVERIFY(answerDeletion(asked, QMessageBox::Cancel, &question));
        QCOMPARE(question, QStringLiteral("Delete this upload from the sharing service? The banner image is kept."));
        QCOMPARE(vtest::historyAddresses().size(), 2);
    }

    void failedHistoryEmptiesTheList()
    {
        HistoryPreview *preview = m_window->preview;
        std::unique_ptr<QMimeData> mime = dragRows({m_links.at(0)});
        QSignalSpy shown(preview, &HistoryPreview::imageLoaded);
        QVERIFY(deliverDrop(preview, mime.get()));
        QVERIFY(shown.wait(kWaitMs));

        // Under this address the server answers every request with "not found".
        const QByteArray service = qgetenv("VORNIK_SERVICE_URL");
        qputenv("VORNIK_SERVICE_URL", m_server.baseUrl().toUtf8() + "nowhere/");
        const int rowsBefore = m_window->tableView->model()->rowCount();
        QVERIFY(rowsBefore > 0);
        QSignalSpy loaded(m_window->historyTable.data(), &HistoryTable::historyLoaded);
        m_window->historyTable->reloadHistory();
        // The preview is cleared at once; the rows stay until the answer comes.
        QVERIFY(preview->image().isNull());
        QCOMPARE(m_window->tableView->model()->rowCount(), rowsBefore);
        const bool answered = loaded.wait(kWaitMs);
        qputenv("VORNIK_SERVICE_URL", service);
        QVERIFY(answered);
        QCOMPARE(loaded.first().first().toInt(), 0);
        QCOMPARE(m_window->tableView->model()->rowCount(), 0);
        QVERIFY(m_recorder->received.isEmpty());
    }

    void realPointerDragOfTwoRowsOntoTheTrash()
    {
        QVERIFY2(vtest::haveProgram(QStringLiteral("xdotool")), "xdotool (scripts/install-deps.sh) is missing");
        const QStringList more = vtest::uploadImages(2, {Qt::cyan, Qt::darkRed});
        QCOMPARE(more.size(), 2);
        QVERIFY(!more.contains(QString()));
        m_links += more;
        // A window opened after the uploads, so it lists them.
        delete m_window.data();
        m_window = openWindow();
        QVERIFY(m_window);
        QCOMPARE(shownAddresses(), (QStringList{more.at(1), more.at(0), m_links.at(2), m_links.at(0)}));

        // Both rows selected; the press on one of them keeps the selection and drags both.
        std::unique_ptr<QMimeData> selected = dragRows(more);
        QVERIFY(selected);
        QSignalSpy finished(m_window->trashTarget.data(), &TrashDropTarget::deletionsFinished);
        QSignalSpy loaded(m_window->historyTable.data(), &HistoryTable::historyLoaded);
        QVERIFY(pointerDragRow(1, m_window->trashTarget));
        QVERIFY(finished.wait(kWaitMs));
        QCOMPARE(finished.first().first().toInt(), 2);
        QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), kWaitMs);
        // A round trip of our own, queued behind any stray reload, before counting.
        const QStringList expected = {m_links.at(2), m_links.at(0)};
        QCOMPARE(vtest::historyAddresses(), expected);
        QCOMPARE(loaded.size(), 1);
        QCOMPARE(shownAddresses(), expected);
        QVERIFY(m_recorder->received.isEmpty());
    }

    void deleteKeyDeletesTheSelection()
    {
        QTableView *table = m_window->tableView;
        table->selectRow(int(shownAddresses().indexOf(m_links.at(2))));
        table->setFocus();
        QSignalSpy finished(m_window->trashTarget.data(), &TrashDropTarget::deletionsFinished);
        QSignalSpy asked(m_window->trashTarget.data(), &TrashDropTarget::confirmationShown);
        QTest::keyClick(table, Qt::Key_Delete);
        QVERIFY(answerDeletion(asked, QMessageBox::Yes));
        QVERIFY(finished.wait(kWaitMs));
        QTRY_COMPARE_WITH_TIMEOUT(shownAddresses(), QStringList{m_links.at(0)}, kWaitMs);
        QCOMPARE(vtest::historyAddresses(), QStringList{m_links.at(0)});

        // No banner any more: the last upload goes too. The service's empty history
        // still reaches the table, which must not go on listing the deleted row.
        Preferences::standard().setString(QStringLiteral("bannerurl"), QString());
        QSignalSpy loaded(m_window->historyTable.data(), &HistoryTable::historyLoaded);
        table->selectRow(0);
        QTest::keyClick(table, Qt::Key_Delete);
        QVERIFY(answerDeletion(asked, QMessageBox::Yes));
        QVERIFY(loaded.wait(kWaitMs));
        QCOMPARE(loaded.first().first().toInt(), 0);
        QCOMPARE(table->verticalHeader()->count(), 0);
        QVERIFY(vtest::historyAddresses().isEmpty());
    }
};

VORNIK_TEST_MAIN(HistoryWindowTest, (vtest::EnvironmentOptions{.x11 = true, .framebuffer = QSize(1280, 800), .monitors = {}}))
#include "history_window_test.moc"
