#include "editor/ColorPaletteView.h"

#include "platform/Preferences.h"
#include "helpers/NamedColors.h"
#include "platform/SettingsKeys.h"

#include <QVBoxLayout>

namespace {
// The preference key `target` edits, or an empty text for none.
QString preferenceKey(ColorPaletteView::Target target)
{
    switch (target) {
    case ColorPaletteView::Target::Banner:
        return SettingsKeys::bannerColor;
    case ColorPaletteView::Target::LineColor:
        return SettingsKeys::lineColor;
    case ColorPaletteView::Target::FillColor:
        return SettingsKeys::fillColor;
    case ColorPaletteView::Target::None:
        break;
    }
    return QString();
}
} // namespace

ColorPaletteView::ColorPaletteView(QWidget *parent)
    : QWidget(parent)
    , m_palette(new ColorPaletteGrid(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_palette);

    connect(m_palette, &ColorPaletteGrid::colorClicked, this, &ColorPaletteView::chooseColor);
}

void ColorPaletteView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    showStoredChoice();
}

void ColorPaletteView::showStoredChoice()
{
    QString stored;
    switch (m_target) {
    case Target::LineColor:
        stored = lineColorName();
        break;
    case Target::FillColor:
        stored = fillColorName();
        break;
    default:
        stored = bannerColorName();
        break;
    }
    m_palette->turnAllOff();
    m_palette->turnOnButtonMatching(colorNamed(stored));
}

void ColorPaletteView::chooseColor(const QString &name, QPushButton *button)
{
    m_palette->turnAllOff();
    const QString key = preferenceKey(m_target);
    if (!key.isEmpty())
        Preferences::standard().setString(key, name);
    if (button)
        button->setChecked(true);
    emit colorChosen(m_target, name);
}
