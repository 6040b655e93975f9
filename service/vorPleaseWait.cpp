#include "service/vorPleaseWait.h"

#include <QPainter>
#include <QPainterPath>

vorPleaseWait::vorPleaseWait(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("vorPleaseWait"));
    setAccessibleName(QStringLiteral("Please wait"));
    windowDidLoad();
}

void vorPleaseWait::windowDidLoad()
{
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    setAttribute(Qt::WA_TranslucentBackground, true);
    setAttribute(Qt::WA_NoSystemBackground, true);
    resize(sizeHint());
}

void vorPleaseWait::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath box;
    box.addRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 12, 12);
    painter.fillPath(box, QColor(30, 30, 30, 200));
    painter.setPen(Qt::white);
    painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("Please wait"));
}
