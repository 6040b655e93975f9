#pragma once

#include <QWidget>

class SelectionView;

// The full-screen window of one overlay: frameless, above all other windows, filled by
// the selection view.
class OverlayWindow : public QWidget
{
    Q_OBJECT
public:
    explicit OverlayWindow(QWidget *parent = nullptr);
    SelectionView *view() const { return m_view; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    SelectionView *m_view;
};
