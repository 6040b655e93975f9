#pragma once

#include <QString>

// Login at startup through the XDG autostart folder: a desktop entry at
// $XDG_CONFIG_HOME/autostart/vornik.desktop (~/.config/autostart when unset)
// makes the session start Vornik when the user logs in.
namespace Autostart {

// Where the entry lives.
QString entryPath();

// The desktop entry that starts `executable`.
QString entryText(const QString &executable);

// `executable` quoted for the Exec key as desktop entries require (quotes around
// paths with reserved characters, escapes inside them).
QString quotedExecArgument(const QString &executable);

// Writes the entry (replacing an old one); false when it could not be written.
bool addLoginItem(const QString &executable);

// Removes the entry; true when none is left.
bool removeLoginItem();

bool isLoginItem();

} // namespace Autostart
