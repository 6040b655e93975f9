#include "banner/bannercolorwindow.h"

#include "banner/bannercolor.h"

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
