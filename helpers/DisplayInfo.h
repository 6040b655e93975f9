#pragma once

#include <QString>
#include <QtGlobal>

class QScreen;

// Identification of displays (QScreen): a numeric id per display, the lookup by that
// id, and a human-readable product name.
//
// The id is a 32-bit number derived from the screen's name (the output or monitor
// name the windowing system gives it, such as "DP-1"), so it stays the same for a
// display across runs and while other displays come and go. It is never 0.

quint32 displayID(const QScreen *screen);

// The first screen, in QGuiApplication::screens() order, whose id is `id`; nullptr when
// none matches.
QScreen *getByDisplayID(quint32 id);

// "manufacturer model" as the screen reports it; "Unknown" when it reports neither.
QString displayName(const QScreen *screen);

// The pure parts, for screens that are described rather than connected.
quint32 displayIDForName(const QString &screenName);
QString displayNameFrom(const QString &manufacturer, const QString &model);
