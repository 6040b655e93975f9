#include "app/AppServices.h"

#include "banner/ModalRuns.h"
#include "platform/CaptureBackendLoader.h"
#include "platform/PortalGlobalShortcuts.h"

#include <QGuiApplication>
#include <QProcess>

namespace {
bool desktopCaptureBackendPresent()
{
    return captureBackendAvailable();
}

bool desktopHotKeyBackendPresent()
{
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        return true;
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland")) && PortalGlobalShortcuts::available();
}
} // namespace

AppServices AppServices::standard()
{
    AppServices services;
    services.captureBackendPresent = desktopCaptureBackendPresent;
    services.hotKeyBackendPresent = desktopHotKeyBackendPresent;
    services.startProgram = [](const QString &program, const QStringList &arguments) {
        return QProcess::startDetached(program, arguments);
    };
    services.modalRuns = ModalRuns::eventLoops();
    services.desktop = DesktopServices::standard();
    return services;
}
