// Writes the application icon as PNG files for the hicolor theme at build time:
// DIR/NxN/apps/vornik.png for every size given, drawn by the tray icon's own engine
// so the menu, the tray and the scalable SVG show one picture.
#include "app/StatusIconEngine.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s DIR SIZE...\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    StatusIconEngine engine(StatusIconEngine::Variant::plain);
    for (int i = 2; i < argc; ++i) {
        const int side = std::atoi(argv[i]);
        if (side < 1 || side > 1024) {
            std::fprintf(stderr, "render_icon: bad size %s\n", argv[i]);
            return 2;
        }
        QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        engine.paint(&painter, image.rect(), QIcon::Normal, QIcon::Off);
        painter.end();
        const QString sized = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(side);
        if (!QDir().mkpath(sized) || !image.save(sized + QStringLiteral("/vornik.png"), "PNG")) {
            std::fprintf(stderr, "render_icon: cannot write %s/vornik.png\n", qPrintable(sized));
            return 1;
        }
    }
    return 0;
}
