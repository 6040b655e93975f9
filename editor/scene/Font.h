#pragma once

#include <QFont>
#include <QString>

namespace scene {

// A font by family name, size in canvas points and weight ("normal" or "bold").
struct Font {
    QString name = QStringLiteral("Serif");
    int size = 12;
    QString weight = QStringLiteral("normal");
    QFont toQFont() const;
    friend bool operator==(const Font &, const Font &) = default;
};

} // namespace scene
