// A wallpaper for the Wayland tests on desktops whose compositor shows none of its own
// (KWin without Plasma, GNOME Shell): a full-screen window showing a picture 1:1 on
// the output at a point of the layout.
//     wallpaper PICTURE X Y
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRasterWindow>
#include <QScreen>
#include <cstdio>

namespace {
class WallpaperWindow : public QRasterWindow
{
public:
    explicit WallpaperWindow(const QImage &picture)
        : m_picture(picture)
    {
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.drawImage(QRect(QPoint(0, 0), size()), m_picture);
    }

private:
    QImage m_picture;
};
} // namespace

int main(int argc, char **argv)
{
    QGuiApplication application(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: wallpaper PICTURE X Y\n");
        return 2;
    }
    const QImage picture(QString::fromLocal8Bit(argv[1]));
    const QPoint at(QByteArray(argv[2]).toInt(), QByteArray(argv[3]).toInt());
    QScreen *screen = nullptr;
    for (QScreen *candidate : QGuiApplication::screens())
        if (candidate->geometry().contains(at))
            screen = candidate;
    if (picture.isNull() || !screen) {
        std::fprintf(stderr, "wallpaper: no picture, or no output at (%d, %d)\n", at.x(), at.y());
        return 1;
    }
    WallpaperWindow window(picture);
    window.setTitle(QStringLiteral("Vornik test wallpaper"));
    window.setScreen(screen);
    window.setGeometry(screen->geometry());
    window.showFullScreen();
    return application.exec();
}
