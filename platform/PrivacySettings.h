#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// Opens the page of the desktop's own settings where screen sharing and
// recording are allowed, where the desktop has one.
namespace PrivacySettings {

// The command for the desktop named by XDG_CURRENT_DESKTOP (a colon-separated
// list), or an empty list when that desktop has no such page. `haveProgram`
// answers whether a program is installed.
QStringList commandFor(const QString &currentDesktop, const std::function<bool(const QString &)> &haveProgram);

// The command for this session (XDG_CURRENT_DESKTOP, programs on PATH); empty when
// its desktop has no such page.
QStringList command();

} // namespace PrivacySettings
