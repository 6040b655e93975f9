#include "platform/CaptureTrace.h"

#include <QtGlobal>

#include <cstdio>
#include <ctime>

void traceCaptureStep(const char *step)
{
    static const bool enabled = qEnvironmentVariableIntValue("VORNIK_CAPTURE_TRACE") == 1;
    if (!enabled)
        return;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::fprintf(stderr, "vornik-trace %s %lld.%09ld\n", step, static_cast<long long>(now.tv_sec), now.tv_nsec);
    std::fflush(stderr);
}
