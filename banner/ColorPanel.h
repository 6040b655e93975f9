#pragma once

#include <QColor>
#include <QObject>
#include <functional>
#include <memory>

// A color panel shown without blocking, telling its target of every color the user
// picks. Behind this small interface so that a test can hand its own to the view that
// shows one and pick colors without a person.
class ColorPanel
{
public:
    using Action = std::function<void(const QColor &color)>;

    virtual ~ColorPanel() = default;

    // Shows the panel in front with keyboard focus; `action` runs for each color
    // picked (for every change while dragging when `continuous`). The action is
    // dropped when `target` goes away.
    virtual void show(QObject *target, Action action, bool continuous) = 0;

    // A panel on a QColorDialog of its own, made on first show.
    static std::unique_ptr<ColorPanel> dialog();
};
