#pragma once

#include "editor/ColorPaletteGrid.h"

#include <QString>

// The content of the editor's color popover: sixteen colors. A click stores the color
// under the key of the palette's target and reports it; the editor repaints its swatch.
class ColorPaletteView : public QWidget
{
    Q_OBJECT
public:
    // Which stored color the palette edits: the banner color ("bannercolor"), the line
    // color ("linecolor") or the fill color ("fillcolor"); with None a click stores nothing.
    enum class Target { None = -1, Banner = 0, LineColor = 1, FillColor = 2 };
    Q_ENUM(Target)

    explicit ColorPaletteView(QWidget *parent = nullptr);

    ColorPaletteGrid *palette() const { return m_palette; }

    void setTarget(Target target) { m_target = target; }
    Target target() const { return m_target; }

    // Turns on the button of the color stored for the target (the banner color when
    // there is none), and only that one.
    void showStoredChoice();

signals:
    // A color was clicked and stored for `target`.
    void colorChosen(ColorPaletteView::Target target, const QString &name);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void chooseColor(const QString &name, QPushButton *button);

    ColorPaletteGrid *m_palette;
    Target m_target = Target::None;
};
