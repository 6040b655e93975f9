#pragma once

#include "platform/Preferences.h"

#include <QByteArray>
#include <QColor>
#include <QString>
#include <functional>

// The operations the request functions accept. `delete` is a keyword in C++, so
// that case carries a trailing underscore; the ordinal values are the service's.
enum class ShareOperation : int {
    upload = 0,
    salt = 1,
    shorthistory = 2,
    allhistory = 3,
    delete_ = 4,
};

// What the client knows about the last request. One record for the whole process,
// read and written on the main thread only (replies arrive there).
struct ShareClientState {
    qint64 lastStatusCode = 0;   // HTTP status of the last reply; 0 while in flight
    QString lastErrorText;       // description of the last failure, "" when none
    QString lastReplyText;       // body of the last reply, or a fixed failure word
    QString currentToken;        // the token made from the last salt
    QString currentUserID;       // the user id, as last read or made
};

// Every completion takes the reply (or failure) text. It is always called on the
// main thread, after the call that took it has returned, and exactly once.
using VorCompletion = std::function<void(const QString &text)>;

// The one client of the sharing service. Every operation is class-level and must be
// called on the main thread.
//
// A request chain is a salt request followed by the request that uses its token.
// Chains run one after another: a salt request started while another chain is in
// flight waits until that chain's last completion has run, so no chain ever sends
// another chain's token. Requests started from inside a salt continuation belong to
// that chain; the chain ends when their completions have run (or at once, when the
// continuation starts none). A completion that runs a modal loop therefore holds
// later chains back until it returns.
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

    // Fetches a salt and makes the token from it; `continuation` then runs with the
    // token, a failure text, or "Invalid Operation" when `op` is not salt.
    static void getSalt(ShareOperation op, VorCompletion continuation);

    // Salt, then a multipart POST of the file at `path`. Completes with the service's
    // reply (on success the image's address without scheme), a failure text, or
    // "Error: File doesn't exist".
    static void uploadFile(ShareOperation op, const QString &path, VorCompletion completion);

    // The same for a file that is still being written: the salt request goes out now,
    // the POST once the returned function has been called with the file's path (empty
    // when it could not be written, which completes as a missing file). Only the first
    // call counts. The chain holds its place in the queue meanwhile.
    using FileWritten = std::function<void(const QString &path)>;
    static FileWritten uploadFileOnceWritten(ShareOperation op, VorCompletion completion);

    // Salt, then deletes the uploaded image `name`. Completes with the reply text.
    static void deleteImage(ShareOperation op, const QString &name, VorCompletion completion);

    // The second half of a history chain: call it from a getSalt continuation.
    // Completes with the history reply body, "server returned error code" or
    // "not implemented".
    static void getHistory(ShareOperation op, VorCompletion completion);

    // The second half of a banner chain: call it from a getSalt continuation.
    // `imageName` is the banner image's full link; `color` the value of `colorName`.
    static void setUser(const QString &colorName, const QColor &color, const QString &imageName,
                        VorCompletion completion);

    // The process-wide client state.
    static const ShareClientState &state();

    // The client sets no deadline of its own, but a transfer that makes no progress at
    // all for this long (120 s) fails as a transport error: chains wait for each other,
    // and a dead connection must not hold every later request back. Tests shorten it.
    static int stalledTransferLimitMs();
    static void setStalledTransferLimitMs(int milliseconds);

    // The MD5 of the salt body exactly as received followed by sharedKey, in hex.
    static QString tokenForSalt(const QByteArray &saltBody);
    // The MD5 of a UUID's canonical text, in hex.
    static QString userIDForUUID(const QString &uuidText);
    // The set-user color text: "%23" and six upper-case hex digits.
    static QString colorText(const QString &colorName, const QColor &color);
    // The name of the form field that carries the user id: the bytes 5C 72 0A 0D 0A.
    static QByteArray userIDFieldName();

    // Kept for the callers that expect them; no operation reads them.
    QString tempbannerimagefile;
    Preferences &userDefaults = Preferences::standard();
};
