#pragma once

#include "editor/ColorPaletteGrid.h"
#include "editor/SegmentedToolBar.h"
#include "editor/ToolPopover.h"

#include <QPointer>

// Which stored color the palette edits: 0 the banner color ("bannercolor"), 1 the
// line color ("linecolor"), 2 the fill color ("fillcolor"); any other value, none.
inline int colorTarget = -1;
// The editor tool bar whose swatch segments (16 line color, 17 fill color) the
// palette repaints; the editor publishes it when a color segment is clicked.
inline QPointer<SegmentedToolBar> sharedToolBar;

// The preference key colorTarget selects, or an empty text for none.
QString colorTargetKey(int target);

// The content of the editor's color popover: sixteen colors; a click stores the color
// for colorTarget and repaints the matching swatch of sharedToolBar.
class ColorPaletteView : public QWidget
{
    Q_OBJECT
public:
    explicit ColorPaletteView(QWidget *parent = nullptr);

    ColorPaletteGrid *palette() const { return m_palette; }

    QPushButton *whitebutton, *silverbutton, *graybutton, *blackbutton, *redbutton, *maroonbutton,
        *yellowbutton, *olivebutton, *limebutton, *greenbutton, *aquabutton, *tealbutton, *bluebutton,
        *navybutton, *fuchsiabutton, *purplebutton;

    // Turns on the button of the stored color for colorTarget (see showStoredChoice).
    void viewWillAppear();

public slots:
    void whitebuttonclick(QObject *sender);
    void silverbuttonclick(QObject *sender);
    void graybuttonclick(QObject *sender);
    void blackbuttonclick(QObject *sender);
    void redbuttonclick(QObject *sender);
    void maroonButtonClicked(QObject *sender);
    void yellowbuttonclick(QObject *sender);
    void olivebuttonclick(QObject *sender);
    void limebuttonclick(QObject *sender);
    void greenbuttonclick(QObject *sender);
    void aquabuttonclick(QObject *sender);
    void tealbuttonclick(QObject *sender);
    void bluebuttonclick(QObject *sender);
    void navybuttonclick(QObject *sender);
    void fuchsiabuttonclick(QObject *sender);
    void purplebuttonclick(QObject *sender);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void chooseColor(const QString &name, QObject *sender);

    ColorPaletteGrid *m_palette;
};

// The transient popup holding the color palette.
class ColorPalettePopup : public ToolPopover
{
    Q_OBJECT
public:
    explicit ColorPalettePopup(ColorPaletteView *view, QWidget *parent = nullptr);
    ColorPaletteView *view() const { return m_view; }

private:
    ColorPaletteView *m_view;
};
