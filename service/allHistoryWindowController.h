#pragma once

#include <QPointer>
#include <QWidget>

class QTableView;
class vorImageDeleter;
class vorImagePreview;
class vorImageView;

// The window that lists every upload: the list (which loads the full history as soon
// as it is made), the preview pane and the trash. Each opening makes a new one; it
// deletes itself when closed.
class allHistoryWindowController : public QWidget
{
    Q_OBJECT
public:
    explicit allHistoryWindowController(QWidget *parent = nullptr);

    QPointer<vorImageView> vorviewer;
    QPointer<vorImageDeleter> imgTrashDeleter;
    QPointer<vorImagePreview> imagePreview;
    QPointer<QTableView> imagetable;

    // Centres the window, allows several rows to be selected, keeps it above other
    // windows and wires the list, preview and trash to each other.
    void windowDidLoad();
    // Shows the window in front and gives it the focus.
    void showWindow();

    static QString windowTitleText() { return QStringLiteral("Vornik upload history"); }

private:
    void buildLayout();
};
