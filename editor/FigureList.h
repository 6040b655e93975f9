#pragma once

#include "editor/Figure.h"
#include "editor/scene/Group.h"
#include "editor/scene/Node.h"
#include "editor/scene/Shape.h"
#include "editor/scene/Text.h"

#include <QList>
#include <QRectF>
#include <QString>
#include <memory>
#include <optional>

// The figure records in order of creation.
class FigureList
{
public:
    QList<std::shared_ptr<Figure>> items;

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
