#pragma once

#include "service/ShareReply.h"

#include <QByteArray>
#include <QColor>
#include <QString>
#include <functional>

// The one client of the sharing service. Every call must be made on the main thread.
//
// Every request is a chain: a salt request, then (except for fetchSalt) the request
// that spends the token made from it, then the completion, which gets a ShareReply.
// Chains run one after another in the order they were started, so no chain ever
// sends another chain's token. A chain ends when its completion has returned: a
// completion that runs a modal loop holds later chains back, and a call made from a
// completion starts a chain that waits behind those already queued.
//
// A salt that is refused still lets the second request go, with the token made from
// whatever text came back (with none when no text came); the completion then gets the
// answer to that second request.
class ShareClient
{
public:
    // Appended to every salt before hashing.
    static constexpr const char *sharedKey = "5d0c7a93e1b84f26a9c3e7d15b02f8c4";

    // The service's address, always ending in "/". From the environment variable
    // VORNIK_SERVICE_URL, else the preferences key "serviceurl", else the local
    // server that the run script starts.
    static QString serviceBaseURL();

    // The installation's anonymous user id (32 lower-case hex digits), made and stored
    // under "ApplicationUniqueIdentifier" on first use. Never touches the network.
    static QString getUserID();

    // Every completion runs on the main thread, after the call that took it has
    // returned, exactly once.
    using Completion = std::function<void(const ShareReply &reply)>;

    // Asks for a salt alone. The reply's body is the salt as received; its token is
    // tokenForSalt of those bytes.
    static void fetchSalt(Completion completion);
    // Asks the service at `baseURL` (ending in "/") for a salt, trusting `caFile` too
    // when given: a check of an address before it is stored. Runs beside the queue,
    // since it spends no token.
    static void probeSalt(const QString &baseURL, const QString &caFile, Completion completion);

    // Salt, then a multipart POST of the file at `path`. On success the body is the
    // image's address without scheme. A missing file ends with FileMissing and an
    // unreadable one with FileUnreadable, both without a POST.
    static void uploadFile(const QString &path, Completion completion);

    // The same for a file that is still being written: the salt request goes out now,
    // the POST once the returned function has been called with the file's path (empty
    // when it could not be written, which ends as a missing file). Only the first call
    // counts. The chain holds its place in the queue meanwhile.
    using FileWritten = std::function<void(const QString &path)>;
    static FileWritten uploadFileOnceWritten(Completion completion);

    // Salt, then deletes the uploaded image `name`.
    static void deleteImage(const QString &name, Completion completion);

    // Salt, then the history: the ten newest uploads, or all of them. Any status but
    // 200 is an HttpStatus failure.
    static void fetchRecentHistory(Completion completion);
    static void fetchAllHistory(Completion completion);

    // Salt, then the set-user request that gives the service the user's banner:
    // `imageLink` is the banner image's full link, `color` the value of `colorName`.
    static void setBanner(const QString &colorName, const QColor &color, const QString &imageLink,
                          Completion completion);

    // The client sets no deadline of its own, but a transfer that makes no progress at
    // all for this long (120 s) fails as a transport error: chains wait for each other,
    // and a dead connection must not hold every later request back. A positive
    // VORNIK_STALLED_TRANSFER_MS (milliseconds) sets another limit; tests shorten it.
    static int stalledTransferLimitMs();

    // The MD5 of the salt body exactly as received followed by sharedKey, in hex.
    static QString tokenForSalt(const QByteArray &saltBody);
    // The MD5 of a UUID's canonical text, in hex.
    static QString userIDForUUID(const QString &uuidText);
    // The set-user color text: "%23" and six upper-case hex digits.
    static QString colorText(const QString &colorName, const QColor &color);
    // The name of the form field that carries the user id: the bytes 5C 72 0A 0D 0A.
    static QByteArray userIDFieldName();
};
