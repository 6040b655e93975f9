#pragma once

#include "editor/CanvasPopovers.h"
#include "editor/FigureList.h"
#include "editor/scene/Color.h"
#include "editor/scene/Group.h"
#include "editor/scene/Image.h"
#include "editor/scene/Node.h"
#include "editor/scene/Point.h"
#include "editor/scene/SceneView.h"
#include "editor/scene/Size.h"
#include "editor/scene/Text.h"
#include "editor/scene/TouchEvent.h"
#include "editor/ToolKind.h"
#include "editor/tools/DrawingTool.h"
#include "editor/tools/ToolTable.h"

#include <QImage>
#include <QPointer>
#include <QUndoStack>
#include <QRectF>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class Preferences;

// The editor's canvas: the captured image on a white page, with the figures drawn
// over it. Presses on the page start a figure with the current tool; a press on a
// figure selects it and dragging moves it, whatever the tool. What a press and a drag
// on the page do is the selected tool's business (ToolTable::drawingToolFor).
class EditorCanvas : public scene::SceneView, private ToolCanvas
{
    Q_OBJECT
public:
    explicit EditorCanvas(QWidget *parent = nullptr);
    // Sets the canvas up at once with no swatches (see setupCanvas).
    EditorCanvas(const QImage &picture, const QRectF &canvasRect, QWidget *parent = nullptr);

    // Builds the scene of `canvasRect`'s size with `picture` on it at its size in
    // points (its device pixel ratio says how many pixels make a point), loads the
    // drawing defaults and paints the two swatches (either may be null) with the
    // current line and fill colors. A null picture gives a plain page. Run once.
    void setupCanvas(const QRectF &canvasRect, const QImage &picture, QWidget *lineSwatch = nullptr,
                     QWidget *fillSwatch = nullptr);
    void setPopovers(const CanvasPopovers &popovers) { m_popovers = popovers; }
    // The tools the canvas draws with (ToolTable::standard() unless set); the table
    // outlives the canvas.
    void setToolTable(const ToolTable &tools) { m_tools = &tools; }

    // Stores "linesize" 4 when absent; loads `fontsize` from "fontsize" (14, stored,
    // when absent).
    void loadDrawingDefaults();

    std::optional<ToolKind> selectedTool() const { return m_selectedTool; }
    void setSelectedTool(std::optional<ToolKind> tool);

    // Every change to the canvas, as undo steps. Clean while nothing changed since the
    // picture was last handed out.
    QUndoStack &history() { return m_history; }
    // Undo and redo the last step; nothing while a figure is being drawn or moved.
    void undo();
    void redo();
    // The figure that shows a selection mark: the one last pressed with the pointer
    // tool, while it is selected and on the canvas (null otherwise).
    std::shared_ptr<Figure> markedFigure() const;

    // Text size steps of 2 points on the latest figure when it is a text (up to 74,
    // down to 6); nothing otherwise.
    void increaseFont();
    void decreaseFont();
    // Removes the selected figure from the canvas; when it is already gone, drops its
    // record.
    void deleteSelected();

    int fontsize() const { return m_fontsize; }
    // Where the captured image lies on the canvas; none when there was no image file.
    std::optional<QRectF> imageRect() const { return m_imagerect; }
    std::optional<scene::Size> viewSize() const { return m_viewSize; }
    const FigureList &figureList() const { return m_figureList; }
    FigureList &figureList() { return m_figureList; }
    // The records of the figures still drawn on the canvas, in order. A figure taken
    // off by Delete keeps its record until a second Delete; the export must not reach
    // out to include it.
    FigureList figuresOnCanvas() const;
    std::shared_ptr<scene::Group> rootGroup() const { return m_rootGroup; }
    std::shared_ptr<Figure> currentFigure() const { return m_currentFigure; }
    bool movingFigure() const { return m_movingfigure; }

    // The whole canvas (white page, image and figures) at `devicePixelRatio` pixels
    // per point, with that ratio set on the image. The output actions crop it to
    // imageRect().
    QImage renderCanvas(qreal devicePixelRatio) const { return renderScene(devicePixelRatio); }

