#pragma once

#include <functional>

// Whether Vornik may watch the keyboard for its global hot keys. The other desktop
// asks the user for an accessibility grant; here the answer is whether a hot-key
// backend exists: true on X11, false elsewhere (Wayland has no global key grabs).
namespace AccessibilityTrust {

// Asks without any prompt.
bool isProcessTrusted();

// Asks and, where the desktop has such a thing, prompts the user to grant it.
bool isProcessTrustedWithPrompt();

// Replaces the answer (tests); `prompt` tells which of the two calls asked.
// An empty probe restores the platform's answer.
using Probe = std::function<bool(bool prompt)>;
void setProbe(Probe probe);

} // namespace AccessibilityTrust
