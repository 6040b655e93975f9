#pragma once

// Chooses the capture backend of the session. Kept apart from the backends'
// common interface, which every backend includes, so that no backend header and the
// choice of backend include each other.
#include "platform/CaptureBackend.h"

#include <memory>

// The backend for this session: the screenshot portal when captureUsesPortal(), an
// MIT-SHM grab on X11 when the server offers it, else QScreen::grabWindow
// (VORNIK_CAPTURE_BACKEND=qscreen asks for the last one).
CaptureBackend &captureBackend();

// Replaces the process's backend (benchmarks compare them; tests may feed pictures).
// A null backend makes the next captureBackend() choose again.
void setCaptureBackend(std::unique_ptr<CaptureBackend> backend);
