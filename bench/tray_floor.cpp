// The least a Qt Widgets tray program costs on this machine: an application object,
// a tray icon and a small menu, nothing else. bench/startup_bench.py measures it
// beside vornik (--reference), so Vornik's own share of start-up time and idle
// memory can be told apart from what the toolkit and the desktop libraries take.
#include <QApplication>
#include <QDateTime>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTimer>
#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    QMenu menu;
    for (const char *title : {"About", "Take a screenshot", "Tools", "Quit"})
        menu.addAction(QString::fromLatin1(title));

    // Drawn rather than decoded, so no image plugin is involved.
    QPixmap picture(22, 22);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setBrush(Qt::black);
    painter.drawEllipse(3, 3, 16, 16);
    painter.end();

    QSystemTrayIcon tray;
    tray.setIcon(QIcon(picture));
    tray.setContextMenu(&menu);
    tray.show();

    QTimer::singleShot(0, [] {
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        std::fprintf(stderr, "vornik: tray ready at %lld.%03lld\n", now / 1000, now % 1000);
        std::fflush(stderr);
    });
    return app.exec();
}
