#include "history/TrashDropTarget.h"

#include "platform/Preferences.h"
#include "helpers/ResourceImages.h"
#include "platform/Reachability.h"
#include "service/ServiceConfiguration.h"
#include "history/HistoryRows.h"
#include "history/HistoryTable.h"
#include "service/ShareClient.h"
#include "platform/SettingsKeys.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QPainter>
#include <QTableView>
#include <algorithm>

namespace {
const char *const kToolTip = QT_TRANSLATE_NOOP("TrashDropTarget", "Drop uploads here to delete them");

QString storedBannerURL()
{
    // Absent means no banner was ever set: nothing is protected, nothing is stored.
    return Preferences::standard().stringForKey(SettingsKeys::bannerUrl);
}

template <typename Event>
bool acceptTextDrag(Event *event)
{
    if (!event->mimeData()->hasText()) {
        event->ignore();
        return false;
    }
    if (event->possibleActions() & Qt::MoveAction) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else {
        event->acceptProposedAction();
    }
    return true;
}
} // namespace

TrashDropTarget::TrashDropTarget(DesktopServices desktop, QWidget *parent)
    : QWidget(parent)
    , m_desktop(std::move(desktop))
{
    setObjectName(QStringLiteral("imgTrashDeleter"));
    setAcceptDrops(true);
    setToolTip(tr(kToolTip));
    setAccessibleName(tr(kToolTip));
    setMinimumSize(72, 72);
    // Key presses anywhere in the application are forwarded to the trash, so the
    // Delete key works on the table's selection while the list has the focus.
    qApp->installEventFilter(this);
}

TrashDropTarget::~TrashDropTarget()
{
    qApp->removeEventFilter(this);
}

void TrashDropTarget::takeDroppedText(const std::optional<QString> &text)
{
    if (!text)
        return;
    currentImageToDelete = *text;
    runDeleteFlow();
}

void TrashDropTarget::runDeleteFlow()
{
    if (currentImageToDelete.isEmpty())
        return;
    if (!isConnectedToNetwork(*m_desktop.reachability)) {
        m_desktop.notifier->post(tr("No network connection"), tr("Please check your Internet connection."));
        return;
    }
    const QString baseURL = ShareClient::serviceBaseURL();
    const QString bannerURL = storedBannerURL();
    if (!currentImageToDelete.contains(QLatin1Char('\n'))) {
        if (isCurrentBannerImage(currentImageToDelete, bannerURL)) {
            //: The title and text of the notice when the current banner image was dropped on the trash.
            m_desktop.notifier->post(tr("Banner images can't be cancelled"), tr("Deletion Denied"));
            return;
        }
        m_queue.append(imageNameForAddress(currentImageToDelete, baseURL));
        currentImageToDelete.clear();
    } else {
        // Dropped among others, the banner image is left out without a word.
        const QStringList addresses = droppedAddresses(currentImageToDelete);
        for (const QString &address : addresses) {
            if (isCurrentBannerImage(address, bannerURL))
                ++m_answered;
            else
                m_queue.append(imageNameForAddress(address, baseURL));
        }
    }
    // A drop while earlier deletions still run joins their queue; the list is then
    // reloaded once, after the last of them.
    if (!m_deleting)
        deleteNext();
}

void TrashDropTarget::deleteNext()
{
    if (m_queue.isEmpty()) {
        finishDeletions();
        return;
    }
    // One deletion at a time: each takes a fresh one-time token, and the next asks for
    // its own salt only after this one has answered.
    m_deleting = true;
    const QString name = m_queue.takeFirst();
    QPointer<TrashDropTarget> guard(this);
    ShareClient::getUserID();
    ShareClient::deleteImage(name, [guard](const ShareReply &reply) {
        if (!guard)
            return;
        // The service keeps a banner's image whatever this window knew of it.
        if (reply.status == 409)
            guard->m_desktop.notifier->post(QStringLiteral("Banner images can't be cancelled"), QStringLiteral("Deletion Denied"));
        ++guard->m_answered;
        guard->deleteNext();
    });
}

void TrashDropTarget::finishDeletions()
{
    m_deleting = false;
    const int answered = m_answered;
    m_answered = 0;
    currentImageToDelete.clear();
    if (historyTable)
        historyTable->reloadHistory();
    emit deletionsFinished(answered);
}

