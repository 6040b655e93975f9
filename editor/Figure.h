#pragma once

#include "editor/scene/Color.h"
#include "editor/scene/Font.h"
#include "editor/scene/Group.h"
#include "editor/scene/Line.h"
#include "editor/scene/Node.h"
#include "editor/scene/Point.h"
#include "editor/scene/Shape.h"
#include "editor/scene/Stroke.h"
#include "editor/scene/Text.h"

#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <array>
#include <memory>
#include <optional>

// One figure of the annotation editor: which scene node it is, where it lies and
// what kind it is. Records are compared by identity.
class Figure
{
public:
    std::shared_ptr<scene::Shape> shape;   // lines, rectangles and ellipses
    std::shared_ptr<scene::Text> text;     // text
    std::shared_ptr<scene::Group> group;   // arrows
    std::optional<QRectF> rect;            // canvas points; absent until added to a list
    bool selected = false;
    double lineLength = -1.0;
    QString typeName;                       // "ellipse", "rectangle", "line", "arrow" or "text"

    // The node this record stands for, whichever field holds it.
    std::shared_ptr<scene::Node> node() const;
};

// The stroke every figure is drawn with: round caps, miter joins, no dashes.
scene::Stroke figureStroke(const scene::Color &color, double width);

std::shared_ptr<scene::Shape> makeOutlineEllipse(const scene::Color &lineColor, double cx, double cy, double rx,
                                                 double ry, double width);
std::shared_ptr<scene::Shape> makeFilledEllipse(const scene::Color &lineColor, const scene::Color &fillColor,
                                                double cx, double cy, double rx, double ry, double width);
std::shared_ptr<scene::Shape> makeOutlineRectangle(const scene::Color &lineColor, double x, double y, double w,
                                                   double h, double width);
std::shared_ptr<scene::Shape> makeFilledRectangle(const scene::Color &lineColor, const scene::Color &fillColor,
                                                  double x, double y, double w, double h, double width);
std::shared_ptr<scene::Shape> makeLine(const scene::Color &lineColor, double x1, double y1, double x2, double y2,
                                       double width);
// A just-started arrow: first barb, shaft, second barb, with fixed barbs.
std::shared_ptr<scene::Group> makeArrow(const scene::Color &lineColor, double x1, double y1, double x2, double y2,
                                        double width);
std::shared_ptr<scene::Text> makeTextFigure(const scene::Color &fill, const QString &text, const scene::Font &font,
                                            double x, double y);
// The font of a text figure of `size` points.
scene::Font textFigureFont(int size);
// The size of a text in the application's own font at `size` points.
QSizeF measuredTextSize(const QString &text, int size);

// Where a figure's drawn geometry lies on the canvas.
QRectF coveredRect(const scene::Node &node);

// The arrowhead of an arrow dragged from `start` to the tip: the lines tip→E1,
// tip→start (the shaft) and tip→E2, each barb 20·√2 long at 45° to the shaft.
std::array<scene::Line, 3> arrowHeadPoints(const scene::Point &start, const scene::Point &tip);

// The upright rectangle spanned by two corners.
QRectF normalisedRect(const scene::Point &a, const scene::Point &b);
