#pragma once

// Chooses the capture backend of the session. Kept apart from the backends'
// common interface, which every backend includes, so that no backend header and the
// choice of backend include each other.
#include "platform/CaptureBackend.h"

#include <memory>

// A backend for this session. On Wayland the compositor's own capture where it offers
// one (KWin's ScreenShot2, wlroots' screencopy), with the screenshot portal behind it
// for any capture it fails, else the portal alone (VORNIK_CAPTURE_BACKEND=portal asks
// for the portal alone). On X11 an MIT-SHM grab when the server offers it, else
// QScreen::grabWindow (VORNIK_CAPTURE_BACKEND=qscreen asks for the last one).
std::unique_ptr<CaptureBackend> makeCaptureBackend();

// Whether this session can read the screen at all: on Wayland through the compositor's
// own interface or a screenshot portal on the session bus; on X11 always.
bool captureBackendAvailable();
