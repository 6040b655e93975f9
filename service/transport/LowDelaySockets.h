#pragma once

#include <QtGlobal>

// Qt's HTTP connections leave Nagle's algorithm on. A request body then ends in a
// short segment that the kernel holds back until the server acknowledges the data
// before it, and a server that delays its acknowledgement (40 ms on Linux) holds
// every upload up by that much. Qt gives no handle on those sockets, so this finds
// the process's own TCP connections to `port` and sets TCP_NODELAY on them.
// Returns how many connections it changed.
//
// What it can and cannot do, since it works beside Qt rather than through it:
// - It matches on the remote port alone: every TCP connection of the process to that
//   port, to whatever host, loses Nagle's algorithm too. That only ever makes small
//   writes leave sooner; nothing is sent or dropped because of it.
// - It needs /proc/self/fd (Linux with /proc mounted). Without it nothing changes and
//   uploads keep the delayed-acknowledgement wait; nothing fails.
// - Through a proxy the connection goes to the proxy's port: unless that happens to
//   be the service's, nothing is found and the wait stays.
// - NetworkTransport calls it when a POST starts (for a connection kept open) and on
//   the first upload progress (for a new one). Data written before that call may
//   already be held back; the body's last segment, which is what waits, comes later.
// - Each call walks every descriptor of the process: cheap for a tray program's few
//   dozen, and it stops being called for a request once a connection has changed.
// A client that owns its sockets (QSslSocket or libcurl, which sets TCP_NODELAY
// itself) would need none of this.
int disableNagleOnConnectionsTo(quint16 port);
