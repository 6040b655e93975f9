#pragma once

#include "editor/tools/DrawingTool.h"

// The tools of the first group: outlines and filled shapes, lines, arrows and texts,
// and the pointer, which draws nothing.

class PointerTool : public DrawingTool
{
public:
    QString typeName() const override { return QString(); }
    bool takesPagePresses() const override { return false; }
    StartedFigure start(ToolCanvas &, const FigureStyle &, const scene::Point &) const override { return {}; }
    void drag(ToolCanvas &, const std::shared_ptr<Figure> &, const scene::Point &,
              const scene::Point &) const override
    {
    }
};

// A tool whose figure is one Shape, reshaped to span the press and the pointer as it
// moves. The dragged shape is the latest figure's, whatever tool made it.
class ShapeTool : public DrawingTool
{
public:
    StartedFigure start(ToolCanvas &canvas, const FigureStyle &style, const scene::Point &at) const override;
    void drag(ToolCanvas &canvas, const std::shared_ptr<Figure> &latest, const scene::Point &from,
              const scene::Point &to) const final;

protected:
    // The just-pressed shape, a few points across.
    virtual std::shared_ptr<scene::Shape> makeShape(const FigureStyle &style, const scene::Point &at) const = 0;
    virtual scene::Form formBetween(const scene::Point &from, const scene::Point &to) const = 0;
};

class RectangleTool : public ShapeTool
{
public:
    QString typeName() const override { return QStringLiteral("rectangle"); }

protected:
    std::shared_ptr<scene::Shape> makeShape(const FigureStyle &style, const scene::Point &at) const override;
    scene::Form formBetween(const scene::Point &from, const scene::Point &to) const override;
};

// Recorded as a rectangle: the filling is a matter of style.
class FilledRectangleTool : public RectangleTool
{
protected:
    std::shared_ptr<scene::Shape> makeShape(const FigureStyle &style, const scene::Point &at) const override;
};

class EllipseTool : public ShapeTool
{
public:
    QString typeName() const override { return QStringLiteral("ellipse"); }

protected:
    std::shared_ptr<scene::Shape> makeShape(const FigureStyle &style, const scene::Point &at) const override;
    scene::Form formBetween(const scene::Point &from, const scene::Point &to) const override;
};

class FilledEllipseTool : public EllipseTool
{
protected:
    std::shared_ptr<scene::Shape> makeShape(const FigureStyle &style, const scene::Point &at) const override;
};

class LineTool : public ShapeTool
{
public:
    QString typeName() const override { return QStringLiteral("line"); }
    StartedFigure start(ToolCanvas &canvas, const FigureStyle &style, const scene::Point &at) const override;

protected:
    std::shared_ptr<scene::Shape> makeShape(const FigureStyle &style, const scene::Point &at) const override;
    scene::Form formBetween(const scene::Point &from, const scene::Point &to) const override;
};

// A Group of three lines: the shaft and two barbs at the pointer's end.
class ArrowTool : public DrawingTool
{
public:
    QString typeName() const override { return QStringLiteral("arrow"); }
    StartedFigure start(ToolCanvas &canvas, const FigureStyle &style, const scene::Point &at) const override;
    void drag(ToolCanvas &canvas, const std::shared_ptr<Figure> &latest, const scene::Point &from,
              const scene::Point &to) const override;
};

// A press places the typed text; dragging then steps its size, larger while the
// pointer moves right and down, smaller otherwise.
class TextTool : public DrawingTool
{
public:
    QString typeName() const override { return QStringLiteral("text"); }
    StartedFigure start(ToolCanvas &canvas, const FigureStyle &style, const scene::Point &at) const override;
    void drag(ToolCanvas &canvas, const std::shared_ptr<Figure> &latest, const scene::Point &from,
              const scene::Point &to) const override;
};
