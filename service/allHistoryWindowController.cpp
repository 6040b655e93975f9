#include "service/allHistoryWindowController.h"

#include "service/vorImageDeleter.h"
#include "service/vorImagePreview.h"
#include "service/vorImageView.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QScreen>
#include <QTableView>
#include <QVBoxLayout>

allHistoryWindowController::allHistoryWindowController(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("allHistoryWindowController"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(windowTitleText());
    buildLayout();
    windowDidLoad();
}

void allHistoryWindowController::buildLayout()
{
    vorviewer = new vorImageView(this);
    imagetable = vorviewer->imagetable;
    imagePreview = new vorImagePreview(this);
    imgTrashDeleter = new vorImageDeleter(this);

    auto *side = new QVBoxLayout;
    side->addWidget(imagePreview, 1);
    side->addWidget(imgTrashDeleter, 0, Qt::AlignHCenter);

    auto *layout = new QHBoxLayout(this);
    layout->addWidget(vorviewer, 3);
    layout->addLayout(side, 2);
    resize(960, 540);
}

void allHistoryWindowController::windowDidLoad()
{
    if (QScreen *display = screen() ? screen() : QGuiApplication::primaryScreen()) {
        QRect centred(QPoint(), size());
        centred.moveCenter(display->availableGeometry().center());
        move(centred.topLeft());
    }
    imagetable->setSelectionMode(QAbstractItemView::ExtendedSelection);
    setWindowFlag(Qt::WindowStaysOnTopHint, true);

    vorviewer->imagepreview = imagePreview;
    vorviewer->imagetable = imagetable;
    imgTrashDeleter->imagetable = imagetable;
    imgTrashDeleter->mainhistoryview = vorviewer;
}

void allHistoryWindowController::showWindow()
{
    show();
    raise();
    activateWindow();
}
