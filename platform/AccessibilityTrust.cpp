#include "platform/AccessibilityTrust.h"

#include <QGuiApplication>

namespace {
AccessibilityTrust::Probe &probeSlot()
{
    static AccessibilityTrust::Probe probe;
    return probe;
}

bool platformAnswer()
{
    // The hot keys grab keys on the X server; only the xcb platform has one.
    return QGuiApplication::platformName() == QLatin1String("xcb");
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
