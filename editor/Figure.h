#pragma once

#include "editor/Scene.h"

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
    std::shared_ptr<scene::Shape> mShape;   // lines, rectangles and ellipses
    std::shared_ptr<scene::Text> mText;     // text
    std::shared_ptr<scene::Group> mGroup;   // arrows
    std::optional<QRectF> mrect;            // canvas points; absent until added to a list
    bool mSelected = false;
    double mlinelength = -1.0;
    QString mobjType;                       // "ellipse", "rectangle", "line", "arrow" or "text"

    // The node this record stands for, whichever field holds it.
    std::shared_ptr<scene::Node> node() const;
};

// The figure records in order of creation.
class FigureList
{
public:
    QList<std::shared_ptr<Figure>> lst;

    // Makes `record` the only selected one, points it at the given node and
    // rectangle, and appends it.
    void addItem(const QString &type, const std::shared_ptr<Figure> &record,
                 const std::shared_ptr<scene::Shape> &shape, const std::shared_ptr<scene::Text> &text,
                 const std::shared_ptr<scene::Group> &group, double x, double y, double width, double height);
    // Drops every entry that is this very record.
    void removeItem(const std::shared_ptr<Figure> &record);
    // With all three absent, deselects everything; otherwise selects exactly the
    // records whose three fields match the arguments (absent matches absent).
    void selectItems(const std::shared_ptr<scene::Shape> &shape, const std::shared_ptr<scene::Text> &text,
                     const std::shared_ptr<scene::Group> &group);

    void setShapeOrigin(const scene::Node *node, double x, double y);
    void setShapeSize(const scene::Node *node, double width, double height);
    void setGroupOrigin(const scene::Node *node, double x, double y);
    void setGroupSize(const scene::Node *node, double width, double height);

    // The first record holding `node` in any of its fields, or null.
    std::shared_ptr<Figure> recordFor(const scene::Node *node) const;
    // The first selected record, or null.
    std::shared_ptr<Figure> firstSelected() const;
    // The rectangles of the records in order (absent for unplaced ones), as the image
    // writer widens the export by them; null records are left out.
    QList<std::optional<QRectF>> rects() const;
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
