#pragma once

#include <QColor>
#include <QObject>
#include <functional>

// The desktop's shared color panel: one per process, shown without blocking, telling
// its target of every color the user picks. Behind this small interface so that a
// test can pick colors without a person.
class ColorPanel
{
public:
    using Action = std::function<void(const QColor &color)>;

    virtual ~ColorPanel() = default;

    // Shows the panel in front with keyboard focus; `action` runs for each color
    // picked (for every change while dragging when `continuous`). The action is
    // dropped when `target` goes away.
    virtual void show(QObject *target, Action action, bool continuous) = 0;

    // The panel in use: a shared QColorDialog unless replaced.
    static ColorPanel &shared();
    // Replaces the panel (not owned); nullptr restores the dialog.
    static void setShared(ColorPanel *panel);
};
