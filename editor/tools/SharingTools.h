#pragma once

#include "editor/Scene.h"

#include <QColor>
#include <QIcon>
#include <QKeySequence>
#include <QList>
#include <QString>
#include <memory>

// What a sharing tool needs to start a figure, read by the canvas at the press.
struct FigureStart {
    QColor lineColor;
    double lineWidth = 4;
    QColor highlightColor;                     // the highlighter's own color
    std::shared_ptr<scene::Image> picture;     // the captured picture, for pixelate and blur
    int nextCounter = 1;                       // the number the next counter shows
};

// A drawing tool of the second group of segments. Each builds one kind of figure: a
// Group holding the tool's node, started at the press and drawn out while the pointer
// moves.
class SharingTool
{
public:
    virtual ~SharingTool() = default;

    // The kind of figure, kept as the figure record's type.
    virtual QString typeName() const = 0;
    virtual QString toolTip() const = 0;
    virtual QKeySequence shortcut() const = 0;
    // The segment's picture, drawn in code.
    QIcon icon() const;

    virtual std::shared_ptr<scene::Group> start(const FigureStart &with, const QPointF &at) const = 0;
    // The pointer is at `to` in the drag that began at `from`.
    virtual void drag(scene::Group &figure, const QPointF &from, const QPointF &to) const = 0;

protected:
    // Draws the icon into a 22 × 22 box.
    virtual void drawIcon(QPainter &painter) const = 0;
};

class PixelateTool : public SharingTool
{
public:
    QString typeName() const override { return QStringLiteral("pixelate"); }
    QString toolTip() const override { return QStringLiteral("Pixelate"); }
    QKeySequence shortcut() const override { return QKeySequence(Qt::Key_X); }
    std::shared_ptr<scene::Group> start(const FigureStart &with, const QPointF &at) const override;
    void drag(scene::Group &figure, const QPointF &from, const QPointF &to) const override;

protected:
    void drawIcon(QPainter &painter) const override;
};

class BlurTool : public SharingTool
{
public:
    QString typeName() const override { return QStringLiteral("blur"); }
    QString toolTip() const override { return QStringLiteral("Blur"); }
    QKeySequence shortcut() const override { return QKeySequence(Qt::Key_B); }
    std::shared_ptr<scene::Group> start(const FigureStart &with, const QPointF &at) const override;
    void drag(scene::Group &figure, const QPointF &from, const QPointF &to) const override;

protected:
    void drawIcon(QPainter &painter) const override;
};

class HighlighterTool : public SharingTool
{
public:
    QString typeName() const override { return QStringLiteral("highlighter"); }
    QString toolTip() const override { return QStringLiteral("Highlighter"); }
    QKeySequence shortcut() const override { return QKeySequence(Qt::Key_H); }
    std::shared_ptr<scene::Group> start(const FigureStart &with, const QPointF &at) const override;
    void drag(scene::Group &figure, const QPointF &from, const QPointF &to) const override;

protected:
    void drawIcon(QPainter &painter) const override;
};

class CounterTool : public SharingTool
{
public:
    QString typeName() const override { return QStringLiteral("counter"); }
    QString toolTip() const override { return QStringLiteral("Numbered marker"); }
    QKeySequence shortcut() const override { return QKeySequence(Qt::Key_N); }
    std::shared_ptr<scene::Group> start(const FigureStart &with, const QPointF &at) const override;
    void drag(scene::Group &, const QPointF &, const QPointF &) const override {}

protected:
    void drawIcon(QPainter &painter) const override;
};

class PenTool : public SharingTool
{
public:
    QString typeName() const override { return QStringLiteral("pen"); }
    QString toolTip() const override { return QStringLiteral("Pen"); }
    QKeySequence shortcut() const override { return QKeySequence(Qt::Key_P); }
    std::shared_ptr<scene::Group> start(const FigureStart &with, const QPointF &at) const override;
    void drag(scene::Group &figure, const QPointF &from, const QPointF &to) const override;

protected:
    void drawIcon(QPainter &painter) const override;
};

// The sharing tools in the order of their segments.
const QList<const SharingTool *> &sharingTools();

// The number a counter figure shows, or 0 for any other figure.
int counterNumber(const scene::Group &figure);
