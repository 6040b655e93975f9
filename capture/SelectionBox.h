#pragma once

#include <QColor>
#include <QWidget>

// The visible selection box: a white fill at alpha 0.8 with a thin frame. It lies in
// front of the selection view and lets every pointer event through to it; the view
// decides its frame.
class SelectionBox : public QWidget
{
    Q_OBJECT
public:
    explicit SelectionBox(QWidget *parent = nullptr);
    QColor fillColor() const { return m_fill; }
    void setFillColor(const QColor &color);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_fill{255, 255, 255, 204};
};
