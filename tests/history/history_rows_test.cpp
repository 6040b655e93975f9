#include "platform/Preferences.h"
#include "history/HistoryRows.h"
#include "history/HistoryTable.h"
#include "tests/harness/TestMain.h"

#include <QFile>
#include <QMimeData>
#include <QSet>
#include <QSignalSpy>
#include <QTableView>

namespace {
const QString kBase = QStringLiteral("https://share.example:8443/");
} // namespace

// The history window's plain pieces: rows from a reply, the banner test, image names,
// dropped texts, and what the table offers when rows are dragged out.
class HistoryRowsTest : public QObject
{
    Q_OBJECT
private slots:
    void rowsFollowTheReply()
    {
        const QString reply = QStringLiteral(
            "{\"1700014400000\":\"eee\",\"1700010800000\":\"ddd\",\"bad\":\"skipped\","
            "\"1700007200000\":\"\",\"1700003600000\":\"bbb\",\"1700000000000\":\"aaa\"}");
        const QList<QStringList> rows = historyRowsFromReply(reply, kBase);
        QCOMPARE(rows.size(), 5);
        QCOMPARE(rows.at(0).at(0), kBase + QStringLiteral("eee.png"));
        QCOMPARE(rows.at(1).at(0), kBase + QStringLiteral("ddd.png"));
        // No image name: the raw value, both quotes included.
        QCOMPARE(rows.at(2).at(0), QStringLiteral("no image code for\"\""));
        QCOMPARE(rows.at(4).at(0), kBase + QStringLiteral("aaa.png"));
        for (const QStringList &row : rows) {
            QCOMPARE(row.size(), 2);
            QVERIFY2(row.at(1).contains(QStringLiteral("2023")), qPrintable(row.at(1)));
        }
        // An hour apart, so every row shows its own time.
        QCOMPARE(QSet<QString>({rows.at(0).at(1), rows.at(1).at(1), rows.at(2).at(1), rows.at(3).at(1), rows.at(4).at(1)}).size(), 5);

        QVERIFY(historyRowsFromReply(QStringLiteral("{}"), kBase).isEmpty());
        QVERIFY(historyRowsFromReply(QStringLiteral("server returned error code"), kBase).isEmpty());
    }

    void bannerImagesAreRecognised()
    {
        const QString banner = kBase + QStringLiteral("B4nner.png");
        QVERIFY(isCurrentBannerImage(banner, banner));
        // Compared without the scheme, and without quotes.
        QVERIFY(isCurrentBannerImage(QStringLiteral("http://share.example:8443/B4nner.png"), banner));
        QVERIFY(isCurrentBannerImage(QStringLiteral("\"https://share.example:8443/B4nner.png\""), banner));
        QVERIFY(!isCurrentBannerImage(kBase + QStringLiteral("Other.png"), banner));
        QVERIFY(!isCurrentBannerImage(kBase + QStringLiteral("nner.png"), banner));
        // No banner set: nothing is protected.
        QVERIFY(!isCurrentBannerImage(banner, QString()));
        // A text with nothing after its colon is no banner, whatever the banner is.
        QVERIFY(!isCurrentBannerImage(QStringLiteral("x:"), banner));
        QVERIFY(!isCurrentBannerImage(QStringLiteral(":\"\""), banner));

        // A temporary banner file counts while it exists.
        const QString file = QDir::tempPath() + QStringLiteral("/17000_bannerimage.png");
        QVERIFY(!isCurrentBannerImage(file, QString()));
        QFile touch(file);
        QVERIFY(touch.open(QIODevice::WriteOnly));
        touch.close();
        QVERIFY(isCurrentBannerImage(file, QString()));
        const QString plain = QDir::tempPath() + QStringLiteral("/17000_viewimage.png");
        QFile other(plain);
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.close();
        QVERIFY(!isCurrentBannerImage(plain, QString()));
    }

    void namesAndDroppedTexts()
    {
        QCOMPARE(imageNameForAddress(kBase + QStringLiteral("Ab12.png"), kBase), QStringLiteral("Ab12"));
        QCOMPARE(imageNameForAddress(QStringLiteral("https://elsewhere/Ab12.png"), kBase),
                 QStringLiteral("https://elsewhere/Ab12"));
        QCOMPARE(droppedAddresses(QStringLiteral("a\n\nb\r\nc\n")),
                 (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
        QVERIFY(droppedAddresses(QStringLiteral("\n\n")).isEmpty());
    }

    void tableOffersAddressesOfDraggedRows()
    {
        // Nothing listens on port 1: the history request fails and the list is empty.
        qputenv("VORNIK_SERVICE_URL", "https://127.0.0.1:1/");
        HistoryTable view;
        QSignalSpy loaded(&view, &HistoryTable::historyLoaded);
        QVERIFY(loaded.wait(20000));
        QCOMPARE(loaded.first().first().toInt(), 0);
        QCOMPARE(view.tableView->model()->rowCount(), 0);

        view.tableViewData = {{kBase + QStringLiteral("a.png"), QStringLiteral("t1")},
                              {QString(), QStringLiteral("t2")},
                              {kBase + QStringLiteral("c.png"), QStringLiteral("t3")}};
        view.model()->reload();
        QAbstractItemModel *model = view.tableView->model();
        QCOMPARE(model->rowCount(), 3);
        QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("URL"));
        QCOMPARE(model->data(model->index(2, 0)).toString(), kBase + QStringLiteral("c.png"));
        QCOMPARE(model->data(model->index(2, 1)).toString(), QStringLiteral("t3"));
        QVERIFY(!view.objectValueForTableColumn(QStringLiteral("URL"), 3).isValid());
        QVERIFY(!view.objectValueForTableColumn(QStringLiteral("URL"), -1).isValid());
        QCOMPARE(view.validateDrop(0), Qt::MoveAction);
        QCOMPARE(view.validateDrop(1), Qt::IgnoreAction);
        QCOMPARE(view.validateDrop(7), Qt::IgnoreAction);

        // What a drag of the selection carries, exactly as the table asks for it: each
        // row once (its cells arrive per column), in row order, one address a line; the
        // row without an address is neither draggable nor carried.
        QVERIFY(model->flags(model->index(0, 0)) & Qt::ItemIsDragEnabled);
        QVERIFY(!(model->flags(model->index(1, 0)) & Qt::ItemIsDragEnabled));
        view.tableView->setSelectionMode(QAbstractItemView::ExtendedSelection);
        view.tableView->selectRow(2);
        view.tableView->selectionModel()->select(model->index(0, 0),
                                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
        std::unique_ptr<QMimeData> mime(model->mimeData(view.tableView->selectionModel()->selectedIndexes()));
        QVERIFY(mime);
        QCOMPARE(mime->text(), kBase + QStringLiteral("a.png\n") + kBase + QStringLiteral("c.png"));
        std::unique_ptr<QMimeData> none(model->mimeData({model->index(1, 0), model->index(1, 1)}));
        QVERIFY(!none);
    }
};

VORNIK_TEST_MAIN(HistoryRowsTest, vtest::EnvironmentOptions{})
#include "history_rows_test.moc"
