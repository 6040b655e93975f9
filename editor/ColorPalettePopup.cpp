#include "editor/ColorPalettePopup.h"

#include "platform/Preferences.h"
#include "helpers/NamedColors.h"
#include "platform/SettingsKeys.h"

#include <QVBoxLayout>

namespace {
constexpr int kBannerTarget = 0;
constexpr int kLineTarget = 1;
constexpr int kFillTarget = 2;
constexpr int kLineSwatchSegment = 16;
constexpr int kFillSwatchSegment = 17;

void repaintToolBarSwatch()
{
    if (!sharedToolBar)
        return;
    if (colorTarget == kLineTarget) {
        if (ToolBarSegment *swatch = sharedToolBar->segment(kLineSwatchSegment))
            swatch->setSwatchColor(colorNamed(lineColorName()));
    } else if (colorTarget == kFillTarget) {
        if (ToolBarSegment *swatch = sharedToolBar->segment(kFillSwatchSegment))
            swatch->setSwatchColor(colorNamed(fillColorName()));
    }
}
} // namespace

QString colorTargetKey(int target)
{
    switch (target) {
    case kBannerTarget:
        return SettingsKeys::bannerColor;
    case kLineTarget:
        return SettingsKeys::lineColor;
    case kFillTarget:
        return SettingsKeys::fillColor;
    default:
        return QString();
    }
}

ColorPaletteView::ColorPaletteView(QWidget *parent)
    : QWidget(parent)
    , m_palette(new ColorPaletteGrid(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_palette);

    whitebutton = m_palette->button(QStringLiteral("white"));
    silverbutton = m_palette->button(QStringLiteral("silver"));
    graybutton = m_palette->button(QStringLiteral("gray"));
    blackbutton = m_palette->button(QStringLiteral("black"));
    redbutton = m_palette->button(QStringLiteral("red"));
    maroonbutton = m_palette->button(QStringLiteral("maroon"));
    yellowbutton = m_palette->button(QStringLiteral("yellow"));
    olivebutton = m_palette->button(QStringLiteral("olive"));
    limebutton = m_palette->button(QStringLiteral("lime"));
    greenbutton = m_palette->button(QStringLiteral("green"));
    aquabutton = m_palette->button(QStringLiteral("aqua"));
    tealbutton = m_palette->button(QStringLiteral("teal"));
    bluebutton = m_palette->button(QStringLiteral("blue"));
    navybutton = m_palette->button(QStringLiteral("navy"));
    fuchsiabutton = m_palette->button(QStringLiteral("fuchsia"));
    purplebutton = m_palette->button(QStringLiteral("purple"));

    connect(m_palette, &ColorPaletteGrid::colorClicked, this,
            [this](const QString &name, QPushButton *button) { chooseColor(name, button); });
}

void ColorPaletteView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    viewWillAppear();
}

void ColorPaletteView::viewWillAppear()
{
    QString stored;
    switch (colorTarget) {
    case kLineTarget:
        stored = lineColorName();
        break;
    case kFillTarget:
        stored = fillColorName();
        break;
    default:
        stored = bannerColorName();
        break;
    }
    m_palette->turnAllOff();
    m_palette->turnOnButtonMatching(colorNamed(stored));
}

void ColorPaletteView::chooseColor(const QString &name, QObject *sender)
{
    m_palette->turnAllOff();
    const QString key = colorTargetKey(colorTarget);
    if (!key.isEmpty())
        Preferences::standard().setString(key, name);
    if (auto *button = qobject_cast<QPushButton *>(sender))
        button->setChecked(true);
    repaintToolBarSwatch();
}

void ColorPaletteView::whitebuttonclick(QObject *sender) { chooseColor(QStringLiteral("white"), sender); }
void ColorPaletteView::silverbuttonclick(QObject *sender) { chooseColor(QStringLiteral("silver"), sender); }
void ColorPaletteView::graybuttonclick(QObject *sender) { chooseColor(QStringLiteral("gray"), sender); }
void ColorPaletteView::blackbuttonclick(QObject *sender) { chooseColor(QStringLiteral("black"), sender); }
void ColorPaletteView::redbuttonclick(QObject *sender) { chooseColor(QStringLiteral("red"), sender); }
void ColorPaletteView::maroonButtonClicked(QObject *sender) { chooseColor(QStringLiteral("maroon"), sender); }
void ColorPaletteView::yellowbuttonclick(QObject *sender) { chooseColor(QStringLiteral("yellow"), sender); }
void ColorPaletteView::olivebuttonclick(QObject *sender) { chooseColor(QStringLiteral("olive"), sender); }
void ColorPaletteView::limebuttonclick(QObject *sender) { chooseColor(QStringLiteral("lime"), sender); }
void ColorPaletteView::greenbuttonclick(QObject *sender) { chooseColor(QStringLiteral("green"), sender); }
void ColorPaletteView::aquabuttonclick(QObject *sender) { chooseColor(QStringLiteral("aqua"), sender); }
void ColorPaletteView::tealbuttonclick(QObject *sender) { chooseColor(QStringLiteral("teal"), sender); }
void ColorPaletteView::bluebuttonclick(QObject *sender) { chooseColor(QStringLiteral("blue"), sender); }
void ColorPaletteView::navybuttonclick(QObject *sender) { chooseColor(QStringLiteral("navy"), sender); }
void ColorPaletteView::fuchsiabuttonclick(QObject *sender) { chooseColor(QStringLiteral("fuchsia"), sender); }
void ColorPaletteView::purplebuttonclick(QObject *sender) { chooseColor(QStringLiteral("purple"), sender); }

ColorPalettePopup::ColorPalettePopup(ColorPaletteView *view, QWidget *parent)
    : ToolPopover(view, parent)
    , m_view(view)
{
    setObjectName(QStringLiteral("colorpickerpopover"));
}
