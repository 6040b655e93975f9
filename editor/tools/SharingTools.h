#pragma once

#include "editor/tools/DrawingTool.h"

#include <QColor>
#include <QIcon>
#include <QList>
#include <QString>
#include <memory>

// What a sharing tool needs to start a figure, read from the canvas at the press.
struct FigureStart {
    QColor lineColor;
    double lineWidth = 4;
    QColor highlightColor;                     // the highlighter's own color
    std::shared_ptr<scene::Image> picture;     // the captured picture, for pixelate and blur
    int nextCounter = 1;                       // the number the next counter shows
};

// A drawing tool of the second group of segments. Each builds one kind of figure: a
// Group holding the tool's node, started at the press and drawn out while the pointer
// moves, its record following what the group covers.
class SharingTool : public DrawingTool
{
public:
    StartedFigure start(ToolCanvas &canvas, const FigureStyle &style, const scene::Point &at) const final;
    // Draws out the latest figure when this tool made it.
    void drag(ToolCanvas &canvas, const std::shared_ptr<Figure> &latest, const scene::Point &from,
              const scene::Point &to) const final;

protected:
    virtual std::shared_ptr<scene::Group> startGroup(const FigureStart &with, const QPointF &at) const = 0;
    // The pointer is at `to` in the drag that began at `from`.
    virtual void dragGroup(scene::Group &figure, const QPointF &from, const QPointF &to) const = 0;
};

class PixelateTool : public SharingTool
{
public:
    QString typeName() const override { return QStringLiteral("pixelate"); }

protected:
    std::shared_ptr<scene::Group> startGroup(const FigureStart &with, const QPointF &at) const override;
    void dragGroup(scene::Group &figure, const QPointF &from, const QPointF &to) const override;
    void drawIcon(QPainter &painter) const override;
};

class BlurTool : public SharingTool
{
public:
    QString typeName() const override { return QStringLiteral("blur"); }

protected:
    std::shared_ptr<scene::Group> startGroup(const FigureStart &with, const QPointF &at) const override;
    void dragGroup(scene::Group &figure, const QPointF &from, const QPointF &to) const override;
    void drawIcon(QPainter &painter) const override;
};

class HighlighterTool : public SharingTool
{
public:
    QString typeName() const override { return QStringLiteral("highlighter"); }

protected:
    std::shared_ptr<scene::Group> startGroup(const FigureStart &with, const QPointF &at) const override;
    void dragGroup(scene::Group &figure, const QPointF &from, const QPointF &to) const override;
    void drawIcon(QPainter &painter) const override;
};

class CounterTool : public SharingTool
{
public:
    QString typeName() const override { return QStringLiteral("counter"); }

protected:
    std::shared_ptr<scene::Group> startGroup(const FigureStart &with, const QPointF &at) const override;
    void dragGroup(scene::Group &, const QPointF &, const QPointF &) const override {}
    void drawIcon(QPainter &painter) const override;
};

class PenTool : public SharingTool
{
public:
    QString typeName() const override { return QStringLiteral("pen"); }

protected:
    std::shared_ptr<scene::Group> startGroup(const FigureStart &with, const QPointF &at) const override;
    void dragGroup(scene::Group &figure, const QPointF &from, const QPointF &to) const override;
    void drawIcon(QPainter &painter) const override;
};

// The number a counter figure shows, or 0 for any other figure.
int counterNumber(const scene::Group &figure);
