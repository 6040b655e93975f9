#pragma once

#include <QList>
#include <QString>
#include <functional>
#include <utility>

// A choice a notification offers beyond opening its subject ("Retry", say): the key
// the server reports back, the label it shows, and what choosing it does. Without
// `run`, choosing it emits Notifier::actionRequested with the key, for a higher layer
// to answer.
struct NotificationAction {
    QString key;
    QString label;
    std::function<void()> run;
};

// What a notification reports on, so that a notification server with actions can
// offer to open it: "Open" and "Show in folder" for a file, "Open link" for an
// uploaded image's address. Either may be empty. `actions` come after those.
struct NotificationSubject {
    NotificationSubject(QString file = {}, QString link = {})
        : file(std::move(file))
        , link(std::move(link))
    {
    }

    QString file;
    QString link;
    QList<NotificationAction> actions;
};
