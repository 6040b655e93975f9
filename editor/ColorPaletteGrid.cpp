#include "editor/ColorPaletteGrid.h"

#include "helpers/NamedColors.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QPainter>

const QList<PaletteEntry> &paletteEntries()
{
    static const QList<PaletteEntry> entries = {
        {QStringLiteral("white"), QStringLiteral(QT_TRANSLATE_NOOP("ColorPalette", "White")), 0xFFFFFF},
        {QStringLiteral("silver"), QStringLiteral(QT_TRANSLATE_NOOP("ColorPalette", "Silver")), 0xC0C0C0},
        {QStringLiteral("gray"), QStringLiteral(QT_TRANSLATE_NOOP("ColorPalette", "Gray")), 0x808080},
        {QStringLiteral("black"), QStringLiteral(QT_TRANSLATE_NOOP("ColorPalette", "Black")), 0x000000},
        {QStringLiteral("red"), QStringLiteral(QT_TRANSLATE_NOOP("ColorPalette", "Red")), 0xFF0000},
        {QStringLiteral("maroon"), QStringLiteral(QT_TRANSLATE_NOOP("ColorPalette", "Maroon")), 0x800000},
        {QStringLiteral("yellow"), QStringLiteral(QT_TRANSLATE_NOOP("ColorPalette", "Yellow")), 0xFFFF00},
        {QStringLiteral("olive"), QStringLiteral(QT_TRANSLATE_NOOP("ColorPalette", "Olive")), 0x808000},
        {QStringLiteral("lime"), QStringLiteral(QT_TRANSLATE_NOOP("ColorPalette", "Lime")), 0x00FF00},
        {QStringLiteral("green"), QStringLiteral(QT_TRANSLATE_NOOP("ColorPalette", "Green")), 0x008000},
        {QStringLiteral("aqua"), QStringLiteral(QT_TRANSLATE_NOOP("ColorPalette", "Aqua")), 0x00FFFF},
        {QStringLiteral("teal"), QStringLiteral(QT_TRANSLATE_NOOP("ColorPalette", "Teal")), 0x008080},
        {QStringLiteral("blue"), QStringLiteral(QT_TRANSLATE_NOOP("ColorPalette", "Blue")), 0x0000FF},
        {QStringLiteral("navy"), QStringLiteral(QT_TRANSLATE_NOOP("ColorPalette", "Navy")), 0x000080},
        {QStringLiteral("fuchsia"), QStringLiteral(QT_TRANSLATE_NOOP("ColorPalette", "Fuchsia")), 0xFF00FF},
        {QStringLiteral("purple"), QStringLiteral(QT_TRANSLATE_NOOP("ColorPalette", "Purple")), 0x800080},
    };
    return entries;
}

ColorSwatch::ColorSwatch(QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(sizeHint());
}

void ColorSwatch::setColor(const QColor &color)
{
    m_color = color;
    update();
}

void ColorSwatch::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_color);
    painter.setPen(QColor(0, 0, 0, 90));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

ColorPaletteGrid::ColorPaletteGrid(QWidget *parent)
    : QWidget(parent)
{
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);
    // The chosen color must stand out from the fifteen others at a glance.
    setStyleSheet(QStringLiteral("QPushButton { padding: 2px 10px; }"
                                 "QPushButton:checked { font-weight: bold; border: 2px solid #2a5aa8;"
                                 " border-radius: 3px; background: #dbe6f7; }"));
    constexpr int kRows = 8;
    int row = 0;
    for (const PaletteEntry &entry : paletteEntries()) {
        auto *swatch = new ColorSwatch(this);
        swatch->setObjectName(entry.name + QLatin1String("clr"));
        swatch->setColor(hexColor(entry.rgb, 1.0));
        // The name is data (stored in the settings); its title is translated.
        const QString title = QCoreApplication::translate("ColorPalette", entry.toolTip.toUtf8().constData());
        auto *button = new QPushButton(title, this);
        button->setObjectName(entry.name + QLatin1String("button"));
        button->setCheckable(true);
        button->setToolTip(title);
        button->setAccessibleName(title);
        const int column = (row / kRows) * 2;
        grid->addWidget(swatch, row % kRows, column);
        grid->addWidget(button, row % kRows, column + 1);
        const QString name = entry.name;
        connect(button, &QPushButton::clicked, this, [this, name, button] { emit colorClicked(name, button); });
        m_buttons.append(button);
        m_swatches.append(swatch);
        ++row;
    }
}

QPushButton *ColorPaletteGrid::button(const QString &name) const
{
    const QList<PaletteEntry> &entries = paletteEntries();
    for (int i = 0; i < entries.size(); ++i) {
        if (entries[i].name == name)
            return m_buttons[i];
    }
    return nullptr;
}

ColorSwatch *ColorPaletteGrid::swatch(const QString &name) const
{
    const QList<PaletteEntry> &entries = paletteEntries();
    for (int i = 0; i < entries.size(); ++i) {
        if (entries[i].name == name)
            return m_swatches[i];
    }
    return nullptr;
}

void ColorPaletteGrid::turnAllOff()
{
    for (QPushButton *button : m_buttons)
        button->setChecked(false);
}

QStringList ColorPaletteGrid::namesTurnedOn() const
{
    QStringList names;
    const QList<PaletteEntry> &entries = paletteEntries();
    for (int i = 0; i < entries.size(); ++i) {
        if (m_buttons[i]->isChecked())
            names.append(entries[i].name);
    }
    return names;
}

QString ColorPaletteGrid::turnOnButtonMatching(const QColor &color)
{
    const QList<PaletteEntry> &entries = paletteEntries();
    for (int i = 0; i < entries.size(); ++i) {
        if (hexColor(entries[i].rgb, 1.0) == color) {
            m_buttons[i]->setChecked(true);
            return entries[i].name;
        }
    }
    // The system white and "clear" equal no swatch color; they show as white.
    m_buttons.first()->setChecked(true);
    return entries.first().name;
}
