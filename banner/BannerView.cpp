#include "banner/BannerView.h"

#include "platform/Preferences.h"
#include "service/WebPages.h"
#include "banner/BannerActions.h"
#include "banner/ColorPanel.h"
#include "banner/BannerPreview.h"
#include "editor/SegmentedToolBar.h"
#include "helpers/FilePanels.h"
#include "helpers/Notifier.h"
#include "helpers/NamedColors.h"
#include "platform/SettingsKeys.h"

#include <QImage>
#include <QTimer>
#include <climits>
#include <cstdio>

namespace {
void printLine(const char *text)
{
    std::fprintf(stderr, "%s\n", text);
}

// The banner color is kept by name: the palette name of `color`, or of the palette
// color nearest to it.
QString paletteNameFor(const QColor &color)
{
    QString nearest = QStringLiteral("red");
    int nearestDistance = INT_MAX;
    for (const QString &name : paletteColorNames()) {
        const QColor candidate = colorNamed(name);
        if (candidate == color)
            return name;
        const int dr = candidate.red() - color.red(), dg = candidate.green() - color.green(),
                  db = candidate.blue() - color.blue();
        if (const int distance = dr * dr + dg * dg + db * db; distance < nearestDistance) {
            nearestDistance = distance;
            nearest = name;
        }
    }
    return nearest;
}
} // namespace

BannerView::BannerView(BannerActions actions, BannerPreview &preview, QWidget *parent)
    : QWidget(parent)
    , m_actions(std::move(actions))
    , m_preview(preview)
    , m_ownColorPanel(ColorPanel::dialog())
    , m_colorPanel(m_ownColorPanel.get())
{
    setObjectName(QStringLiteral("bannerView"));
}

BannerView::~BannerView() = default;

void BannerView::buttonsBarClick(QObject *sender)
{
    auto *bar = qobject_cast<SegmentedToolBar *>(sender);
    if (!bar)
        return;
    switch (bar->selectedSegment()) {
    case saveSegment:
        saveBannerToFile();
        break;
    case loadSegment:
        loadPictureIntoPreview();
        break;
    case uploadSegment:
        uploadBannerImage();
        break;
    case colorSegment:
        showColorPanel();
        break;
    case resetSegment:
        resetBanner();
        break;
    case siteSegment:
        browseToSite(bar);
        break;
    default:
        break;
    }
}

void BannerView::changeBannercolorWithSender(const QColor &color)
{
    const QString name = paletteNameFor(color);
    if (name == bannerColorName())
        return;
    // Stored and shown at once, then sent with the image this window shows, as the
    // status menu's color change does.
    Preferences::standard().setString(SettingsKeys::bannerColor, name);
    m_preview.setBackgroundColor(colorNamed(name));
    m_actions.announceChange();
    m_actions.uploadBannerFromWindow(m_preview);
    m_actions.desktop().notifier->post(QStringLiteral("Banner"), QStringLiteral("New banner color information is uploaded."));
}

void BannerView::saveBannerToFile()
{
    printLine("save banner image to file");
    // The panel runs once this click has returned, as a sheet would.
    QTimer::singleShot(0, this, [this] {
        FilePanels::SaveRequest request;
        request.title = tr("Save Image");
        request.allowedFileTypes = {QStringLiteral("png")};
        request.defaultSuffix = QStringLiteral("png");
        request.proposedName = QStringLiteral("myimagefile.png");
        request.canCreateDirectories = true;
        request.showsHiddenFiles = true;
        const QString chosen = m_actions.desktop().filePanels->runSavePanel(request);
        if (!chosen.isEmpty()) {
            if (const QString saved = m_actions.savePreviewImage(m_preview, chosen); !saved.isEmpty())
                //: %1 is the file the banner was written to.
                m_actions.desktop().notifier->post(tr("File saved"), tr("You image was saved at %1").arg(chosen),
                                 NotificationSubject{saved, {}});
            else
                m_actions.desktop().notifier->post(tr("File save error"), tr("There was a problem saving image."));
        }
        emit savePanelFinished();
    });
}

void BannerView::loadPictureIntoPreview()
{
    printLine("Load picture into preview");
    const QString chosen = choosePNGFile(*m_actions.desktop().filePanels);
    if (chosen.isEmpty())
        return;
    const QImage image(chosen);
    // A file that does not decode would leave an empty preview and a banner path that
    // cannot be sent: keep the current banner instead.
    if (image.isNull()) {
        m_actions.desktop().notifier->post(tr("Banner Image Action"), tr("That file could not be read as a PNG image."));
        return;
    }
    m_preview.setImage(image);
    Preferences::standard().setString(SettingsKeys::bannerPath, chosen);
    m_actions.announceChange();
    m_actions.desktop().notifier->post(tr("Banner Image Action"), tr("Banner Image Uploaded!"));
}

void BannerView::uploadBannerImage()
{
    printLine("upload banner image");
    m_actions.uploadBannerFromWindow(m_preview);
    m_actions.desktop().notifier->post(tr("Banner Info"),
                     tr("Your banner will now be ued for your uploaded screen shot images."));
}

void BannerView::showColorPanel()
{
    printLine("change banner color");
    m_colorPanel->show(this, [this](const QColor &color) { changeBannercolorWithSender(color); }, true);
}

void BannerView::resetBanner()
{
    const QString red = QStringLiteral("red");
    Preferences::standard().setString(SettingsKeys::bannerColor, red);
    m_preview.setBackgroundColor(colorNamed(red));
    m_preview.setImage(defaultBannerImage());
    Preferences::standard().setString(SettingsKeys::bannerPath, m_actions.savePreviewImage(m_preview, QString()));
    m_actions.announceChange();
    m_actions.uploadBannerFromWindow(m_preview);
}

void BannerView::browseToSite(SegmentedToolBar *bar)
{
    printLine("Browse to Site");
    openWebPageText(*m_actions.desktop().opener, bar->segmentToolTip(siteSegment));
}