    // Pixels per point of the captured picture (1 without one).
    double picturePixelRatio() const;
    // What the editor's save, copy and upload hand out: the picture with `figures` over
    // it, widened where they reach past it (clipped to the page), at the picture's own
    // resolution with the picture's pixels on whole pixels, so that every one of them
    // comes out as it went in. Ratio 1; null without a picture.
    QImage renderExport(const FigureList &figures) const;

    // Shows `color` as the background of a tool bar swatch.
    static void paintSwatch(QWidget *swatch, const QColor &color);

    // Gives the figure marked by the pointer tool the palette color `colorName`: its
    // outlines and texts (`fill` false) or the inside of a filled shape (`fill` true),
    // as one undo step. False when no figure is marked or nothing in it takes that color.
    bool recolorMarkedFigure(const QString &colorName, bool fill);

    // Gives the text figure last double-clicked (textEditRequested) new words, as one
    // undo step; nothing when they are the same or the figure is gone.
    void finishTextEdit(const QString &text);

    // How many screen points show one canvas point; zoomIn and zoomOut step it by a
    // quarter (1/10 to 8), fitToWindow shows the whole picture in the window.
    double zoom() const { return m_zoom; }
    void setZoom(double zoom);
    void zoomIn();
    void zoomOut();
    void fitToWindow();

signals:
    // A text figure was double-clicked: its words may be edited (finishTextEdit).
    void textEditRequested(const QString &text);

protected:
    void drawForeground(QPainter *painter, const QRectF &rect) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildScene(const QImage &picture);
    void updateMark();
    bool drawing() const;
    void setTextSize(const std::shared_ptr<scene::Text> &text, int size);
    void placeImage(const QImage &picture);
    void canvasPressed(const scene::TouchEvent &event);
    void canvasDragged(const scene::TouchEvent &event);
    void canvasReleased();
    void startFigureAt(const DrawingTool &tool, const scene::Point &at);
    void updateScrollBars();
    void setText(const std::shared_ptr<scene::Text> &text, const QString &words);
    const DrawingTool *selectedDrawingTool() const;
    bool popoversLetPressThrough();
    std::shared_ptr<scene::Node> startFigure(const DrawingTool &tool, const scene::Point &at,
                                             const std::shared_ptr<Figure> &record);
    // What the tools read and change on the canvas.
    scene::Color currentLineColor() const override;
    double currentLineWidth() const override;
    scene::Color highlightColor() const override;
    std::shared_ptr<scene::Image> picture() const override { return m_picture; }
    int nextCounterNumber() const override;
    QString typedText() const override { return m_textCell; }
    int fontSize() const override { return m_fontsize; }
    double displayPixelRatio() const override { return devicePixelRatioF(); }
    FigureList &figures() override { return m_figureList; }
    void stepTextSize(bool larger) override;
    scene::Point lastTextDragPoint() const override { return m_lastDragCell; }
    void setLastTextDragPoint(const scene::Point &at) override { m_lastDragCell = at; }
    void attachFigureHandlers(const std::shared_ptr<scene::Node> &node);
    void applyFontSize();
    // Looked up on each use: the store may be reopened while the canvas lives.
    static Preferences &preferences();

    std::shared_ptr<scene::Image> m_picture;   // the captured picture's node
    QUndoStack m_history;
    std::weak_ptr<Figure> m_marked;       // last pressed with the pointer tool
    QRectF m_markShown;                        // where the mark was last drawn (canvas points)
    QPointF m_moved;                           // how far the pressed figure has moved in this gesture
    bool m_pressedOnCanvas = false;            // a press on the page is still held
    std::optional<ToolKind> m_selectedTool;
    std::optional<QRectF> m_imagerect;
    std::optional<scene::Size> m_viewSize;
    std::shared_ptr<scene::Group> m_rootGroup;
    FigureList m_figureList;
    bool m_movingfigure = false;
    std::shared_ptr<Figure> m_currentFigure;
    int m_fontsize = 14;
    CanvasPopovers m_popovers;
    const ToolTable *m_tools = &ToolTable::standard();

    bool m_startPending = false;               // a drag tool was pressed; its figure starts when the pointer moves
    double m_zoom = 1.0;
    std::weak_ptr<scene::Text> m_editedText;   // the text figure whose words are being edited
    QString m_textCell;            // the text of the next text figure
    scene::Point m_pressCell;      // where the last canvas press was
    scene::Point m_lastDragCell;   // the last pointer position seen by the text-size drag
};
