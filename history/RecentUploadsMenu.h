#pragma once

#include "helpers/DesktopServices.h"
#include <QMenu>

class QAction;

// The status menu's "History" submenu: "View all history" and the ten most recent
// uploads, each opening its link. It rebuilds itself every time it opens; the
// upload items come from the sharing service and are appended as the reply arrives,
// even when the menu has closed again by then (they are cleared at the next opening).
class RecentUploadsMenu : public QMenu
{
    Q_OBJECT
public:
    explicit RecentUploadsMenu(DesktopServices desktop, QWidget *parent = nullptr);

    // The text of the first item.
    static QString allHistoryTitle() { return tr("View all history"); }

public slots:
    // Rebuilds the menu; runs whenever it is about to show.
    void menuWillOpen();
    // Opens the link held in the sender's tool tip (a menu item or a widget).
    void openImage(QObject *sender);
    // The application delegate opens the history window; the menu itself does not.
    void openAllHistory(QObject *sender = nullptr);

signals:
    // "View all history" was chosen. The delegate that owns the menu answers it.
    void allHistoryRequested(QObject *sender);
    // The upload items of one reply have been appended (tests and the tray wait for it).
    void historyArrived(int itemCount);

private:
    void requestRecentUploads();
    void appendUploads(const QString &replyText, quint64 opening);
    QAction *addUploadItem(const QString &title, const QString &address);
    // Keeps the open menu inside its screen after it has grown.
    void keepOnScreen();

    // Counts the openings that asked the service. Only the reply to the latest one is
    // shown: a reply to an earlier opening that arrives after the menu was cleared again
    // would otherwise list every upload twice.
    quint64 m_opening = 0;
    DesktopServices m_desktop;
};
