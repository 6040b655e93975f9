#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// What came back. Redirects to a scheme no less safe are followed first.
struct HttpResponse {
    // No HTTP reply at all: connection, TLS, proxy or a stalled transfer.
    bool transportFailed = false;
    // Anything but a clean reply: a transport failure or an HTTP error status.
    bool failed = false;
    QString errorText;
    bool hasStatus = false;
    qint64 status = 0;
    QByteArray body;
};
