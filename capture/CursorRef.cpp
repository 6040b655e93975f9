#include "capture/CursorRef.h"

namespace {
// Identities below this are reserved for the system shapes.
constexpr quint64 kFirstImageIdentity = 1000;
quint64 g_nextImageIdentity = kFirstImageIdentity;
} // namespace

CursorRef CursorRef::system(CursorShape shape)
{
    return {shape, static_cast<quint64>(shape) + 1};
}

CursorRef CursorRef::fromImage(CursorShape shape)
{
    return {shape, g_nextImageIdentity++};
}
