#include "banner/BannerColorWindow.h"

#include "banner/BannerColorPicker.h"
#include "banner/ModalRuns.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

BannerColorWindow::BannerColorWindow(QWidget *parent)
    : QWidget(parent, Qt::Dialog)
{
    setObjectName(QStringLiteral("bannercolorwindow"));
    setWindowTitle(tr("Banner color"));
    setUpWindow();
}

void BannerColorWindow::setUpWindow()
{
    m_content = new BannerColorPicker(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_content);
}

void BannerColorWindow::runModal(ModalRuns &runs)
{
    const QMetaObject::Connection ending =
        connect(m_content, &BannerColorPicker::finished, this, [&runs] { runs.stopModal(); });
    runs.runModalForWindow(this);
    disconnect(ending);
}

void BannerColorWindow::showEvent(QShowEvent *event)
{
    // Centred the first time it appears, like the other windows of the banner.
    if (!m_centred) {
        m_centred = true;
        adjustSize();
        if (QScreen *target = QGuiApplication::primaryScreen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(target->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    QWidget::showEvent(event);
}
