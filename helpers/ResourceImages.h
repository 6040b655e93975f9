#pragma once

#include <QIcon>
#include <QImage>
#include <QString>

// Pictures compiled into the binary, looked up by the names the interface uses
// ("statusIcon", "AppIcon", "Crosshairs1", "corner1", "corner2", "icon-page-pencil",
// "logo-vornik5", ...). Each lives in resources/images/ as NAME.svg or NAME.png.

// The resource path of a named picture, or an empty text when there is none.
QString resourceImagePath(const QString &name);

// The named picture rendered at its natural size (or at `size` when given); a null
// image when the name is unknown.
QImage imageNamed(const QString &name, const QSize &size = QSize());

QIcon iconNamed(const QString &name);
