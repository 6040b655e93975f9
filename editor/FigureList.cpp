#include "editor/FigureList.h"

#include <utility>

using namespace scene;

void FigureList::addItem(const QString &type, const std::shared_ptr<Figure> &record,
                           const std::shared_ptr<Shape> &shape, const std::shared_ptr<Text> &text,
                           const std::shared_ptr<Group> &group, double x, double y, double width, double height)
{
    for (const auto &item : std::as_const(lst))
        item->mSelected = false;
    record->mShape = shape;
    record->mText = text;
    record->mGroup = group;
    record->mSelected = true;
    record->mrect = QRectF(x, y, width, height);
    record->mobjType = type;
    lst.append(record);
}

void FigureList::removeItem(const std::shared_ptr<Figure> &record)
{
    lst.removeAll(record);
}

void FigureList::selectItems(const std::shared_ptr<Shape> &shape, const std::shared_ptr<Text> &text,
                               const std::shared_ptr<Group> &group)
{
    const bool none = !shape && !text && !group;
    for (const auto &item : std::as_const(lst))
        item->mSelected = !none && item->mShape == shape && item->mText == text && item->mGroup == group;
}

namespace {

template <typename Field>
std::shared_ptr<Figure> firstHolding(const QList<std::shared_ptr<Figure>> &lst, Field field,
                                          const Node *node)
{
    if (!node)
        return nullptr;
    for (const auto &item : lst) {
        const auto &held = (*item).*field;
        if (held && *held == *node)
            return item;
    }
    return nullptr;
}

} // namespace

void FigureList::setShapeOrigin(const Node *node, double x, double y)
{
    const auto record = firstHolding(lst, &Figure::mShape, node);
    if (record && record->mrect)
        record->mrect->moveTo(x, y);
}

void FigureList::setShapeSize(const Node *node, double width, double height)
{
    const auto record = firstHolding(lst, &Figure::mShape, node);
    if (record && record->mrect)
        record->mrect->setSize(QSizeF(width, height));
}

void FigureList::setGroupOrigin(const Node *node, double x, double y)
{
    const auto record = firstHolding(lst, &Figure::mGroup, node);
    if (record && record->mrect)
        record->mrect->moveTo(x, y);
}

void FigureList::setGroupSize(const Node *node, double width, double height)
{
    const auto record = firstHolding(lst, &Figure::mGroup, node);
    if (record && record->mrect)
        record->mrect->setSize(QSizeF(width, height));
}

std::shared_ptr<Figure> FigureList::recordFor(const Node *node) const
{
    if (auto r = firstHolding(lst, &Figure::mShape, node))
        return r;
    if (auto r = firstHolding(lst, &Figure::mText, node))
        return r;
    return firstHolding(lst, &Figure::mGroup, node);
}

std::shared_ptr<Figure> FigureList::firstSelected() const
{
    const auto it = std::find_if(lst.cbegin(), lst.cend(), [](const auto &item) { return item->mSelected; });
    return it == lst.cend() ? nullptr : *it;
}

QList<std::optional<QRectF>> FigureList::rects() const
{
    QList<std::optional<QRectF>> rectangles;
    for (const auto &record : lst) {
        if (record)
            rectangles << record->mrect;
    }
    return rectangles;
}
