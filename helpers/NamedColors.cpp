#include "helpers/NamedColors.h"

#include "platform/Preferences.h"
#include "platform/SettingsKeys.h"

#include <cmath>
#include <optional>

namespace {
struct NamedValue {
    const char *name;
    int rgb;
};

// The sixteen basic HTML 4.01 colors; "clear" has no value and is handled apart.
constexpr NamedValue kColorTable[] = {
    {"aqua", 0x00FFFF},   {"black", 0x000000}, {"blue", 0x0000FF},   {"fuchsia", 0xFF00FF},
    {"gray", 0x808080},   {"green", 0x008000}, {"lime", 0x00FF00},   {"maroon", 0x800000},
    {"navy", 0x000080},   {"olive", 0x808000}, {"purple", 0x800080}, {"red", 0xFF0000},
    {"silver", 0xC0C0C0}, {"teal", 0x008080}, {"white", 0xFFFFFF},  {"yellow", 0xFFFF00},
};

constexpr int kRed = 0xFF0000;

std::optional<int> valueOf(const QString &name)
{
    for (const auto &entry : kColorTable) {
        if (name == QLatin1String(entry.name))
            return entry.rgb;
    }
    return std::nullopt;
}

int component(qreal fraction)
{
    // std::lround rounds halves away from zero: 127.5 becomes 128.
    return int(std::lround(fraction * 255.0));
}

QString storedColorName(const QString &key)
{
    Preferences &prefs = Preferences::standard();
    const QString stored = prefs.stringForKey(key);
    if (prefs.hasKey(key))
        return stored;
    prefs.setString(key, QStringLiteral("red"));
    return QStringLiteral("red");
}
} // namespace

QColor hexColor(int rgbValue, qreal alpha)
{
    return QColor::fromRgbF(float(((rgbValue >> 16) & 0xFF) / 255.0), float(((rgbValue >> 8) & 0xFF) / 255.0),
                            float((rgbValue & 0xFF) / 255.0), float(alpha));
}

QColor colorNamed(const QString &name)
{
    if (name == QLatin1String("clear"))
        return QColor(0, 0, 0, 0);
    if (name == QLatin1String("white"))
        return QColor::fromHsvF(0.0f, 0.0f, 1.0f, 1.0f); // gray-scale white, like the system's
    return hexColor(valueOf(name).value_or(kRed), 1.0);
}

QColor macawColorNamed(const QString &name)
{
    if (name == QLatin1String("clear"))
        return QColor(0, 0, 0, 0);
    const int rgb = valueOf(name).value_or(kRed);
    return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

QString hexString(const QColor &color)
{
    const QColor rgb = color.toRgb();
    return QString::asprintf("#%02X%02X%02X", component(rgb.redF()), component(rgb.greenF()),
                             component(rgb.blueF()));
}

const QStringList &paletteColorNames()
{
    static const QStringList names = [] {
        QStringList list;
        for (const auto &entry : kColorTable)
            list << QString::fromLatin1(entry.name);
        return list;
    }();
    return names;
}

bool isKnownColorName(const QString &name)
{
    return name == QLatin1String("clear") || valueOf(name).has_value();
}

QString lineColorName()
{
    return storedColorName(SettingsKeys::lineColor);
}

QString fillColorName()
{
    return storedColorName(SettingsKeys::fillColor);
}

QString bannerColorName()
{
    return storedColorName(SettingsKeys::bannerColor);
}
