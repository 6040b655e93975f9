#include "history/RecentUploadsMenu.h"

#include "helpers/Links.h"
#include "platform/Reachability.h"
#include "service/ServiceConfiguration.h"
#include "service/HistoryReply.h"
#include "service/ShareClient.h"

#include <QAction>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QPointer>
#include <QUrl>

RecentUploadsMenu::RecentUploadsMenu(DesktopServices desktop, QWidget *parent)
    : QMenu(parent)
    , m_desktop(std::move(desktop))
{
    setTitle(tr("History"));
    setObjectName(QStringLiteral("vorMenu"));
    // The address of each upload is its item's tool tip; show it on hover.
    setToolTipsVisible(true);
    connect(this, &QMenu::aboutToShow, this, &RecentUploadsMenu::menuWillOpen);
}

void RecentUploadsMenu::menuWillOpen()
{
    // Let what is pending (the menu's own showing) happen before the check, which may
    // block briefly while the kernel answers.
    QCoreApplication::processEvents();
    if (!isConnectedToNetwork(*m_desktop.reachability)) {
        // Offline the menu keeps the uploads of its last opening.
        m_desktop.notifier->post(tr("No network connection"), tr("Please check your Internet connection."));
        return;
    }
    clear();
    QAction *all = addAction(allHistoryTitle());
    connect(all, &QAction::triggered, this, [this, all] { emit allHistoryRequested(all); });
    requestRecentUploads();
}

void RecentUploadsMenu::requestRecentUploads()
{
    // The menu may be gone (application shutting down) by the time the reply comes.
    QPointer<RecentUploadsMenu> guard(this);
    const quint64 opening = ++m_opening;
    ShareClient::getUserID();
    ShareClient::fetchRecentHistory([guard, opening](const ShareReply &reply) {
        if (guard)
            guard->appendUploads(reply.succeeded() ? reply.body : QString(), opening);
    });
}

void RecentUploadsMenu::appendUploads(const QString &replyText, quint64 opening)
{
    if (opening != m_opening)
        return;
    // A failed request hands over no text, which holds no entry: nothing is added.
    const QList<HistoryEntry> entries = parseHistoryReply(replyText);
    for (const HistoryEntry &entry : entries)
        //: A recent upload in the History menu; %1 is its upload time.
        addUploadItem(tr("%1 - view").arg(entry.uploadTime), entry.address);
    keepOnScreen();
    emit historyArrived(int(entries.size()));
}

void RecentUploadsMenu::keepOnScreen()
{
    // The menu was placed for its first item; grown since, it may now reach past the
    // screen's edge (always so when the tray sits at the bottom). Move it back in.
    if (!isVisible())
        return;
    QScreen *display = QGuiApplication::screenAt(geometry().center());
    if (!display)
        display = screen();
    if (!display)
        return;
    const QRect area = display->availableGeometry();
    QRect shown(pos(), sizeHint().expandedTo(size()));
    if (shown.bottom() > area.bottom())
        shown.moveBottom(area.bottom());
    if (shown.right() > area.right())
        shown.moveRight(area.right());
    shown.moveTop(qMax(shown.top(), area.top()));
    shown.moveLeft(qMax(shown.left(), area.left()));
    if (shown.topLeft() != pos())
        move(shown.topLeft());
}

QAction *RecentUploadsMenu::addUploadItem(const QString &title, const QString &address)
{
    QAction *item = addAction(title);
    item->setToolTip(address);
    connect(item, &QAction::triggered, this, [this, item] { openImage(item); });
    return item;
}

void RecentUploadsMenu::openImage(QObject *sender)
{
    const QString link = toolTipLink(sender);
    if (!link.isEmpty())
        m_desktop.opener->openUrl(QUrl(link));
}

void RecentUploadsMenu::openAllHistory(QObject *)
{
}
