#include "history/HistoryWindow.h"

#include "history/TrashDropTarget.h"
#include "history/HistoryPreview.h"
#include "history/HistoryTable.h"

#include "helpers/Links.h"

#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QMenu>
#include <QUrl>
#include <QHBoxLayout>
#include <QScreen>
#include <QTableView>
#include <QVBoxLayout>

HistoryWindow::HistoryWindow(DesktopServices desktop, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_desktop(std::move(desktop))
{
    setObjectName(QStringLiteral("historyWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(windowTitleText());
    buildLayout();
    setUpWindow();
}

void HistoryWindow::buildLayout()
{
    historyTable = new HistoryTable(this);
    tableView = historyTable->tableView;
    preview = new HistoryPreview(m_desktop, this);
    trashTarget = new TrashDropTarget(m_desktop, this);

    auto *side = new QVBoxLayout;
    side->addWidget(preview, 1);
    side->addWidget(trashTarget, 0, Qt::AlignHCenter);

    auto *layout = new QHBoxLayout(this);
    layout->addWidget(historyTable, 3);
    layout->addLayout(side, 2);
    resize(960, 540);
}

void HistoryWindow::setUpWindow()
{
    if (QScreen *display = screen() ? screen() : QGuiApplication::primaryScreen()) {
        QRect centred(QPoint(), size());
        centred.moveCenter(display->availableGeometry().center());
        move(centred.topLeft());
    }
    tableView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    setWindowFlag(Qt::WindowStaysOnTopHint, true);

    historyTable->preview = preview;
    historyTable->tableView = tableView;
    trashTarget->tableView = tableView;
    trashTarget->historyTable = historyTable;
    connectRowActions();
}

void HistoryWindow::connectRowActions()
{
    connect(tableView->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &HistoryWindow::previewCurrentRow);
    connect(tableView, &QTableView::doubleClicked, this, [this](const QModelIndex &index) {
        const QString link = linkOfRow(index.row());
        if (!link.isEmpty())
            m_desktop.opener->openUrl(QUrl(link));
    });
    tableView->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(tableView, &QWidget::customContextMenuRequested, this, &HistoryWindow::showRowMenu);
}

QString HistoryWindow::linkOfRow(int row) const
{
    const std::optional<QString> address = historyTable ? historyTable->pasteboardWriterForRow(row) : std::nullopt;
    return address && isValidURL(*address) ? *address : QString();
}

void HistoryWindow::previewCurrentRow(const QModelIndex &current)
{
    // Rows without an image ("no image code for ...") leave the preview as it is.
    const QString link = current.isValid() ? linkOfRow(current.row()) : QString();
    if (link.isEmpty() || !preview)
        return;
    // The image already shown (or on its way) is not fetched again.
    if (link == preview->imageURL && (!preview->image().isNull() || preview->isLoading()))
        return;
    preview->showDroppedText(link);
}

void HistoryWindow::showRowMenu(const QPoint &at)
{
    const QModelIndex index = tableView->indexAt(at);
    if (!index.isValid())
        return;
    // A right click on a row outside the selection acts on that row alone.
    if (!tableView->selectionModel()->isRowSelected(index.row(), QModelIndex()))
        tableView->selectRow(index.row());
    const QString link = linkOfRow(index.row());
    // One menu at a time, kept until the next: it may close (and be asked about) before
    // the click that opened it has been fully handled.
    delete m_rowMenu.data();
    auto *menu = new QMenu(this);
    m_rowMenu = menu;
    menu->setObjectName(QStringLiteral("historyRowMenu"));
    QAction *open = menu->addAction(openTitle(), this, [this, link] { m_desktop.opener->openUrl(QUrl(link)); });
    QAction *copy = menu->addAction(copyLinkTitle(), this, [this, link] { m_desktop.clipboard->putLink(link); });
    open->setEnabled(!link.isEmpty());
    copy->setEnabled(!link.isEmpty());
    menu->addSeparator();
    menu->addAction(deleteTitle(), this, [this] {
        if (trashTarget)
            trashTarget->confirmDeletion();
    });
    menu->popup(tableView->viewport()->mapToGlobal(at));
    emit rowMenuShown(menu);
}

void HistoryWindow::showWindow()
{
    show();
    raise();
    activateWindow();
}
