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
    setObjectName(QStringLiteral("bannerColorPicker"));
    auto *layout = new QVBoxLayout(this);
    auto *heading = new QLabel(tr("Banner color"), this);
    layout->addWidget(heading);
    layout->addWidget(m_palette);
    cancelButton = new QPushButton(tr("Cancel"), this);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(cancelButton);
    layout->addLayout(row);

    connect(m_palette, &ColorPaletteGrid::colorClicked, this,
            [this](const QString &name, QPushButton *) { chooseColor(name); });
    connect(cancelButton, &QPushButton::clicked, this, &BannerColorPicker::finished);
}

void BannerColorPicker::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    showStoredColor();
}

void BannerColorPicker::showStoredColor()
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

