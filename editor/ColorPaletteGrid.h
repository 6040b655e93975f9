#pragma once

#include "editor/ColorSwatch.h"
#include "editor/PaletteEntry.h"

#include <QColor>
#include <QList>
#include <QPushButton>
#include <QString>
#include <QWidget>

// The sixteen palette colors in the order the palette lists and compares them.
const QList<PaletteEntry> &paletteEntries();

// The sixteen on/off color buttons, each with its swatch, laid out in a grid. The
// editor's color popover and the banner color window share it; what a click stores
// is up to them.
class ColorPaletteGrid : public QWidget
{
    Q_OBJECT
public:
    explicit ColorPaletteGrid(QWidget *parent = nullptr);

    // The button ("<name>button") and swatch ("<name>clr") of a palette name, or
    // nullptr for a name outside the palette.
    QPushButton *button(const QString &name) const;
    ColorSwatch *swatch(const QString &name) const;

    void turnAllOff();
    // The names of the buttons that are on, in palette order.
    QStringList namesTurnedOn() const;

    // Turns on the button of the first entry whose swatch color (hexColor, alpha 1)
    // equals `color` (same color model and components), or the white button when none does;
    // returns the name turned on.
    QString turnOnButtonMatching(const QColor &color);

signals:
    // A color button was clicked; it has already toggled itself.
    void colorClicked(const QString &name, QPushButton *button);

private:
    QList<QPushButton *> m_buttons;   // palette order
    QList<ColorSwatch *> m_swatches;  // palette order
};
