#include "editor/colorpickerview.h"

#include "platform/Preferences.h"
#include "helpers/NamedColors.h"

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
        return QStringLiteral("bannercolor");
    case kLineTarget:
        return QStringLiteral("linecolor");
    case kFillTarget:
        return QStringLiteral("fillcolor");
    default:
        return QString();
    }
}

colorpickerview::colorpickerview(QWidget *parent)
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

void colorpickerview::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    viewWillAppear();
}

void colorpickerview::viewWillAppear()
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

void colorpickerview::chooseColor(const QString &name, QObject *sender)
{
    m_palette->turnAllOff();
    const QString key = colorTargetKey(colorTarget);
    if (!key.isEmpty())
        Preferences::standard().setString(key, name);
    if (auto *button = qobject_cast<QPushButton *>(sender))
        button->setChecked(true);
    repaintToolBarSwatch();
}

void colorpickerview::whitebuttonclick(QObject *sender) { chooseColor(QStringLiteral("white"), sender); }
void colorpickerview::silverbuttonclick(QObject *sender) { chooseColor(QStringLiteral("silver"), sender); }
void colorpickerview::graybuttonclick(QObject *sender) { chooseColor(QStringLiteral("gray"), sender); }
void colorpickerview::blackbuttonclick(QObject *sender) { chooseColor(QStringLiteral("black"), sender); }
void colorpickerview::redbuttonclick(QObject *sender) { chooseColor(QStringLiteral("red"), sender); }
void colorpickerview::marronbuttonclick(QObject *sender) { chooseColor(QStringLiteral("maroon"), sender); }
void colorpickerview::yellowbuttonclick(QObject *sender) { chooseColor(QStringLiteral("yellow"), sender); }
void colorpickerview::olivebuttonclick(QObject *sender) { chooseColor(QStringLiteral("olive"), sender); }
void colorpickerview::limebuttonclick(QObject *sender) { chooseColor(QStringLiteral("lime"), sender); }
void colorpickerview::greenbuttonclick(QObject *sender) { chooseColor(QStringLiteral("green"), sender); }
void colorpickerview::aquabuttonclick(QObject *sender) { chooseColor(QStringLiteral("aqua"), sender); }
void colorpickerview::tealbuttonclick(QObject *sender) { chooseColor(QStringLiteral("teal"), sender); }
void colorpickerview::bluebuttonclick(QObject *sender) { chooseColor(QStringLiteral("blue"), sender); }
void colorpickerview::navybuttonclick(QObject *sender) { chooseColor(QStringLiteral("navy"), sender); }
void colorpickerview::fuchsiabuttonclick(QObject *sender) { chooseColor(QStringLiteral("fuchsia"), sender); }
void colorpickerview::purplebuttonclick(QObject *sender) { chooseColor(QStringLiteral("purple"), sender); }

colorpickerpopover::colorpickerpopover(colorpickerview *view, QWidget *parent)
    : ToolPopover(view, parent)
    , m_view(view)
{
    setObjectName(QStringLiteral("colorpickerpopover"));
}
