// Figures for the history window with a long history: turning a reply into rows,
// showing them in the table, making the drag text for every row, and preparing the
// deletions of a drop of every row (split, banner test, image names).
//
//   history_window_bench [rows]    (default 10000; runs on the offscreen platform)
//
// Prints one line per figure (median of 9 runs); no pass/fail.
#include "history/HistoryRows.h"
#include "history/HistoryTable.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QItemSelectionModel>
#include <QMimeData>
#include <QEventLoop>
#include <QTimer>
#include <QTableView>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

const QString kBase = QStringLiteral("https://127.0.0.1:8443/");

double medianMs(const std::function<void()> &work)
{
    std::vector<double> times;
    for (int run = 0; run < 9; ++run) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

QString replyWith(int rows)
{
    QString reply = QStringLiteral("{");
    const qint64 start = 1700000000000;
    for (int i = 0; i < rows; ++i) {
        if (i)
            reply += QLatin1Char(',');
        reply += QStringLiteral("\"%1\":\"Img%2abcdefghijklmnop\"").arg(start - i * 60000).arg(i);
    }
    return reply + QLatin1Char('}');
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Nothing listens there: the window's own first load fails at once and leaves it empty.
    qputenv("VORNIK_SERVICE_URL", "https://127.0.0.1:1/");
    QApplication app(argc, argv);
    const int rows = argc > 1 ? std::max(1, atoi(argv[1])) : 10000;
    const QString reply = replyWith(rows);

    QList<QStringList> parsed;
    const double parseMs = medianMs([&] { parsed = historyRowsFromReply(reply, kBase); });
    std::printf("reply of %d entries to rows: %.2f ms\n", rows, parseMs);

    HistoryTable view;
    {
        QEventLoop loop;
        QObject::connect(&view, &HistoryTable::historyLoaded, &loop, &QEventLoop::quit);
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        loop.exec();
    }
    QTableView *table = view.tableView;
    table->resize(900, 600);
    view.show();
    QCoreApplication::processEvents();
    const double showMs = medianMs([&] {
        view.tableViewData = parsed;
        view.model()->reload();
        table->viewport()->repaint();
    });
    std::printf("table filled and painted with %d rows: %.2f ms\n", rows, showMs);

    table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table->selectAll();
    const QModelIndexList selected = table->selectionModel()->selectedIndexes();
    QString dragText;
    const double dragMs = medianMs([&] {
        std::unique_ptr<QMimeData> mime(view.model()->mimeData(selected));
        dragText = mime ? mime->text() : QString();
    });
    std::printf("drag text for all %d rows (%lld bytes): %.2f ms\n", rows, static_cast<long long>(dragText.size()),
                dragMs);

    const QString banner = kBase + QStringLiteral("Img5abcdefghijklmnop.png");
    int names = 0;
    const double prepareMs = medianMs([&] {
        names = 0;
        for (const QString &address : droppedAddresses(dragText)) {
            if (!isCurrentBannerImage(address, banner) && !imageNameForAddress(address, kBase).isEmpty())
                ++names;
        }
    });
    std::printf("deletions prepared from a drop of %d rows (%d to send): %.2f ms\n", rows, names, prepareMs);
    return 0;
}
