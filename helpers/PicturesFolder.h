#pragma once

#include <QDateTime>
#include <QString>

// Where the pictures the user keeps go: the folder named by the "savefolder" setting,
// or "Vornik/" in the desktop's pictures folder (XDG_PICTURES_DIR). Unlike the
// temporary folder, nothing ever empties it.
namespace PicturesFolder {

// The folder, ending with "/"; it may not exist yet.
QString folder();

// Makes the folder when it is missing; returns whether it exists afterwards.
bool ensureFolder();

// A readable name that sorts by time: "Vornik 2026-12-07 14.03.27.png".
QString proposedName(const QDateTime &when = QDateTime::currentDateTime());

} // namespace PicturesFolder
