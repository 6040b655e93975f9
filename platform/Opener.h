#pragma once

#include <QString>
#include <QUrl>
#include <functional>

// Opens web addresses and files in the desktop's default handlers.
// Tests replace the handler to record what would have been opened.
namespace Opener {

// Returns whether the desktop accepted the request.
bool openUrl(const QUrl &url);

// Shows `file` selected in the desktop's file manager (org.freedesktop.FileManager1),
// or opens its folder where no file manager answers on the bus.
bool showInFolder(const QString &file);

using Handler = std::function<bool(const QUrl &url)>;
// Replaces the desktop handler; an empty handler restores it.
void setHandler(Handler handler);

} // namespace Opener
