#pragma once

#include <QByteArray>
#include <QString>

// One HTTP request as the sharing-service client and the history preview send it.
struct HttpRequest {
    QString url;
    // GET when empty; POST with this content type and `body` otherwise.
    QByteArray contentType;
    QByteArray body;
    // A PEM or DER file of CA certificates trusted for https besides the system's.
    QString caFile;
    // A transfer that makes no progress for this long fails; 0 sets no limit.
    int stalledTransferMs = 0;
};
