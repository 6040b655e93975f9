#pragma once

#include "helpers/DesktopServices.h"
#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <optional>

class QTableView;
class HistoryTable;

// The history window's trash: rows dropped on it are deleted from the sharing
// service, one after another, and the list is reloaded once when the last has
// answered. The user's current banner image is never deleted from here.
class TrashDropTarget : public QWidget
{
    Q_OBJECT
public:
    explicit TrashDropTarget(DesktopServices desktop, QWidget *parent = nullptr);
    ~TrashDropTarget() override;

    // The dropped text from the drop until its deletions have started (one address)
    // or all answered (several); "" when idle.
    QString currentImageToDelete;
    QPointer<HistoryTable> historyTable;
    QPointer<QTableView> tableView;

    // What a drop hands over: nothing (no text on the drag), an empty text, or the
    // addresses of the dragged rows, one per line.
    void takeDroppedText(const std::optional<QString> &text);

    // Asks whether the selected rows are to be deleted, and deletes them when the user
    // agrees (the Delete key and the rows' context menu). The banner image alone is
    // refused without asking.
    void confirmDeletion();

    // Deletions sent or waiting to be sent.
    bool isDeleting() const { return m_deleting || !m_queue.isEmpty(); }

    QSize sizeHint() const override { return {96, 96}; }

signals:
    // The question before a deletion is showing.
    void confirmationShown(QMessageBox *question);
    // Every deletion of a drop has answered and the list is being reloaded.
    void deletionsFinished(int answered);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void runDeleteFlow();
    void deleteNext();
    void finishDeletions();
    QStringList selectedAddresses() const;
    void setArmed(bool armed);

    // Names still to delete, and how many addresses of the current batch have answered
    // (banner images count as answered: they are skipped).
    QStringList m_queue;
    bool m_deleting = false;
    int m_answered = 0;
    bool m_armed = false;
    DesktopServices m_desktop;
};
