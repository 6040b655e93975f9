#pragma once

#include <QString>
#include <QVariantMap>

// One shortcut as org.freedesktop.portal.GlobalShortcuts passes it: an id of the
// application's own and its properties ("description", "preferred_trigger", and in
// the portal's answer "trigger_description").
struct PortalShortcut {
    QString id;
    QVariantMap properties;
};
