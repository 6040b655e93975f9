#pragma once

#include <QPainterPath>

namespace scene {

class Rect;

// A form a Shape can take.
class Locus
{
public:
    virtual ~Locus() = default;
    // The smallest upright rectangle holding the form (positive width and height).
    virtual Rect bounds() const = 0;
    // The outline to fill and stroke.
    virtual QPainterPath path() const = 0;
};

} // namespace scene
