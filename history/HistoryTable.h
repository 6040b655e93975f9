#pragma once

#include <QAbstractTableModel>
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <optional>

class QTableView;
class HistoryPreview;
class HistoryTable;

// The table's model: shows HistoryTable's rows and offers the selected rows'
// addresses as plain text when they are dragged.
class HistoryTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit HistoryTableModel(HistoryTable *source);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QStringList mimeTypes() const override;
    // One address per dragged row, in row order, joined by line feeds.
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    Qt::DropActions supportedDragActions() const override;

    // Tells the table that the rows changed.
    void reload();

private:
    HistoryTable *m_source;
};

// The list of every upload: its own table, filled from the service's full history
// when it is made and again after each deletion.
class HistoryTable : public QWidget
{
    Q_OBJECT
public:
    explicit HistoryTable(QWidget *parent = nullptr);

    // The column titles; the address column is found by its title.
    static QString addressColumnTitle() { return tr("URL"); }
    //: The title of the column of upload times.
    static QString timeColumnTitle() { return tr("Uploaded"); }

    // Each row: [image address, formatted upload time].
    QList<QStringList> tableViewData;
    QPointer<HistoryPreview> preview;
    QPointer<QTableView> tableView;

    int numberOfRowsInTableView() const;
    // The address for the column titled "URL", the time for any other column.
    QVariant objectValueForTableColumn(const QString &columnTitle, int row) const;
    // The text a dragged row carries: its address, or nothing for a row that has none.
    std::optional<QString> pasteboardWriterForRow(int row) const;
    // Whether the row is the user's current banner image (shown in bold, marked
    // "(banner)"), which the service keeps.
    bool isBannerRow(int row) const;
    // Rows dropped onto a row that has an address would be moved.
    Qt::DropAction validateDrop(int proposedRow) const;

    // Asks the service for the full history again; the table keeps its rows until the
    // reply replaces them. The preview is cleared.
    void reloadHistory();

    HistoryTableModel *model() const { return m_model; }

signals:
    // A history reply was applied (the table now shows `rowCount` rows).
    void historyLoaded(int rowCount);

private:
    void loadHistory();
    void applyReply(const QString &replyText, quint64 generation);

    HistoryTableModel *m_model;
    // Only the reply of the latest request is shown; older ones arriving late are dropped.
    quint64 m_generation = 0;
};
