#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QSize>

// One segment of the tool bar: an icon, or, once given a swatch, a color square that
// shows one of the editor's current colors.
class ToolBarSegment : public QAbstractButton
{
    Q_OBJECT
public:
    ToolBarSegment(int index, QWidget *parent = nullptr);

    int index() const { return m_index; }

    // A segment with a swatch paints its swatch color instead of its icon; a segment
    // without one ignores setSwatchColor.
    void setSwatchEnabled(bool enabled);
    bool hasSwatch() const { return m_hasSwatch; }
    void setSwatchColor(const QColor &color);
    QColor swatchColor() const { return m_swatchColor; }

    // A spacer takes no selection and draws only a divider.
    void setSpacer(bool spacer);
    bool isSpacer() const { return m_spacer; }

    void setSelectedLook(bool selected);
    bool selectedLook() const { return m_selected; }

    QSize sizeHint() const override;
    // Segments give up their padding before the tool bar grows wider than its display.
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_index;
    bool m_hasSwatch = false;
    bool m_spacer = false;
    bool m_selected = false;
    QColor m_swatchColor;
};
