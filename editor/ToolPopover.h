#pragma once

#include <QPointer>
#include <QWidget>

// A small transient window shown under a place of an anchor widget, closing on a
// click outside it (Qt::Popup). It holds one content widget, which learns that it is
// about to appear through its own showEvent.
//
// A press outside the popover closes it and is then passed on to the widget under
// the pointer, so one click both dismisses the popover and acts (picks another tool,
// places a text). Whoever handles that press must still see the popover as shown:
// the canvas takes the typed text from a text popover that the very same press
// closed. isShown() therefore stays true until that press has been delivered.
class ToolPopover : public QWidget
{
    Q_OBJECT
public:
    explicit ToolPopover(QWidget *content, QWidget *parent = nullptr);

    QWidget *contentWidget() const { return m_content; }

    // Visible, or being dismissed by the mouse press now being delivered.
    bool isShown() const;

    // Shows the popover under `rect` (in `anchor`'s coordinates), horizontally
    // centred on it and kept on the anchor's screen.
    void showRelativeToRect(const QRect &rect, QWidget *anchor);

    // Where the popover was last asked to point, in global coordinates.
    QPoint arrowTip() const { return m_arrowTip; }

signals:
    void closed();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QPointer<QWidget> m_content;
    QPoint m_arrowTip;
    bool m_dismissingPress = false;
};
