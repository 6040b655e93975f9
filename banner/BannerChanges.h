#pragma once

#include <QObject>

// Tells every view of the banner that its stored image or color changed, whichever
// side (status menu or a banner window) changed it, so that they all show the same.
class BannerChanges : public QObject
{
    Q_OBJECT
signals:
    void changed();
};
