#pragma once

#include <QList>
#include <QRectF>
#include <QString>
#include <memory>
#include <optional>

class Shape;
class Text;
class Group;

// One figure of the annotation editor: which scene node it is, where it lies and
// what kind it is. Records are compared by identity.
class drawingItem
{
public:
    Shape *mShape = nullptr;
    Text *mText = nullptr;
    Group *mGroup = nullptr;
    std::optional<QRectF> mrect;   // canvas points; absent until added to a list
    bool mSelected = false;
    double mlinelength = -1.0;
    QString mobjType;              // "ellipse", "rectangle", "line", "arrow" or "text"
};

// The figure records in order of creation.
class drawingItems
{
public:
    QList<std::shared_ptr<drawingItem>> lst;
};
