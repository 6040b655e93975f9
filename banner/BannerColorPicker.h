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

    // The buttons and swatches, in the order the editor's palette declares them.
    QPushButton *silverbutton, *graybutton, *blackbutton, *redbutton, *maroonbutton, *yellowbutton,
        *olivebutton, *limebutton, *greenbutton, *aquabutton, *tealbutton, *bluebutton, *navybutton,
        *fuchsiabutton, *purplebutton;
    ColorSwatch *aquaclr, *blackclr, *blueclr, *grayclr, *greenclr, *limeclr, *maroonclr, *navyclr,
        *oliveclr, *purpleclr, *redclr, *silverclr, *tealclr, *yellowclr, *fuchsiaclr;
    QPushButton *whitebutton;
    ColorSwatch *whiteclr;
    QPushButton *cancelbutton;

    // Turns on the button of the stored banner color ("red" is stored when there is
    // none). The other buttons are left as they are.
    void viewWillAppear();

public slots:
    void whitebuttonclick(QObject *sender = nullptr);
    void silverbuttonclick(QObject *sender = nullptr);
    void graybuttonclick(QObject *sender = nullptr);
    void blackbuttonclick(QObject *sender = nullptr);
    void redbuttonclick(QObject *sender = nullptr);
    void maroonButtonClicked(QObject *sender = nullptr);
    void yellowbuttonclick(QObject *sender = nullptr);
    void olivebuttonclick(QObject *sender = nullptr);
    void limebuttonclick(QObject *sender = nullptr);
    void greenbuttonclick(QObject *sender = nullptr);
    void aquabuttonclick(QObject *sender = nullptr);
    void tealbuttonclick(QObject *sender = nullptr);
    void bluebuttonclick(QObject *sender = nullptr);
    void navybuttonclick(QObject *sender = nullptr);
    void fuchsiabuttonclick(QObject *sender = nullptr);
    void purplebuttonclick(QObject *sender = nullptr);
    void cancelclick(QObject *sender = nullptr);

signals:
    // A color was chosen (and stored) or Cancel was clicked: the window may go.
    void finished();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void chooseColor(const QString &name);

    ColorPaletteGrid *m_palette;
};
