#include "editor/SegmentedToolBar.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>

namespace {
constexpr int kSegmentWidth = 38;
constexpr int kSegmentHeight = 32;
constexpr int kSpacerWidth = 14;
constexpr int kIconSize = 22;
constexpr int kNarrowSegmentWidth = kIconSize + 4;
constexpr int kNarrowSpacerWidth = 6;
} // namespace

ToolBarSegment::ToolBarSegment(int index, QWidget *parent)
    : QAbstractButton(parent)
    , m_index(index)
{
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void ToolBarSegment::setSwatchEnabled(bool enabled)
{
    m_hasSwatch = enabled;
    update();
}

void ToolBarSegment::setSwatchColor(const QColor &color)
{
    if (!m_hasSwatch)
        return;
    m_swatchColor = color;
    update();
}

void ToolBarSegment::setSpacer(bool spacer)
{
    m_spacer = spacer;
    setCursor(spacer ? Qt::ArrowCursor : Qt::PointingHandCursor);
    updateGeometry();
    update();
}

void ToolBarSegment::setSelectedLook(bool selected)
{
    m_selected = selected;
    update();
}

QSize ToolBarSegment::sizeHint() const
{
    return {m_spacer ? kSpacerWidth : kSegmentWidth, kSegmentHeight};
}

QSize ToolBarSegment::minimumSizeHint() const
{
    return {m_spacer ? kNarrowSpacerWidth : kNarrowSegmentWidth, kSegmentHeight};
}

void ToolBarSegment::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    if (m_spacer) {
        painter.setPen(QPen(QColor(0, 0, 0, 60), 1));
        painter.drawLine(QPointF(width() / 2.0, 6), QPointF(width() / 2.0, height() - 6));
        return;
    }
    if (m_selected || isDown()) {
        painter.setPen(QPen(QColor(40, 90, 170), 1));
        painter.setBrush(isDown() ? QColor(170, 200, 240) : QColor(205, 222, 246));
        painter.drawRoundedRect(box, 4, 4);
    } else if (underMouse()) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0, 0, 0, 22));
        painter.drawRoundedRect(box, 4, 4);
    }
    const QRect iconRect((width() - kIconSize) / 2, (height() - kIconSize) / 2, kIconSize, kIconSize);
    if (m_hasSwatch) {
        painter.setPen(QPen(QColor(60, 60, 60), 1));
        painter.setBrush(m_swatchColor.isValid() ? m_swatchColor : QColor(Qt::transparent));
        painter.drawRoundedRect(QRectF(iconRect).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
        return;
    }
    icon().paint(&painter, iconRect, Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
}

SegmentedToolBar::SegmentedToolBar(QWidget *parent)
    : QWidget(parent)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(4, 2, 4, 2);
    row->setSpacing(1);
    row->addStretch(1);
    setAccessibleName(tr("Editor tools"));
}

int SegmentedToolBar::addSegment(const QIcon &icon)
{
    const int index = segmentCount();
    auto *segment = new ToolBarSegment(index, this);
    segment->setIcon(icon);
    segment->setObjectName(QStringLiteral("segment%1").arg(index));
    auto *row = static_cast<QHBoxLayout *>(layout());
    row->insertWidget(row->count() - 1, segment);
    connect(segment, &QAbstractButton::clicked, this, [this, index] { clickSegment(index); });
    m_segments.append(segment);
    return index;
}

ToolBarSegment *SegmentedToolBar::segment(int index) const
{
    return index >= 0 && index < segmentCount() ? m_segments[index] : nullptr;
}

void SegmentedToolBar::setSelectedSegment(int index)
{
    ToolBarSegment *chosen = segment(index);
    if (chosen && chosen->isSpacer())
        return;
    m_selected = chosen ? index : -1;
    for (ToolBarSegment *each : m_segments)
        each->setSelectedLook(each == chosen);
}

void SegmentedToolBar::setSegmentToolTip(int index, const QString &text)
{
    if (ToolBarSegment *target = segment(index)) {
        m_toolTips[index] = text;
        target->setAccessibleName(text);
        showToolTip(index);
    }
}

QString SegmentedToolBar::segmentToolTip(int index) const
{
    return segment(index) ? m_toolTips.value(index) : QString();
}

void SegmentedToolBar::setSegmentShortcut(int index, const QKeySequence &key)
{
    if (!segment(index))
        return;
    m_shortcuts[index] = key;
    showToolTip(index);
}

void SegmentedToolBar::showToolTip(int index)
{
    const QString text = m_toolTips.value(index);
    const QKeySequence key = m_shortcuts.value(index);
    if (key.isEmpty() || text.isEmpty())
        segment(index)->setToolTip(text);
    else
        segment(index)->setToolTip(text + QStringLiteral(" (") + key.toString(QKeySequence::NativeText)
                                   + QLatin1Char(')'));
}

void SegmentedToolBar::clickSegment(int index)
{
    ToolBarSegment *target = segment(index);
    if (!target)
        return;
    if (!target->isSpacer())
        setSelectedSegment(index);
    emit segmentClicked(index);
}
