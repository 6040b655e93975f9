#pragma once

#include <QDateTime>
#include <QString>

// Where screenshots saved from the overlay are kept: a folder of the user's that no
// clean-up touches, with names that sort by time and never replace an older file.
namespace SaveFolder {

// The folder named by the setting "savefolder" ("~/" stands for the home folder, a
// relative path is taken from the home folder), else "Vornik" in the pictures folder
// (XDG_PICTURES_DIR, ~/Pictures). Read on the main thread, from the settings file as
// it is now. Ends without "/".
QString folder();

// "Vornik 2026-12-07 14.03.27.png" for that time; `copy` 2 and up adds " (2)".
QString fileName(const QDateTime &time, int copy = 1);

// Makes `folder` when missing and claims a new, empty file in it named for `time`,
// taking the first of fileName's names that no file has. Nothing existing is ever
// replaced, also when another program picks the same name at the same moment.
// Returns the path, or an empty text with the reason in `error`.
QString claimNewFile(const QString &folder, const QDateTime &time, QString *error);

} // namespace SaveFolder
