#pragma once

#include <QString>

// What a notification reports on, so that a notification server with actions can
// offer to open it: "Open" and "Show in folder" for a file, "Open link" for an
// uploaded image's address. Either may be empty.
struct NotificationSubject {
    QString file;
    QString link;
};