QStringList TrashDropTarget::selectedAddresses() const
{
    QStringList addresses;
    if (!tableView || !historyTable || !tableView->selectionModel())
        return addresses;
    QModelIndexList rows = tableView->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end());
    for (const QModelIndex &row : rows) {
        if (const std::optional<QString> address = historyTable->pasteboardWriterForRow(row.row()))
            addresses.append(*address);
    }
    return addresses;
}

void TrashDropTarget::keyPressEvent(QKeyEvent *event)
{
    // Delete or Backspace deletes the selected rows, as dropping them here would, once
    // the user has said yes.
    if (event->key() != Qt::Key_Delete && event->key() != Qt::Key_Backspace) {
        QWidget::keyPressEvent(event);
        return;
    }
    confirmDeletion();
    event->accept();
}

void TrashDropTarget::confirmDeletion()
{
    const QStringList addresses = selectedAddresses();
    const QString bannerURL = storedBannerURL();
    const qsizetype deletable = std::count_if(addresses.begin(), addresses.end(), [&bannerURL](const QString &address) {
        return !isCurrentBannerImage(address, bannerURL);
    });
    // A single address goes through the single-address path so the banner denial shows.
    if (deletable == 0) {
        if (addresses.size() == 1)
            takeDroppedText(addresses.first());
        return;
    }
    //: %n is the number of uploads dropped on the trash (2 or more).
    const QString several = tr("Delete these %n uploads from the sharing service?", nullptr, int(deletable));
    QString question = deletable == 1 ? tr("Delete this upload from the sharing service?") : several;
    if (deletable < addresses.size())
        //: Follows the question, after its question mark.
        question += tr(" The banner image is kept.");
    auto *box = new QMessageBox(QMessageBox::Question, tr("Delete uploads"), question,
                                QMessageBox::Yes | QMessageBox::Cancel, window());
    box->setObjectName(QStringLiteral("confirmDeletion"));
    box->setDefaultButton(QMessageBox::Cancel);
    //: The button that confirms the deletion.
    box->button(QMessageBox::Yes)->setText(tr("Delete"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    // The rows asked about are the rows deleted, whatever is selected by the answer.
    QPointer<TrashDropTarget> guard(this);
    connect(box, &QMessageBox::finished, this, [guard, addresses](int answer) {
        if (guard && answer == QMessageBox::Yes)
            guard->takeDroppedText(addresses.join(QLatin1Char('\n')));
    });
    box->open();
    emit confirmationShown(box);
}

bool TrashDropTarget::eventFilter(QObject *watched, QEvent *event)
{
    // Only presses meant for this window's table; the event still goes on its way.
    if (event->type() == QEvent::KeyPress && tableView && watched == tableView.data()) {
        auto *press = static_cast<QKeyEvent *>(event);
        if (press->key() == Qt::Key_Delete || press->key() == Qt::Key_Backspace) {
            keyPressEvent(press);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TrashDropTarget::setArmed(bool armed)
{
    if (m_armed == armed)
        return;
    m_armed = armed;
    update();
}

void TrashDropTarget::dragEnterEvent(QDragEnterEvent *event)
{
    setArmed(acceptTextDrag(event));
}

void TrashDropTarget::dragMoveEvent(QDragMoveEvent *event)
{
    acceptTextDrag(event);
}

void TrashDropTarget::dragLeaveEvent(QDragLeaveEvent *)
{
    setArmed(false);
}

void TrashDropTarget::dropEvent(QDropEvent *event)
{
    setArmed(false);
    if (!event->mimeData()->hasText()) {
        event->ignore();
        return;
    }
    acceptTextDrag(event);
    takeDroppedText(event->mimeData()->text());
}

void TrashDropTarget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const int side = qMin(width(), height()) - 8;
    const QImage trash = imageNamed(
        m_armed ? QStringLiteral("history/history-trash-armed") : QStringLiteral("history/history-trash"),
        QSize(side, side) * devicePixelRatioF());
    QRect target(0, 0, side, side);
    target.moveCenter(rect().center());
    painter.drawImage(target, trash);
}
