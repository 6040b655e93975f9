#pragma once

#include "editor/ColorPaletteGrid.h"

#include <QPushButton>
#include <QWidget>

// The content of the banner color window: the editor's sixteen-color palette, always
// editing the preference "bannercolor". A click on a color stores it and ends the
// window's modal run; Cancel ends the run and stores nothing.
class BannerColorPicker : public QWidget
{
    Q_OBJECT
public:
    explicit BannerColorPicker(QWidget *parent = nullptr);

    ColorPaletteGrid *palette() const { return m_palette; }

    // The Cancel button; the color buttons are the palette's (palette()->button(name)).
    QPushButton *cancelButton;

    // Turns on the button of the stored banner color ("red" is stored when there is
    // none). The other buttons are left as they are.
    void showStoredColor();

signals:
    // A color was chosen (and stored) or Cancel was clicked: the window may go.
    void finished();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void chooseColor(const QString &name);

    ColorPaletteGrid *m_palette;
};
