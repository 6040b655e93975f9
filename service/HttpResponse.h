#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// Why a request got no HTTP reply, as far as the network stack tells: what a user
// can act on differs (start the server, trust its certificate, check the address).
enum class TransportFault {
    None,
    Refused,        // nothing listens at the address
    HostNotFound,   // the host name does not resolve
    TimedOut,       // no progress for the stalled-transfer limit, or the connect timed out
    Certificate,    // the TLS handshake failed: mostly a certificate that is not trusted
    Other,          // proxy, a closed connection, no network module ...
};

// What came back. Redirects to a scheme no less safe are followed first.
struct HttpResponse {
    // No HTTP reply at all: connection, TLS, proxy or a stalled transfer.
    bool transportFailed = false;
    TransportFault fault = TransportFault::None;   // set with transportFailed
    // Anything but a clean reply: a transport failure or an HTTP error status.
    bool failed = false;
    QString errorText;
    bool hasStatus = false;
    qint64 status = 0;
    QByteArray body;
};
