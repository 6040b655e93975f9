#pragma once

#include "editor/tools/SharingTool.h"

// A click drops the next number.
class CounterTool : public SharingTool
{
public:
    QString typeName() const override { return QStringLiteral("counter"); }
    bool drawsOnClick() const override { return true; }

protected:
    std::shared_ptr<scene::Group> startGroup(const FigureStart &with, const QPointF &at) const override;
    void dragGroup(scene::Group &, const QPointF &, const QPointF &) const override {}
    void drawIcon(QPainter &painter) const override;
};

// The number a counter figure shows, or 0 for any other figure.
int counterNumber(const scene::Group &figure);
