#pragma once

#include "banner/BannerActions.h"

#include <QColor>
#include <QWidget>
#include <memory>

class BannerPreview;
class ColorPanel;
class SegmentedToolBar;

// The content of the banner window and the target of its button bar: each of the six
// segments saves, loads, uploads, recolors or resets the banner, or opens the site.
// The segments act on the window's own preview through the banner actions handed in.
class BannerView : public QWidget
{
    Q_OBJECT
public:
    // `preview` (not owned) must outlive the view; the window makes it a child of it.
    BannerView(BannerActions actions, BannerPreview &preview, QWidget *parent = nullptr);
    ~BannerView() override;

    // The color panel the color segment shows (not owned); by default a color dialog
    // of the view's own.
    void setColorPanel(ColorPanel *panel) { m_colorPanel = panel; }
    ColorPanel *colorPanel() const { return m_colorPanel; }
    const BannerActions &actions() const { return m_actions; }

    // The segments in bar order.
    enum Segment { saveSegment, loadSegment, uploadSegment, colorSegment, resetSegment, siteSegment };

public slots:
    // Acts on the sender's selected segment (the sender is the segmented bar).
    void buttonsBarClick(QObject *sender);
    // The color panel's action: the picked color (as the nearest palette name) becomes
    // the banner color at once and is sent with the preview's image; picking the color
    // already stored changes nothing.
    void changeBannercolorWithSender(const QColor &color);

signals:
    // The save panel of segment 0 has been answered (it runs after the click returns).
    void savePanelFinished();

private:
    void saveBannerToFile();
    void loadPictureIntoPreview();
    void uploadBannerImage();
    void showColorPanel();
    void resetBanner();
    void browseToSite(SegmentedToolBar *bar);

    BannerActions m_actions;
    BannerPreview &m_preview;
    std::unique_ptr<ColorPanel> m_ownColorPanel;
    ColorPanel *m_colorPanel = nullptr;
};
