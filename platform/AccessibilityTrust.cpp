#include "platform/AccessibilityTrust.h"

#include "platform/PortalGlobalShortcuts.h"

#include <QGuiApplication>

namespace {
AccessibilityTrust::Probe &probeSlot()
{
    static AccessibilityTrust::Probe probe;
    return probe;
}

bool platformAnswer()
{
    // The hot keys grab keys on the X server; on Wayland they are asked of the
    // desktop's GlobalShortcuts portal, where it has one.
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        return true;
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland")) && PortalGlobalShortcuts::available();
}

bool ask(bool prompt)
{
    if (probeSlot())
        return probeSlot()(prompt);
    return platformAnswer();
}
} // namespace

bool AccessibilityTrust::isProcessTrusted()
{
    return ask(false);
}

bool AccessibilityTrust::isProcessTrustedWithPrompt()
{
    return ask(true);
}

void AccessibilityTrust::setProbe(Probe probe)
{
    probeSlot() = std::move(probe);
}
