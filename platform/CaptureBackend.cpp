#include "platform/CaptureBackend.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>

void CaptureBackend::grabScreens(const QList<QScreen *> &screens, const ScreensGrabbed &done)
{
    QList<QImage> pictures;
    pictures.reserve(screens.size());
    for (QScreen *screen : screens)
        pictures.append(grabScreen(screen));
    done(pictures, QString());
}

QString requestedCaptureBackend()
{
    return qEnvironmentVariable("VORNIK_CAPTURE_BACKEND").trimmed().toLower();
}

bool captureUsesPortal()
{
    return requestedCaptureBackend() == QLatin1String("portal")
        || QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

QImage CaptureBackend::grabOneWaiting(QScreen *screen)
{
    if (!screen)
        return QImage();
    QImage picture;
    bool answered = false;
    QEventLoop loop;
    grabScreens({screen}, [&](const QList<QImage> &pictures, const QString &) {
        picture = pictures.value(0);
        answered = true;
        loop.quit();
    });
    if (!answered)
        loop.exec();
    return picture;
}
