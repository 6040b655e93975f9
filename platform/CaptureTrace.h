#pragma once

// With VORNIK_CAPTURE_TRACE=1, one line on stderr per step of a capture:
// "vornik-trace STEP SECONDS" on the monotonic clock, which bench/hotkey_bench.py
// puts beside the moments it sees on the X server. Costs one test of a flag otherwise.
void traceCaptureStep(const char *step);
