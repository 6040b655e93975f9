#include "app/vorMenu.h"

#include "helpers/Links.h"
#include "helpers/Notifications.h"
#include "platform/Opener.h"
#include "platform/Reachability.h"
#include "service/ServiceConfiguration.h"
#include "service/HistoryReply.h"
#include "service/vornikHTTP.h"

#include <QAction>
#include <QCoreApplication>
#include <QPointer>
#include <QUrl>

vorMenu::vorMenu(QWidget *parent)
    : QMenu(parent)
{
    setTitle(QStringLiteral("History"));
    setObjectName(QStringLiteral("vorMenu"));
    // The address of each upload is its item's tool tip; show it on hover.
    setToolTipsVisible(true);
    connect(this, &QMenu::aboutToShow, this, &vorMenu::menuWillOpen);
}

void vorMenu::menuWillOpen()
{
    // Let what is pending (the menu's own showing) happen before the check, which may
    // block briefly while the kernel answers.
    QCoreApplication::processEvents();
    if (!isConnectedToNetwork()) {
        // Offline the menu keeps the uploads of its last opening.
        postNotification(QStringLiteral("No network connection"),
                         QStringLiteral("Please check your Internet connection."));
        return;
    }
    clear();
    QAction *all = addAction(allHistoryTitle());
    connect(all, &QAction::triggered, this, [this, all] { emit allHistoryRequested(all); });
    requestRecentUploads();
}

void vorMenu::requestRecentUploads()
{
    // The menu may be gone (application shutting down) by the time the reply comes.
    QPointer<vorMenu> guard(this);
    const quint64 opening = ++m_opening;
    vornikHTTP::getUserID();
    vornikHTTP::getSalt(VorOperations::salt, [guard, opening](const QString &) {
        vornikHTTP::getHistory(VorOperations::shorthistory, [guard, opening](const QString &reply) {
            if (guard)
                guard->appendUploads(reply, opening);
        });
    });
}

void vorMenu::appendUploads(const QString &replyText, quint64 opening)
{
    if (opening != m_opening)
        return;
    // A failed request hands back a fixed text that holds no entry: nothing is added.
    const QList<HistoryEntry> entries = parseHistoryReply(replyText);
    for (const HistoryEntry &entry : entries)
        addUploadItem(entry.uploadTime + QStringLiteral(" - view"), entry.address);
    emit historyArrived(int(entries.size()));
}

QAction *vorMenu::addUploadItem(const QString &title, const QString &address)
{
    QAction *item = addAction(title);
    item->setToolTip(address);
    connect(item, &QAction::triggered, this, [this, item] { openimage(item); });
    return item;
}

void vorMenu::openimage(QObject *sender)
{
    const QString link = toolTipLink(sender);
    if (!link.isEmpty())
        Opener::openUrl(QUrl(link));
}

void vorMenu::openallhistory(QObject *)
{
}
