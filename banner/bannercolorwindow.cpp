#include "banner/bannercolorwindow.h"

#include "banner/bannercolor.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

bannercolorwindow::bannercolorwindow(QWidget *parent)
    : QWidget(parent, Qt::Dialog)
{
    setObjectName(QStringLiteral("bannercolorwindow"));
    setWindowTitle(QStringLiteral("Banner color"));
    windowDidLoad();
}

void bannercolorwindow::windowDidLoad()
{
    m_content = new bannercolor(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_content);
}

void bannercolorwindow::showEvent(QShowEvent *event)
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
