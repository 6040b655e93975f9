#pragma once

#include "helpers/DesktopServices.h"
#include <QMenu>
#include <QPointer>
#include <QWidget>

class QModelIndex;
class QTableView;
class TrashDropTarget;
class HistoryPreview;
class HistoryTable;

// The window that lists every upload: the list (which loads the full history as soon
// as it is made), the preview pane and the trash. Each opening makes a new one; it
// deletes itself when closed.
class HistoryWindow : public QWidget
{
    Q_OBJECT
public:
    explicit HistoryWindow(DesktopServices desktop, QWidget *parent = nullptr);

    QPointer<HistoryTable> historyTable;
    QPointer<TrashDropTarget> trashTarget;
    QPointer<HistoryPreview> preview;
    QPointer<QTableView> tableView;

    // Centres the window, allows several rows to be selected, keeps it above other
    // windows and wires the list, preview and trash to each other.
    void setUpWindow();
    // Shows the window in front and gives it the focus.
    void showWindow();

    static QString windowTitleText() { return tr("Vornik upload history"); }
    // The entries of a row's context menu.
    //: An entry of an upload's menu: opens its link.
    static QString openTitle() { return tr("Open"); }
    static QString copyLinkTitle() { return tr("Copy link"); }
    //: An entry of an upload's menu: deletes it from the sharing service.
    static QString deleteTitle() { return tr("Delete"); }

signals:
    // A row's context menu is showing (tests reach its entries through it).
    void rowMenuShown(QMenu *menu);

private:
    void buildLayout();
    // A click shows the row's image, a double click opens it, a right click offers
    // Open, Copy link and Delete.
    void connectRowActions();
    void previewCurrentRow(const QModelIndex &current);
    void showRowMenu(const QPoint &at);
    // The address of `row`, when it has one that is a web link.
    QString linkOfRow(int row) const;

    QPointer<QMenu> m_rowMenu;
    DesktopServices m_desktop;
};
