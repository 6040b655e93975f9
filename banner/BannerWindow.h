#pragma once

#include "banner/BannerActions.h"

#include <QWidget>

class Preferences;
class SegmentedToolBar;
class BannerPreview;
class BannerView;

// The banner window: a six-segment button bar over a preview of the banner image on
// the banner color. Its segments act on its own preview through `actions`, which the
// status menu shares (TrayApp hands in its own). On first use (no "bannerpath") it shows the default logo on red and keeps that
// as the banner.
class BannerWindow : public QWidget
{
    Q_OBJECT
public:
    explicit BannerWindow(BannerActions actions, QWidget *parent = nullptr);

    Preferences &preferences;
    SegmentedToolBar *buttonBar = nullptr;
    BannerPreview *preview = nullptr;

    BannerView *bannerView() const { return m_view; }

    // Shows the window in front.
    void showWindow();

    // The segments' tool tips in bar order; the last is the product website.
    static QStringList segmentToolTips();

private:
    void setUpWindow();
    void showFirstUseBanner();
    void showStoredBanner();

    BannerView *m_view = nullptr;
};
