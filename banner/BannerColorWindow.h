#pragma once

#include <QWidget>

class BannerColorPicker;
class ModalRuns;

// The small window in which the user picks the banner color. The caller runs it
// modally and closes it when the run ends; the choice is in the preference
// "bannercolor".
class BannerColorWindow : public QWidget
{
    Q_OBJECT
public:
    explicit BannerColorWindow(QWidget *parent = nullptr);

    // Shows the window through `runs` until a color is chosen, Cancel is clicked or
    // the window is closed.
    void runModal(ModalRuns &runs);

    // The palette shown as the window's content.
    BannerColorPicker *picker() const { return m_content; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void setUpWindow();
    bool m_centred = false;

    BannerColorPicker *m_content = nullptr;
};
