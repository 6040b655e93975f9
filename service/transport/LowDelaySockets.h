#pragma once

#include <QtGlobal>

// Qt's HTTP connections leave Nagle's algorithm on. A request body then ends in a
// short segment that the kernel holds back until the server acknowledges the data
// before it, and a server that delays its acknowledgement (40 ms on Linux) holds
// every upload up by that much. Qt gives no handle on those sockets, so this finds
// the process's own TCP connections to `port` and sets TCP_NODELAY on them.
// Returns how many connections it changed.
int disableNagleOnConnectionsTo(quint16 port);
