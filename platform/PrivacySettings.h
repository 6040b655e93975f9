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

// Starts the command for this session; false when there is none or it could not
// be started.
bool open();

// Replaces how the command is started (tests); an empty launcher restores it.
using Launcher = std::function<bool(const QStringList &command)>;
void setLauncher(Launcher launcher);

} // namespace PrivacySettings
