#pragma once

#include <QWidget>

class BannerColorPicker;

// The small window in which the user picks the banner color. The caller runs it
// modally (ModalRuns) and closes it when the run ends; the choice is in the
// preference "bannercolor".
class BannerColorWindow : public QWidget
{
    Q_OBJECT
public:
    explicit BannerColorWindow(QWidget *parent = nullptr);

    // The palette shown as the window's content.
    BannerColorPicker *contentViewController() const { return m_content; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void windowDidLoad();
    bool m_centred = false;

    BannerColorPicker *m_content = nullptr;
};
