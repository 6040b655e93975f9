#pragma once

#include "helpers/NotificationSubject.h"

#include <QString>
#include <functional>

// The one way Vornik reports to the user: a desktop notification titled
// "Vornik notification" with the given subtitle and text.
//
// Delivered through org.freedesktop.Notifications on the session bus. Without a
// notification server it falls back to the tray balloon (when the application has
// installed one with setNotificationFallback) and then to a line on stderr.
void postNotification(const QString &subtitle, const QString &text);

void postNotification(const QString &subtitle, const QString &text, const NotificationSubject &subject);

// The icon and desktop entry the notifications name: both "vornik".
inline constexpr const char *kNotificationIconName = "vornik";

// The title every notification carries.
inline constexpr const char *kNotificationTitle = "Vornik notification";

// Shows a notification some other way when the desktop has no notification server;
// returns false when it could not show it either. The tray installs one.
using NotificationFallback = std::function<bool(const QString &title, const QString &subtitle, const QString &text)>;
void setNotificationFallback(NotificationFallback fallback);
