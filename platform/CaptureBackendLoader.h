#pragma once

// Chooses the capture backend of the session. Kept apart from the backends'
// common interface, which every backend includes, so that no backend header and the
// choice of backend include each other.
#include "platform/CaptureBackend.h"

#include <memory>

// A backend for this session: the screenshot portal when captureUsesPortal(), an
// MIT-SHM grab on X11 when the server offers it, else QScreen::grabWindow
// (VORNIK_CAPTURE_BACKEND=qscreen asks for the last one).
std::unique_ptr<CaptureBackend> makeCaptureBackend();
