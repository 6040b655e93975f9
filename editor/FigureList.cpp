#include "editor/FigureList.h"

#include <utility>

using namespace scene;

void FigureList::addItem(const QString &type, const std::shared_ptr<Figure> &record,
                           const std::shared_ptr<Shape> &shape, const std::shared_ptr<Text> &text,
                           const std::shared_ptr<Group> &group, double x, double y, double width, double height)
{
    for (const auto &item : std::as_const(items))
        item->selected = false;
    record->shape = shape;
    record->text = text;
    record->group = group;
    record->selected = true;
    record->rect = QRectF(x, y, width, height);
    record->typeName = type;
    items.append(record);
}

void FigureList::removeItem(const std::shared_ptr<Figure> &record)
{
    items.removeAll(record);
}

void FigureList::selectItems(const std::shared_ptr<Shape> &shape, const std::shared_ptr<Text> &text,
                               const std::shared_ptr<Group> &group)
{
    const bool none = !shape && !text && !group;
    for (const auto &item : std::as_const(items))
        item->selected = !none && item->shape == shape && item->text == text && item->group == group;
}

namespace {

template <typename Field>
std::shared_ptr<Figure> firstHolding(const QList<std::shared_ptr<Figure>> &items, Field field,
                                          const Node *node)
{
    if (!node)
        return nullptr;
    for (const auto &item : items) {
        const auto &held = (*item).*field;
        if (held && *held == *node)
            return item;
    }
    return nullptr;
}

} // namespace

void FigureList::setShapeOrigin(const Node *node, double x, double y)
{
    const auto record = firstHolding(items, &Figure::shape, node);
    if (record && record->rect)
        record->rect->moveTo(x, y);
}

void FigureList::setShapeSize(const Node *node, double width, double height)
{
    const auto record = firstHolding(items, &Figure::shape, node);
    if (record && record->rect)
        record->rect->setSize(QSizeF(width, height));
}

void FigureList::setGroupOrigin(const Node *node, double x, double y)
{
    const auto record = firstHolding(items, &Figure::group, node);
    if (record && record->rect)
        record->rect->moveTo(x, y);
}

void FigureList::setGroupSize(const Node *node, double width, double height)
{
    const auto record = firstHolding(items, &Figure::group, node);
    if (record && record->rect)
        record->rect->setSize(QSizeF(width, height));
}

std::shared_ptr<Figure> FigureList::recordFor(const Node *node) const
{
    if (auto r = firstHolding(items, &Figure::shape, node))
        return r;
    if (auto r = firstHolding(items, &Figure::text, node))
        return r;
    return firstHolding(items, &Figure::group, node);
}

std::shared_ptr<Figure> FigureList::firstSelected() const
{
    const auto it = std::find_if(items.cbegin(), items.cend(), [](const auto &item) { return item->selected; });
    return it == items.cend() ? nullptr : *it;
}

QList<std::optional<QRectF>> FigureList::rects() const
{
    QList<std::optional<QRectF>> rectangles;
    for (const auto &record : items) {
        if (record)
            rectangles << record->rect;
    }
    return rectangles;
}
