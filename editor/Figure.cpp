#include "editor/Figure.h"

#include <QApplication>
#include <QFontMetricsF>

#include <algorithm>
#include <cmath>
#include <numbers>

using namespace scene;

std::shared_ptr<Node> Figure::node() const
{
    if (shape)
        return shape;
    if (text)
        return text;
    return group;
}

// ---- builders ----------------------------------------------------------------

Stroke figureStroke(const Color &color, double width)
{
    return Stroke{color, width, LineCap::round, LineJoin::miter, {}};
}

std::shared_ptr<Shape> makeOutlineEllipse(const Color &lineColor, double cx, double cy, double rx, double ry,
                                          double width)
{
    return makeFilledEllipse(lineColor, Color::clear(), cx, cy, rx, ry, width);
}

std::shared_ptr<Shape> makeFilledEllipse(const Color &lineColor, const Color &fillColor, double cx, double cy,
                                         double rx, double ry, double width)
{
    return std::make_shared<Shape>(Ellipse(cx, cy, rx, ry), fillColor, figureStroke(lineColor, width));
}

std::shared_ptr<Shape> makeOutlineRectangle(const Color &lineColor, double x, double y, double w, double h,
                                            double width)
{
    return makeFilledRectangle(lineColor, Color::clear(), x, y, w, h, width);
}

std::shared_ptr<Shape> makeFilledRectangle(const Color &lineColor, const Color &fillColor, double x, double y,
                                           double w, double h, double width)
{
    return std::make_shared<Shape>(Rect(x, y, w, h), fillColor, figureStroke(lineColor, width));
}

std::shared_ptr<Shape> makeLine(const Color &lineColor, double x1, double y1, double x2, double y2, double width)
{
    return std::make_shared<Shape>(Line(x1, y1, x2, y2), lineColor, figureStroke(lineColor, width));
}

std::shared_ptr<Group> makeArrow(const Color &lineColor, double x1, double y1, double x2, double y2, double width)
{
    return group({makeLine(lineColor, x1, y1, x1 + 6, y2 + 10, width),
                  makeLine(lineColor, x1, y1, x2, y2, width),
                  makeLine(lineColor, x1, y1, x1 + 6, y2 - 10, width)});
}

std::shared_ptr<Text> makeTextFigure(const Color &fill, const QString &text, const Font &font, double x, double y)
{
    return std::make_shared<Text>(text, font, fill, std::nullopt, Align::min, Baseline::top,
                                  Transform::identity().move(x, y));
}

std::array<Line, 3> arrowHeadPoints(const Point &start, const Point &tip)
{
    constexpr double barb = 20.0;
    // From the tip back toward the start; atan2(0, 0) is 0, so a zero-length arrow
    // points its barbs to the left.
    const double theta = std::atan2(tip.y - start.y, tip.x - start.x) + std::numbers::pi;
    const double bx = tip.x + barb * std::cos(theta);
    const double by = tip.y + barb * std::sin(theta);
    const double phi = theta + std::numbers::pi / 2;
    const Point e1{bx + barb * std::cos(phi), by + barb * std::sin(phi)};
    const Point e2{bx - barb * std::cos(phi), by - barb * std::sin(phi)};
    return {Line(tip.x, tip.y, e1.x, e1.y), Line(tip.x, tip.y, start.x, start.y), Line(tip.x, tip.y, e2.x, e2.y)};
}

QRectF normalisedRect(const Point &a, const Point &b)
{
    return QRectF(std::min(a.x, b.x), std::min(a.y, b.y), std::abs(b.x - a.x), std::abs(b.y - a.y));
}

Font textFigureFont(int size)
{
    return Font{QStringLiteral("Serif"), size, QStringLiteral("normal")};
}

QSizeF measuredTextSize(const QString &text, int size)
{
    QFont font = QApplication::font();
    font.setPixelSize(std::max(1, size));
    return QFontMetricsF(font).size(0, text);
}

QRectF coveredRect(const Node &node)
{
    return node.mapRectToParent(node.boundingRect() | node.childrenBoundingRect());
}
