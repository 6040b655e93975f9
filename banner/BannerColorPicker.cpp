#include "banner/BannerColorPicker.h"

#include "platform/Preferences.h"
#include "helpers/NamedColors.h"
#include "platform/SettingsKeys.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

BannerColorPicker::BannerColorPicker(QWidget *parent)
    : QWidget(parent)
    , m_palette(new ColorPaletteGrid(this))
{
    setObjectName(QStringLiteral("bannercolor"));
    auto *layout = new QVBoxLayout(this);
    auto *heading = new QLabel(QStringLiteral("Banner color"), this);
    layout->addWidget(heading);
    layout->addWidget(m_palette);
    cancelbutton = new QPushButton(QStringLiteral("Cancel"), this);
    cancelbutton->setObjectName(QStringLiteral("cancelbutton"));
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(cancelbutton);
    layout->addLayout(row);

    auto button = [this](const char *name) { return m_palette->button(QLatin1String(name)); };
    auto swatch = [this](const char *name) { return m_palette->swatch(QLatin1String(name)); };
    silverbutton = button("silver"), graybutton = button("gray"), blackbutton = button("black");
    redbutton = button("red"), maroonbutton = button("maroon"), yellowbutton = button("yellow");
    olivebutton = button("olive"), limebutton = button("lime"), greenbutton = button("green");
    aquabutton = button("aqua"), tealbutton = button("teal"), bluebutton = button("blue");
    navybutton = button("navy"), fuchsiabutton = button("fuchsia"), purplebutton = button("purple");
    aquaclr = swatch("aqua"), blackclr = swatch("black"), blueclr = swatch("blue"), grayclr = swatch("gray");
    greenclr = swatch("green"), limeclr = swatch("lime"), maroonclr = swatch("maroon"), navyclr = swatch("navy");
    oliveclr = swatch("olive"), purpleclr = swatch("purple"), redclr = swatch("red");
    silverclr = swatch("silver"), tealclr = swatch("teal"), yellowclr = swatch("yellow");
    fuchsiaclr = swatch("fuchsia");
    whitebutton = button("white");
    whiteclr = swatch("white");

    connect(m_palette, &ColorPaletteGrid::colorClicked, this,
            [this](const QString &name, QPushButton *) { chooseColor(name); });
    connect(cancelbutton, &QPushButton::clicked, this, [this] { cancelclick(cancelbutton); });
}

void BannerColorPicker::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    viewWillAppear();
}

void BannerColorPicker::viewWillAppear()
{
    m_palette->turnOnButtonMatching(colorNamed(bannerColorName()));
}

void BannerColorPicker::chooseColor(const QString &name)
{
    // The window closes right after, so the clicked button is not turned on.
    m_palette->turnAllOff();
    Preferences::standard().setString(SettingsKeys::bannerColor, name);
    emit finished();
}

void BannerColorPicker::cancelclick(QObject *)
{
    emit finished();
}

void BannerColorPicker::whitebuttonclick(QObject *) { chooseColor(QStringLiteral("white")); }
void BannerColorPicker::silverbuttonclick(QObject *) { chooseColor(QStringLiteral("silver")); }
void BannerColorPicker::graybuttonclick(QObject *) { chooseColor(QStringLiteral("gray")); }
void BannerColorPicker::blackbuttonclick(QObject *) { chooseColor(QStringLiteral("black")); }
void BannerColorPicker::redbuttonclick(QObject *) { chooseColor(QStringLiteral("red")); }
void BannerColorPicker::maroonButtonClicked(QObject *) { chooseColor(QStringLiteral("maroon")); }
void BannerColorPicker::yellowbuttonclick(QObject *) { chooseColor(QStringLiteral("yellow")); }
void BannerColorPicker::olivebuttonclick(QObject *) { chooseColor(QStringLiteral("olive")); }
void BannerColorPicker::limebuttonclick(QObject *) { chooseColor(QStringLiteral("lime")); }
void BannerColorPicker::greenbuttonclick(QObject *) { chooseColor(QStringLiteral("green")); }
void BannerColorPicker::aquabuttonclick(QObject *) { chooseColor(QStringLiteral("aqua")); }
void BannerColorPicker::tealbuttonclick(QObject *) { chooseColor(QStringLiteral("teal")); }
void BannerColorPicker::bluebuttonclick(QObject *) { chooseColor(QStringLiteral("blue")); }
void BannerColorPicker::navybuttonclick(QObject *) { chooseColor(QStringLiteral("navy")); }
void BannerColorPicker::fuchsiabuttonclick(QObject *) { chooseColor(QStringLiteral("fuchsia")); }
void BannerColorPicker::purplebuttonclick(QObject *) { chooseColor(QStringLiteral("purple")); }
