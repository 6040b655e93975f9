#include "history/HistoryTable.h"

#include "history/HistoryRows.h"
#include "history/HistoryPreview.h"
#include "service/ShareClient.h"

#include "platform/Preferences.h"
#include "platform/SettingsKeys.h"

#include <QFont>
#include <QHeaderView>
#include <QMimeData>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

HistoryTableModel::HistoryTableModel(HistoryTable *source)
    : QAbstractTableModel(source)
    , m_source(source)
{
}

int HistoryTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_source->numberOfRowsInTableView();
}

int HistoryTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant HistoryTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const bool banner = m_source->isBannerRow(index.row());
    switch (role) {
    case Qt::DisplayRole: {
        const QVariant value =
            m_source->objectValueForTableColumn(headerData(index.column(), Qt::Horizontal).toString(), index.row());
        // The time column says which row is the banner; the address stays as it is.
        if (banner && index.column() == 1)
            return tr("%1 (banner)").arg(value.toString());
        return value;
    }
    case Qt::ToolTipRole:
        if (banner)
            return tr("Your banner image: every image you share shows it, so it cannot be deleted");
        return m_source->objectValueForTableColumn(headerData(index.column(), Qt::Horizontal).toString(), index.row());
    case Qt::FontRole:
        if (banner) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    default:
        return {};
    }
}

QVariant HistoryTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    return section == 0 ? HistoryTable::addressColumnTitle() : HistoryTable::timeColumnTitle();
}

Qt::ItemFlags HistoryTableModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && m_source->pasteboardWriterForRow(index.row()))
        flags |= Qt::ItemIsDragEnabled;
    return flags;
}

QStringList HistoryTableModel::mimeTypes() const
{
    return {QStringLiteral("text/plain")};
}

QMimeData *HistoryTableModel::mimeData(const QModelIndexList &indexes) const
{
    // A selected row arrives once per column; each row gives one line.
    QList<int> rows;
    for (const QModelIndex &index : indexes)
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());

    QStringList lines;
    for (int row : rows) {
        if (const std::optional<QString> address = m_source->pasteboardWriterForRow(row))
            lines.append(*address);
    }
    if (lines.isEmpty())
        return nullptr;
    auto *mime = new QMimeData;
    mime->setText(lines.join(QLatin1Char('\n')));
    return mime;
}

Qt::DropActions HistoryTableModel::supportedDragActions() const
{
    return Qt::CopyAction | Qt::MoveAction;
}

void HistoryTableModel::reload()
{
    beginResetModel();
    endResetModel();
}

HistoryTable::HistoryTable(QWidget *parent)
    : QWidget(parent)
    , m_model(new HistoryTableModel(this))
{
    setObjectName(QStringLiteral("vorviewer"));
    auto *table = new QTableView(this);
    table->setObjectName(QStringLiteral("imagetable"));
    table->setModel(m_model);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setDragEnabled(true);
    table->setDragDropMode(QAbstractItemView::DragOnly);
    table->setDefaultDropAction(Qt::CopyAction);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    table->setAccessibleName(tr("Uploads"));
    tableView = table;

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(table);

    loadHistory();
}

int HistoryTable::numberOfRowsInTableView() const
{
    return int(tableViewData.size());
}

QVariant HistoryTable::objectValueForTableColumn(const QString &columnTitle, int row) const
{
    if (row < 0 || row >= tableViewData.size() || tableViewData.at(row).size() < 2)
        return {};
    return columnTitle == addressColumnTitle() ? tableViewData.at(row).at(0) : tableViewData.at(row).at(1);
}

std::optional<QString> HistoryTable::pasteboardWriterForRow(int row) const
{
    const QVariant address = objectValueForTableColumn(addressColumnTitle(), row);
    if (!address.isValid() || address.toString().isEmpty())
        return std::nullopt;
    return address.toString();
}

Qt::DropAction HistoryTable::validateDrop(int proposedRow) const
{
    return pasteboardWriterForRow(proposedRow) ? Qt::MoveAction : Qt::IgnoreAction;
}

void HistoryTable::reloadHistory()
{
    if (preview)
        preview->clearImage();
    loadHistory();
}

void HistoryTable::loadHistory()
{
    const quint64 generation = ++m_generation;
    QPointer<HistoryTable> guard(this);
    ShareClient::getUserID();
    ShareClient::fetchAllHistory([guard, generation](const ShareReply &reply) {
        // A failed request lists nothing.
        if (guard)
            guard->applyReply(reply.succeeded() ? reply.body : QString(), generation);
    });
}

void HistoryTable::applyReply(const QString &replyText, quint64 generation)
{
    if (generation != m_generation)
        return;
    // The rows are replaced as a whole and the table told at once, so it never shows
    // rows that are gone, nor keeps deleted ones when the new history is empty.
    tableViewData = historyRowsFromReply(replyText, ShareClient::serviceBaseURL());
    m_model->reload();
    emit historyLoaded(numberOfRowsInTableView());
}

bool HistoryTable::isBannerRow(int row) const
{
    const std::optional<QString> address = pasteboardWriterForRow(row);
    return address && isCurrentBannerImage(*address, Preferences::standard().stringForKey(SettingsKeys::bannerUrl));
}
