#pragma once

#include "service/HttpResponse.h"

#include <QString>

// Why a request to the sharing service did not end in an accepted reply.
enum class ShareError {
    None,            // the service answered with an accepted status and a text body
    HttpStatus,      // the service answered with another status; `status` and `body` hold it
    UnreadableReply, // an answer without a status, or with a body that is not UTF-8 text
    Transport,       // no answer at all: connection, TLS, proxy, a stalled transfer, no network module
    FileMissing,     // the file to upload is not there (or could not be written)
    FileUnreadable,  // the file to upload is there but cannot be read
};

// What a request to the sharing service ended with. Every completion of ShareClient
// gets one.
struct ShareReply {
    // The HTTP status; 0 when no answer with a status was read.
    int status = 0;
    // The answer's body as text; "" for an unreadable answer or when none came.
    QString body;
    ShareError error = ShareError::None;
    // The system's description for Transport and FileUnreadable ("Connection refused",
    // "Permission denied"); "" otherwise.
    QString errorText;
    // For Transport: what the network stack says went wrong.
    TransportFault fault = TransportFault::None;

    bool succeeded() const { return error == ShareError::None; }

    // An answer with a text body: accepted when its status is 2xx.
    static ShareReply answer(int status, const QString &body)
    {
        ShareReply reply;
        reply.status = status;
        reply.body = body;
        reply.error = status >= 200 && status < 300 ? ShareError::None : ShareError::HttpStatus;
        return reply;
    }

    // A request that ended without an answer to read.
    static ShareReply failure(ShareError error, const QString &errorText = QString(),
                              TransportFault fault = TransportFault::None)
    {
        ShareReply reply;
        reply.error = error;
        reply.errorText = errorText;
        reply.fault = fault;
        return reply;
    }
};
