#pragma once

#include <QColor>
#include <QString>
#include <QStringList>

// Colors are spoken of by name: the sixteen basic HTML colors plus "clear".
// Names are matched exactly (lower case, no trimming); any other text means red.

// A platform color from a 0xRRGGBB value and an alpha fraction.
QColor hexColor(int rgbValue, qreal alpha);

// The color used for swatches and window backgrounds. "white" is the system white,
// a gray-scale color that is not equal to hexColor(0xFFFFFF, 1.0); "clear" is fully
// transparent.
QColor colorNamed(const QString &name);

// The color the annotation scene draws with (plain RGBA).
QColor macawColorNamed(const QString &name);

// "#RRGGBB" in upper-case hexadecimal, components rounded half away from zero.
QString hexString(const QColor &color);

// The sixteen palette names in palette order (without "clear").
const QStringList &paletteColorNames();

// Whether the name is one of the table's (including "clear").
bool isKnownColorName(const QString &name);

// Stored color names; an absent key stores "red" and reads as "red".
QString lineColorName();
QString fillColorName();
QString bannerColorName();
