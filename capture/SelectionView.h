#pragma once

#include "capture/SelectionBox.h"
#include "capture/SelectionModel.h"
#include "output/SelectionSurface.h"

#include <QImage>
#include <QList>
#include <QPointer>
#include <QWidget>

class QLabel;

// The view that fills a capture overlay: it shows the display's frozen picture pixel
// for pixel and turns pointer events into the selection model's events. It lays out
// the box, the size label and the action buttons from the model after every event.
class SelectionView : public QWidget, public SelectionSurface
{
    Q_OBJECT
public:
    explicit SelectionView(QWidget *parent = nullptr);

    // The frozen picture, drawn from the view's origin at its own device pixel ratio.
    void setPicture(const QImage &picture);
    QImage picture() const { return m_picture; }

    // The box and the label this view edits (the overlay hands over its own).
    void setSelectionBox(SelectionBox *box);
    void setStatusLabel(QLabel *label);
    // The buttons that travel with the box, inside its upper-right corner.
    void setButtonPanel(QWidget *panel);

    SelectionModel &model() { return m_model; }
    const SelectionModel &model() const { return m_model; }

    // The view's and the box's cursor operations.
    void applyCursor(const CursorRef &cursor, bool force);
    void boxApplyCursor(const CursorRef &cursor, bool force);

    // SelectionSurface: the frame in the view's points; the region of the picture.
    QRectF selectionFrame() const override { return m_model.frame(); }
    void setSelectionFrame(const QRectF &frame) override;
    QImage renderRegion(const QRectF &frame) override;

    // Moves the selection by `dx`, `dy` points, inside the view.
    void nudgeSelection(int dx, int dy);
    // Resizes it by `dw`, `dh` points from its upper-left corner.
    void resizeSelection(int dw, int dh);
    // Starts a selection at `point` (view points) for the keyboard to move and resize.
    void startSelectionAt(const QPointF &point);

    // Window picking: the pointer highlights the first of `frames` (view points,
    // topmost first) it is over, and a click makes that frame the selection.
    void startWindowPicking(const QList<QRect> &frames);
    void stopWindowPicking();
    bool isPickingWindow() const { return m_picking; }
    // The frame highlighted now (null when none).
    QRect highlightedFrame() const { return m_highlighted; }

    // A line in the middle of the view (why a key did nothing, what to do next);
    // an empty text takes it away.
    void showHint(const QString &text);
    QString hintText() const;

signals:
    // A click chose the highlighted window's frame as the selection.
    void windowPicked();
    // A paint of the picture has finished (the benchmark and tests wait for it).
    void painted();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // The view's extent in points; before the window has its size, the picture's.
    double viewHeight() const;
    // Shows what the model holds: box, label, buttons, cursor.
    void syncFromModel();
    void placeLabel(const QRect &box);
    void placeButtons(const QRect &box);
    // Tells the model the view's extent, which every selection stays inside.
    void updateBounds();
    void highlightWindowAt(const QPoint &point);
    void pickHighlightedWindow();

    SelectionModel m_model;
    QImage m_picture;
    QPointer<SelectionBox> m_box;
    QPointer<QLabel> m_label;
    QPointer<QWidget> m_panel;
    quint64 m_shownCursor = 0;
    QList<QRect> m_windowFrames;
    QRect m_highlighted;
    bool m_picking = false;
    bool m_releaseAfterPick = false;
    QPointer<QWidget> m_highlight;
    QPointer<QLabel> m_hint;
};
