#pragma once

#include <QColor>
#include <QObject>
#include <functional>
#include <memory>

class QWidget;

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

    // Shows `color` as the one in force, when it was changed elsewhere.
    virtual void showColor(const QColor &) {}

    // The panel's window once it has been shown; null before, or for a panel without one.
    virtual QWidget *window() const { return nullptr; }

    // The sixteen banner colors in a window of their own, made on first show: a click
    // on a color picks it at once (the banner colors are the palette's names), and the
    // stored banner color is shown turned on.
    static std::unique_ptr<ColorPanel> dialog();
};
