#pragma once

#include "service/ShareReply.h"

#include <QString>

// The key of the action a failed upload offers when no sharing service is set up; the
// application answers it (Notifier::actionRequested) with a way to set one up.
inline constexpr const char *kSetUpServiceAction = "set-up-service";

// Why an upload that ended with `reply` failed, in words for the user: the service is
// not running, its certificate is not trusted, it answered with an error, none is set
// up... `replyIsLink` is false when the service accepted the upload but its answer
// was no link.
QString uploadFailureReason(const ShareReply &reply, bool replyIsLink = true);
