#include "banner/BannerWindow.h"

#include "platform/Preferences.h"
#include "service/WebPages.h"
#include "banner/BannerActions.h"
#include "banner/BannerChanges.h"
#include "banner/ColorPanel.h"
#include "banner/BannerPreview.h"
#include "banner/BannerView.h"
#include "editor/SegmentedToolBar.h"
#include "helpers/ImageOutput.h"
#include "helpers/TempFolder.h"
#include "helpers/NamedColors.h"
#include "helpers/ResourceImages.h"
#include "platform/SettingsKeys.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

BannerWindow::BannerWindow(BannerActions actions, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , preferences(Preferences::standard())
{
    setObjectName(QStringLiteral("bannerWindow"));
    setWindowTitle(tr("Vornik banner"));
    setWindowIcon(iconNamed(QStringLiteral("AppIcon")));

    // The preview is made first so that the view can hold it; the layout makes it the
    // view's child.
    preview = new BannerPreview();
    m_view = new BannerView(std::move(actions), *preview, this);
    auto *content = new QVBoxLayout(m_view);
    buttonBar = new SegmentedToolBar(m_view);
    buttonBar->setObjectName(QStringLiteral("buttonBar"));
    for (const char *icon : {"save", "load", "upload", "color", "reset", "site"})
        buttonBar->addSegment(iconNamed(QStringLiteral("banner/banner-") + QLatin1String(icon)));
    preview->setObjectName(QStringLiteral("paintView"));
    preview->setMinimumSize(preview->sizeHint());
    content->addWidget(buttonBar, 0, Qt::AlignHCenter);
    content->addWidget(preview, 1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);

    connect(buttonBar, &SegmentedToolBar::segmentClicked, m_view, [this] { m_view->buttonsBarClick(buttonBar); });
    // Whichever side changes the banner, this preview shows what is stored.
    connect(&m_view->actions().changes(), &BannerChanges::changed, this, &BannerWindow::showStoredBanner);
    setUpWindow();
}

QStringList BannerWindow::segmentToolTips()
{
    return {tr("Save current banner to your computer"), tr("Load an image into the preview below."),
            tr("Upload an image to use as a Vornik banner."), tr("Change your Vornik banner color"),
            tr("Reset banner color and image"), homePageUrl()};
}

void BannerWindow::setUpWindow()
{
    if (preferences.stringForKey(SettingsKeys::bannerPath).isEmpty())
        showFirstUseBanner();
    else
        showStoredBanner();

    const QStringList tips = segmentToolTips();
    for (int i = 0; i < tips.size(); ++i)
        buttonBar->setSegmentToolTip(i, tips[i]);
}

void BannerWindow::showFirstUseBanner()
{
    const QString red = QStringLiteral("red");
    preferences.setString(SettingsKeys::bannerColor, red);
    preview->setBackgroundColor(colorNamed(red));
    preview->setImage(defaultBannerImage());
    // Kept as a view image: it is the banner until the user sends one of their own.
    if (!TempFolder::ensureFinalImagesFolder())
        return;
    const QString path = TempFolder::viewImagePath();
    if (writePNG(preview->image(), path))
        preferences.setString(SettingsKeys::bannerPath, path);
}

void BannerWindow::showStoredBanner()
{
    // A stored path that no longer reads (a file since removed) keeps the image shown.
    if (const QImage stored(preferences.stringForKey(SettingsKeys::bannerPath)); !stored.isNull() || preview->image().isNull())
        preview->setImage(stored);
    preview->setBackgroundColor(colorNamed(bannerColorName()));
    if (ColorPanel *panel = m_view ? m_view->colorPanel() : nullptr)
        panel->showColor(colorNamed(bannerColorName()));
}

void BannerWindow::showWindow()
{
    adjustSize();
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    show();
    raise();
    activateWindow();
}
