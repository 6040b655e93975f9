#pragma once

#include <QRgb>
#include <QtGlobal>
#include <cmath>

// WCAG contrast of opaque colours, for tests that check what the user can tell apart.
namespace vtest {

inline double relativeLuminance(QRgb pixel)
{
    auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(qRed(pixel)) + 0.7152 * linear(qGreen(pixel)) + 0.0722 * linear(qBlue(pixel));
}

// From 1 (the same) to 21 (black on white); 3 is the least for interface graphics.
inline double contrastRatio(QRgb a, QRgb b)
{
    const double la = relativeLuminance(a), lb = relativeLuminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

} // namespace vtest
